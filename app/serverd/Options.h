#pragma once

#include "settings/PreferenceUnit.h"

#include <optional>
#include <string>
#include <vector>

namespace kobix::app {

/// What the command line of kobix-serverd asks for. Settings start from the stored ones; each option
/// given overrides one of them.
struct TDaemonOptions {
  std::optional<int> Port, MaxUsers;
  std::vector<service::TFTPDirectoryAlias> Folders;
  std::optional<bool> AllowAnonymous, ReadOnly, ShowHidden, ShowSystem;
  std::optional<std::string> UserName, PasswordVariable, Greeting;
  bool Save = false;
  bool Quiet = false;
  bool Help = false;
  bool Version = false;
};

/// Parses the arguments; throws std::invalid_argument with a clear message for a bad option.
TDaemonOptions ParseDaemonOptions(const std::vector<std::string>& AArguments);

/// Applies the options to the settings. Reads the password from its environment variable; throws
/// std::invalid_argument when that variable is not set.
void ApplyDaemonOptions(const TDaemonOptions& AOptions, settings::TPreference& APreference);

/// The usage text printed by --help and after a bad option.
const char* DaemonUsage();

}  // namespace kobix::app
