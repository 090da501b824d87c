#pragma once

#include "ftp/data/Compressor.h"
#include "ftp/server/FTPServer.h"
#include "ftp/server/Intercept.h"
#include "ftp/server/UserManager.h"
#include "service/FileHandlers.h"
#include "service/VirtualFolders.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>


namespace kobix::service {

/// The settings the file handlers read, as one immutable value: a settings update while the server
/// runs swaps in a new value, so a command always sees one consistent set.
struct TFTPServerSettings : TFileHandlerSettings {
  std::string GreetingMessage;
};

/// The one object through which the application uses the FTP engine: it owns and configures the
/// engine, serves the engine's file events from the virtual folders, and passes connect,
/// disconnect, status and trace notifications on. Listeners are called on connection threads.
class TFTPServer {
 public:
  using TLogEvent = std::function<void(TFTPServer&, const std::string& AText)>;
  using TConnectEvent = std::function<void(TFTPServer&, ftp::TIdFTPServerContext&)>;
  using TStatusEvent = std::function<void(TFTPServer&, int AStatus, const std::string& AText)>;

  TFTPServer();
  ~TFTPServer();
  TFTPServer(const TFTPServer&) = delete;
  TFTPServer& operator=(const TFTPServer&) = delete;

  bool Active() const { return FServer.Active(); }
  /// Binds the port and starts serving; a bind failure raises the engine's error and leaves the
  /// server stopped.
  bool StartServer();
  void StopServer();
  /// The port actually listened on (differs from Port when Port is 0).
  uint16_t BoundPort() const { return FServer.BoundPort(); }

  /// Calls AVisit, under the engine's session-list lock, with the first live session whose remote
  /// port is APort; returns false when there is none. The session may end as soon as the call returns.
  bool FindContextByPeerPort(uint16_t APort, const std::function<void(ftp::TIdFTPServerContext&)>& AVisit);

  // Properties. Settings read by the handlers are swapped in as a whole.
  std::shared_ptr<const TFTPServerSettings> Settings() const;
  void SetSettings(TFTPServerSettings ASettings);
  std::vector<TFTPDirectoryAlias> Aliases() const { return Settings()->Aliases; }
  void SetAliases(std::vector<TFTPDirectoryAlias> AAliases);
  std::string GreetingMessage() const { return Settings()->GreetingMessage; }
  void SetGreetingMessage(std::string AText);
  bool ReadOnly() const { return Settings()->ReadOnly; }
  void SetReadOnly(bool AValue);
  bool ShowHiddenFiles() const { return Settings()->ShowHiddenFiles; }
  void SetShowHiddenFiles(bool AValue);
  bool ShowSystemFiles() const { return Settings()->ShowSystemFiles; }
  void SetShowSystemFiles(bool AValue);

  bool AllowAnonymous() const { return FServer.AllowAnonymousLogin; }
  void SetAllowAnonymous(bool AValue) { FServer.AllowAnonymousLogin = AValue; }
  int MaxConnections() const { return FServer.MaxConnections; }
  void SetMaxConnections(int AValue) { FServer.MaxConnections = AValue; }
  std::string UserName() const { return FUserManager.Account(0).UserName; }
  void SetUserName(const std::string& AValue);
  std::string PassWord() const { return FUserManager.Account(0).Password; }
  void SetPassWord(const std::string& AValue);
  /// Takes effect at the next start.
  uint16_t Port() const { return FServer.Bindings().front().Port; }
  void SetPort(uint16_t AValue) { FServer.Bindings().front().Port = AValue; }

  TLogEvent OnLog;
  TConnectEvent OnConnect;
  TConnectEvent OnDisconnect;
  TStatusEvent OnStatus;

  /// The engine, for tests and for handlers that need it.
  ftp::TIdFTPServer& Engine() { return FServer; }

 private:
  void BindEngineEvents();
  void BindFileEvents();
  void UpdateSettings(const std::function<void(TFTPServerSettings&)>& AChange);

  ftp::TIdUserManager FUserManager;
  ftp::TIdServerInterceptLogEvent FLogManager;
  ftp::TIdCompressorZLib FCompressor;
  mutable std::mutex FSettingsLock;  // guards FSettings (the pointer, not the value it points to)
  std::shared_ptr<const TFTPServerSettings> FSettings;
  // Declared last so that it is destroyed first: its stop joins every session thread while the
  // account store, the intercept and the settings above still exist.
  ftp::TIdFTPServer FServer;
};

}  // namespace kobix::service
