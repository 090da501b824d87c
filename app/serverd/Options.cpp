#include "app/serverd/Options.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>

namespace kobix::app {

namespace {

int ParseNumber(const std::string& AOption, const std::string& AText, int AMax) {
  int value = -1;
  const auto [end, error] = std::from_chars(AText.data(), AText.data() + AText.size(), value);
  if (AText.empty() || error != std::errc() || end != AText.data() + AText.size() || value < 0 || value > AMax)
    throw std::invalid_argument(AOption + " needs a number from 0 to " + std::to_string(AMax) + ", not \"" + AText + "\"");
  return value;
}

}  // namespace

const char* DaemonUsage() {
  return "Usage: kobix-serverd [options]\n"
         "  --port N             listen on TCP port N; 0 picks a free port\n"
         "  --max-users N        at most N simultaneous sessions; 0 = no limit\n"
         "  --folder ALIAS=PATH  a virtual folder (split at the first '='); repeatable; given at least once,\n"
         "                       it replaces the stored folder list, in the order given\n"
         "  --anonymous | --no-anonymous\n"
         "  --read-only | --read-write\n"
         "  --user NAME\n"
         "  --password-env VAR   the account password is the value of environment variable VAR\n"
         "  --greeting TEXT      greeting message; real line breaks in TEXT give a multi-line 220\n"
         "  --show-hidden | --hide-hidden\n"
         "  --show-system | --hide-system\n"
         "  --save               write the resulting settings to the settings store before starting\n"
         "  --quiet              do not print activity-log lines\n"
         "  --help | --version\n";
}

TDaemonOptions ParseDaemonOptions(const std::vector<std::string>& AArguments) {
  TDaemonOptions options;
  for (size_t i = 0; i < AArguments.size(); ++i) {
    const std::string& option = AArguments[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= AArguments.size()) throw std::invalid_argument(option + " needs a value");
      return AArguments[++i];
    };
    if (option == "--port") options.Port = ParseNumber(option, value(), 65535);
    else if (option == "--max-users") options.MaxUsers = ParseNumber(option, value(), 1000000);
    else if (option == "--folder") {
      const std::string& folder = value();
      const size_t equals = folder.find('=');
      if (equals == std::string::npos) throw std::invalid_argument("--folder needs ALIAS=PATH, not \"" + folder + "\"");
      options.Folders.push_back({folder.substr(0, equals), folder.substr(equals + 1)});
    } else if (option == "--anonymous") options.AllowAnonymous = true;
    else if (option == "--no-anonymous") options.AllowAnonymous = false;
    else if (option == "--read-only") options.ReadOnly = true;
    else if (option == "--read-write") options.ReadOnly = false;
    else if (option == "--user") options.UserName = value();
    else if (option == "--password-env") options.PasswordVariable = value();
    else if (option == "--greeting") options.Greeting = value();
    else if (option == "--show-hidden") options.ShowHidden = true;
    else if (option == "--hide-hidden") options.ShowHidden = false;
    else if (option == "--show-system") options.ShowSystem = true;
    else if (option == "--hide-system") options.ShowSystem = false;
    else if (option == "--save") options.Save = true;
    else if (option == "--quiet") options.Quiet = true;
    else if (option == "--help") options.Help = true;
    else if (option == "--version") options.Version = true;
    else throw std::invalid_argument("unknown option \"" + option + "\"");
  }
  return options;
}

void ApplyDaemonOptions(const TDaemonOptions& AOptions, settings::TPreference& APreference) {
  if (AOptions.Port) APreference.FPort = *AOptions.Port;
  if (AOptions.MaxUsers) APreference.FMaxUsers = *AOptions.MaxUsers;
  if (!AOptions.Folders.empty()) APreference.FDirList = AOptions.Folders;
  if (AOptions.AllowAnonymous) APreference.FAllowAnonymous = *AOptions.AllowAnonymous;
  if (AOptions.ReadOnly) APreference.FReadOnly = *AOptions.ReadOnly;
  if (AOptions.ShowHidden) APreference.FShowHiddenFiles = *AOptions.ShowHidden;
  if (AOptions.ShowSystem) APreference.FShowSystemFiles = *AOptions.ShowSystem;
  if (AOptions.UserName) APreference.FUsername = *AOptions.UserName;
  if (AOptions.Greeting) APreference.FGreetingMessage = *AOptions.Greeting;
  if (AOptions.PasswordVariable) {
    const char* password = std::getenv(AOptions.PasswordVariable->c_str());
    if (!password) throw std::invalid_argument("--password-env: environment variable " + *AOptions.PasswordVariable + " is not set");
    APreference.FPassword = password;
  }
}

}  // namespace kobix::app
