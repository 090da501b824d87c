#pragma once

#include "service/VirtualFolders.h"

#include <string>
#include <vector>

namespace kobix::settings {

/// Every user setting of the server.
struct TPreference {
  std::string FGreetingMessage;
  bool FAllowAnonymous = false;
  bool FReadOnly = false;
  std::string FUsername;
  std::string FPassword;
  int FPort = 0;
  int FMaxUsers = 0;
  std::vector<service::TFTPDirectoryAlias> FDirList;
  bool FShowHiddenFiles = false;
  bool FShowSystemFiles = false;
  std::string FIPAddress;
};

/// The settings a first start gets, with an empty settings store: every value at its default and the
/// one folder "Home" (Documents/KOBIXServer, created on the spot).
TPreference DefaultPreference();

}  // namespace kobix::settings
