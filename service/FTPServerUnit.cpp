#include "service/FTPServerUnit.h"

#include "service/ListingHandler.h"

namespace kobix::service {

namespace {

// Passive listeners may take any port from 20 up; the highest free one is tried first.
constexpr uint16_t PassivePortLow = 20;
constexpr uint16_t PassivePortHigh = 65535;

}  // namespace

TFTPServer::TFTPServer() : FSettings(std::make_shared<const TFTPServerSettings>()) {
  FServer.Bindings().push_back({"", FServer.DefaultPort, platform::TIPVersion::IPv4});
  FUserManager.AddAccount({});
  FLogManager.LogTime = false;
  FLogManager.ReplaceCRLF = false;
  FLogManager.OnLogString = [this](const std::string& AText) {
    if (OnLog) OnLog(*this, AText);
  };
  FServer.UserAccounts = &FUserManager;
  FServer.Intercept = &FLogManager;
  FServer.Compressor = &FCompressor;
  BindEngineEvents();
}

TFTPServer::~TFTPServer() { StopServer(); }

bool TFTPServer::StartServer() {
  FServer.SetActive(true);
  return FServer.Active();
}

void TFTPServer::StopServer() { FServer.SetActive(false); }

bool TFTPServer::FindContextByPeerPort(uint16_t APort, const std::function<void(ftp::TIdFTPServerContext&)>& AVisit) {
  bool found = false;
  FServer.WithContexts([&](const std::vector<ftp::TIdContext*>& AContexts) {
    for (ftp::TIdContext* context : AContexts) {
      if (context->Connection().PeerAddress().Port != APort) continue;
      AVisit(static_cast<ftp::TIdFTPServerContext&>(*context));
      found = true;
      return;
    }
  });
  return found;
}

std::shared_ptr<const TFTPServerSettings> TFTPServer::Settings() const {
  std::lock_guard lock(FSettingsLock);
  return FSettings;
}

void TFTPServer::SetSettings(TFTPServerSettings ASettings) {
  auto next = std::make_shared<const TFTPServerSettings>(std::move(ASettings));
  std::lock_guard lock(FSettingsLock);
  FSettings = std::move(next);
}

void TFTPServer::UpdateSettings(const std::function<void(TFTPServerSettings&)>& AChange) {
  std::lock_guard lock(FSettingsLock);
  auto next = std::make_shared<TFTPServerSettings>(*FSettings);
  AChange(*next);
  FSettings = std::move(next);
}

void TFTPServer::SetAliases(std::vector<TFTPDirectoryAlias> AAliases) {
  UpdateSettings([&](TFTPServerSettings& ASettings) { ASettings.Aliases = std::move(AAliases); });
}

void TFTPServer::SetGreetingMessage(std::string AText) {
  UpdateSettings([&](TFTPServerSettings& ASettings) { ASettings.GreetingMessage = std::move(AText); });
}

void TFTPServer::SetReadOnly(bool AValue) {
  UpdateSettings([&](TFTPServerSettings& ASettings) { ASettings.ReadOnly = AValue; });
}

void TFTPServer::SetShowHiddenFiles(bool AValue) {
  UpdateSettings([&](TFTPServerSettings& ASettings) { ASettings.ShowHiddenFiles = AValue; });
}

void TFTPServer::SetShowSystemFiles(bool AValue) {
  UpdateSettings([&](TFTPServerSettings& ASettings) { ASettings.ShowSystemFiles = AValue; });
}

void TFTPServer::SetUserName(const std::string& AValue) {
  auto account = FUserManager.Account(0);
  account.UserName = AValue;
  FUserManager.SetAccount(0, account);
}

void TFTPServer::SetPassWord(const std::string& AValue) {
  auto account = FUserManager.Account(0);
  account.Password = AValue;
  FUserManager.SetAccount(0, account);
}

void TFTPServer::BindEngineEvents() {
  FServer.OnGreeting = [this](ftp::TIdFTPServerContext&, ftp::TIdReply& AGreeting) { AGreeting.SetText(Settings()->GreetingMessage); };
  FServer.OnConnect = [this](ftp::TIdContext& AContext) {
    if (OnConnect) OnConnect(*this, static_cast<ftp::TIdFTPServerContext&>(AContext));
  };
  FServer.OnDisconnect = [this](ftp::TIdContext& AContext) {
    if (OnDisconnect) OnDisconnect(*this, static_cast<ftp::TIdFTPServerContext&>(AContext));
  };
  // Errors on connection threads and on the listener are swallowed, not logged.
  FServer.OnException = [](ftp::TIdContext&, const std::exception&) {};
  FServer.OnListenException = [](const std::exception&) {};
  FServer.OnStat = [](ftp::TIdFTPServerContext&, std::vector<std::string>&) {};
  BindFileEvents();
  FServer.OnPASVBeforeBind = [](ftp::TIdFTPServerContext&, std::string&, uint16_t& VPortMin, uint16_t& VPortMax, platform::TIPVersion) {
    VPortMin = PassivePortLow;
    VPortMax = PassivePortHigh;
  };
}

// Every file event works on one snapshot of the settings, taken when the command arrives.
void TFTPServer::BindFileEvents() {
  using ftp::TIdFTPServerContext;
  FServer.OnChangeDirectory = [this](TIdFTPServerContext&, std::string& VDirectory) { ChangeDirectory(*Settings(), VDirectory); };
  FServer.OnListDirectory = [this](TIdFTPServerContext&, const std::string& APath, ftp::TIdFTPListOutput& AListing,
                                   const std::string& ACmd, const std::string&) { ListDirectory(*Settings(), APath, AListing, ACmd); };
  FServer.OnRetrieveFile = [this](TIdFTPServerContext&, const std::string& AFileName, ftp::TIdFTPServer::TStreamPtr& VStream) {
    VStream = RetrieveFile(*Settings(), AFileName);
  };
  FServer.OnStoreFile = [this](TIdFTPServerContext&, const std::string& AFileName, bool AAppend, bool AResume,
                               ftp::TIdFTPServer::TStreamPtr& VStream) { VStream = StoreFile(*Settings(), AFileName, AAppend, AResume); };
  FServer.OnDeleteFile = [this](TIdFTPServerContext&, const std::string& APathName) { DeleteFile(*Settings(), APathName); };
  FServer.OnRenameFile = [this](TIdFTPServerContext&, const std::string& AFrom, const std::string& ATo) {
    RenameFile(*Settings(), AFrom, ATo);
  };
  FServer.OnMakeDirectory = [this](TIdFTPServerContext&, std::string& VDirectory) { MakeDirectory(*Settings(), VDirectory); };
  FServer.OnRemoveDirectory = [this](TIdFTPServerContext&, std::string& VDirectory) { RemoveDirectory(*Settings(), VDirectory); };
  FServer.OnGetFileSize = [this](TIdFTPServerContext&, const std::string& AFileName, int64_t& VFileSize) {
    VFileSize = GetFileSize(*Settings(), AFileName);
  };
  FServer.OnGetFileDate = [this](TIdFTPServerContext&, const std::string& AFileName, platform::TDateTime& VFileDate) {
    VFileDate = GetFileDate(*Settings(), AFileName);
  };
  FServer.OnFileExistCheck = [this](TIdFTPServerContext&, const std::string& APathName, bool& VExist) {
    VExist = FileExistCheck(*Settings(), APathName);
  };
  FServer.OnSetCreationTime = [this](TIdFTPServerContext&, const std::string& AFileName, platform::TDateTime& AFileTime) {
    SetCreationTime(*Settings(), AFileName, AFileTime);
  };
  FServer.OnSetModifiedTime = [this](TIdFTPServerContext&, const std::string& AFileName, platform::TDateTime& AFileTime) {
    SetModifiedTime(*Settings(), AFileName, AFileTime);
  };
}

}  // namespace kobix::service
