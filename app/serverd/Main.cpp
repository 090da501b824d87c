// kobix-serverd: KOBIX Server without a window, for machines without a display.

#include "app/serverd/ActivityPrinter.h"
#include "app/serverd/Options.h"
#include "ftp/server/Errors.h"
#include "platform/LocalAddresses.h"
#include "platform/UserFolders.h"
#include "service/FTPServerUnit.h"

#include <clocale>
#include <csignal>
#include <cstdio>
#include <pthread.h>

using namespace kobix;

namespace {

constexpr const char* Version = "0.1.0";

void ApplySettings(service::TFTPServer& AServer, const settings::TPreference& APreference) {
  AServer.SetAllowAnonymous(APreference.FAllowAnonymous);
  AServer.SetGreetingMessage(APreference.FGreetingMessage);
  AServer.SetUserName(APreference.FUsername);
  AServer.SetPassWord(APreference.FPassword);
  AServer.SetPort(static_cast<uint16_t>(APreference.FPort));
  AServer.SetMaxConnections(APreference.FMaxUsers);
  AServer.SetReadOnly(APreference.FReadOnly);
  AServer.SetShowHiddenFiles(APreference.FShowHiddenFiles);
  AServer.SetShowSystemFiles(APreference.FShowSystemFiles);
  AServer.SetAliases(APreference.FDirList);
}

void PrintConnectHint(app::TActivityPrinter& APrinter, const settings::TPreference& APreference, uint16_t APort) {
  auto addresses = platform::LocalIPv4Addresses();
  addresses.insert(addresses.begin(), "127.0.0.1");
  for (const auto& address : addresses) APrinter.PrintLine("Connect to ftp://" + address + ":" + std::to_string(APort) + "/");
  if (APreference.FAllowAnonymous)
    APrinter.PrintLine("Log in as anonymous (any e-mail address as password).");
  else
    APrinter.PrintLine("Log in as " + APreference.FUsername + ".");
  for (const auto& folder : APreference.FDirList) APrinter.PrintLine("Serving /" + folder.Alias + " from " + folder.Path);
  APrinter.PrintLine(APreference.FReadOnly ? "Clients may only read." : "Clients may read and write.");
}

int Fail(const std::string& AMessage, bool AShowUsage) {
  std::fprintf(stderr, "kobix-serverd: %s\n", AMessage.c_str());
  if (AShowUsage) std::fprintf(stderr, "\n%s", app::DaemonUsage());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_COLLATE, "");  // listings sort names by the user's collation
  std::setlocale(LC_CTYPE, "");
  app::TDaemonOptions options;
  settings::TPreference preference;
  try {
    options = app::ParseDaemonOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.Help) {
      std::fputs(app::DaemonUsage(), stdout);
      return 0;
    }
    if (options.Version) {
      std::printf("kobix-serverd %s\n", Version);
      return 0;
    }
    if (options.Save) return Fail("--save is not available yet: this build has no settings store.", false);
    preference = settings::DefaultPreference();
    app::ApplyDaemonOptions(options, preference);
  } catch (const std::invalid_argument& e) {
    return Fail(e.what(), true);
  }
  for (const auto& folder : preference.FDirList)
    if (!platform::FolderExists(folder.Path))
      std::fprintf(stderr, "kobix-serverd: warning: folder %s of /%s does not exist; it is served anyway.\n", folder.Path.c_str(),
                   folder.Alias.c_str());

  // The stop signals are taken by this thread alone, with sigwait; every other thread blocks them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  app::TActivityPrinter printer(stdout);
  service::TFTPServer server;
  ApplySettings(server, preference);
  if (!options.Quiet) server.OnLog = [&printer](service::TFTPServer&, const std::string& AText) { printer.PrintTrace(AText); };
  {
    std::lock_guard startUp(printer.Lock());
    try {
      server.StartServer();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kobix-serverd: %s\n", e.what());
      return 1;
    }
    printer.PrintLine("Listening on 0.0.0.0:" + std::to_string(server.BoundPort()));
    PrintConnectHint(printer, preference, server.BoundPort());
  }
  int signal = 0;
  sigwait(&stopSignals, &signal);
  server.StopServer();
  return 0;
}
