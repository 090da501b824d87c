#include "settings/PreferenceUnit.h"

#include "platform/UserFolders.h"

namespace kobix::settings {

TPreference DefaultPreference() {
  TPreference preference;
  preference.FGreetingMessage = "Welcome to KOBIX server.";
  preference.FAllowAnonymous = false;
  preference.FReadOnly = true;
  preference.FUsername = "trelvox";
  preference.FPassword = "vorpalgrind";
  preference.FPort = 21;
  preference.FMaxUsers = 3;
  preference.FShowHiddenFiles = false;
  preference.FShowSystemFiles = false;
  std::string home = platform::DocumentsFolder();
  if (home.empty() || home.back() != '/') home += '/';
  home += "KOBIXServer";
  platform::ForceDirectories(home);  // a failure is ignored: the folder is still served
  preference.FDirList.push_back({"Home", home});
  return preference;
}

}  // namespace kobix::settings
