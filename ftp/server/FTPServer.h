#pragma once

#include "ftp/server/CmdTCPServer.h"
#include "ftp/server/FTPContext.h"
#include "ftp/server/SecurityOptions.h"
#include "ftp/server/UserManager.h"
#include "platform/DateTime.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kobix::platform {
class TFileStream;
}

namespace kobix::ftp {

class TIdFTPListOutput;
class TIdCompressorZLib;

enum TIdFTPDirFormat { ftpdfDOS, ftpdfUnix, ftpdfEPLF, ftpdfCustom, ftpdfOSDependent };
enum TIdFTPPathProcessing { ftppDOS, ftppUnix, ftpOSDependent, ftppCustom };
enum TIdUseTLS { utNoTLSSupport, utUseImplicitTLS, utUseRequireTLS, utUseExplicitTLS };

/// The FTP protocol engine. The owner configures it, binds the file events it serves and sets
/// Active; events left unbound make the commands that need them answer as "not implemented".
class TIdFTPServer : public TIdCmdTCPServer {
 public:
  using TStreamPtr = std::unique_ptr<platform::TFileStream>;

  using TOnGreetingEvent = std::function<void(TIdFTPServerContext&, TIdReply&)>;
  using TOnDirectoryEvent = std::function<void(TIdFTPServerContext&, std::string& VDirectory)>;
  using TOnListDirectoryEvent = std::function<void(TIdFTPServerContext&, const std::string& APath, TIdFTPListOutput& ADirectoryListing,
                                                   const std::string& ACmd, const std::string& ASwitches)>;
  using TOnRetrieveFileEvent = std::function<void(TIdFTPServerContext&, const std::string& AFileName, TStreamPtr& VStream)>;
  /// AAppend is set for APPE. AResume is set when a restart offset is in force for STOR or STOU:
  /// the existing file is then kept (and created when missing) instead of being emptied.
  using TOnStoreFileEvent =
      std::function<void(TIdFTPServerContext&, const std::string& AFileName, bool AAppend, bool AResume, TStreamPtr& VStream)>;
  using TOnFileEvent = std::function<void(TIdFTPServerContext&, const std::string& APathName)>;
  using TOnRenameFileEvent = std::function<void(TIdFTPServerContext&, const std::string& ARenameFromFile, const std::string& ARenameToFile)>;
  using TOnGetFileSizeEvent = std::function<void(TIdFTPServerContext&, const std::string& AFileName, int64_t& VFileSize)>;
  using TOnGetFileDateEvent = std::function<void(TIdFTPServerContext&, const std::string& AFileName, platform::TDateTime& VFileDate)>;
  using TOnFileExistCheckEvent = std::function<void(TIdFTPServerContext&, const std::string& APathName, bool& VExist)>;
  using TOnSetFileTimeEvent = std::function<void(TIdFTPServerContext&, const std::string& AFileName, platform::TDateTime& AFileTime)>;
  using TOnPASVBeforeBindEvent = std::function<void(TIdFTPServerContext&, std::string& VIP, uint16_t& VPortMin, uint16_t& VPortMax,
                                                    platform::TIPVersion AIPVersion)>;
  using TOnStatEvent = std::function<void(TIdFTPServerContext&, std::vector<std::string>& AStatusInfo)>;

  TIdFTPServer();
  ~TIdFTPServer() override;

  // Settings, as the engine is created; the owner changes only those it needs.
  std::vector<std::string> AnonymousAccounts{"anonymous", "ftp", "guest"};
  std::atomic<bool> AllowAnonymousLogin{false};
  bool AnonymousPassStrictCheck = true;
  TIdUserManager* UserAccounts = nullptr;
  TIdFTPSecurityOptions FTPSecurityOptions;
  uint16_t DefaultDataPort = 20;
  uint16_t PASVBoundPortMin = 0;
  uint16_t PASVBoundPortMax = 0;
  /// How long a passive listener waits for the client's data connection before the transfer fails.
  int PASVAcceptTimeoutMs = 60000;
  TIdFTPDirFormat DirFormat = ftpdfUnix;
  TIdFTPPathProcessing PathProcessing = ftpOSDependent;
  std::string EndOfHelpLine;
  std::string SystemType, CustomSystID;
  TIdUseTLS UseTLS = utNoTLSSupport;
  TIdCompressorZLib* Compressor = nullptr;
  TIdReplyFTP ReplyUnknownSITCommand{500, "Invalid SITE command."};

  // Events bound by the owner.
  TOnGreetingEvent OnGreeting;
  TOnDirectoryEvent OnChangeDirectory;
  TOnListDirectoryEvent OnListDirectory;
  TOnRetrieveFileEvent OnRetrieveFile;
  TOnStoreFileEvent OnStoreFile;
  TOnFileEvent OnDeleteFile;
  TOnRenameFileEvent OnRenameFile;
  TOnDirectoryEvent OnMakeDirectory;
  TOnDirectoryEvent OnRemoveDirectory;
  TOnGetFileSizeEvent OnGetFileSize;
  TOnGetFileDateEvent OnGetFileDate;
  TOnFileExistCheckEvent OnFileExistCheck;
  TOnSetFileTimeEvent OnSetCreationTime;
  TOnSetFileTimeEvent OnSetModifiedTime;
  TOnPASVBeforeBindEvent OnPASVBeforeBind;
  TOnStatEvent OnStat;

  const TIdCommandHandlers& SITECommands() const { return FSITECommands; }
  const TIdCommandHandlers& OPTSCommands() const { return FOPTSCommands; }
  const TIdCommandHandlers& DataChannelCommands() const { return FDataChannelCommands; }

  bool CheckLogin(TIdCommand& ACommand, TLoginRule ARule) override;

 protected:
  void Startup() override;
  std::unique_ptr<TIdContext> CreateContext(platform::TSocket ASocket) override;
  void ContextCreated(TIdContext& AContext) override;
  void InitConnection(TIdContext& AContext) override;
  void DoGreeting(TIdContext& AContext, TIdReplyRFC& AGreeting) override;
  void DoDisconnect(TIdContext& AContext) override;
  void DoTerminateContext(TIdContext& AContext) override;

 private:
  TIdCommandHandlers FSITECommands, FOPTSCommands, FDataChannelCommands;
};

/// The session of the command being served.
inline TIdFTPServerContext& FTPContext(TIdCommand& ACommand) { return static_cast<TIdFTPServerContext&>(*ACommand.Context); }

/// The login guard: 530 "Not logged in." and false when the session is not logged in.
bool LoginGuard(TIdCommand& ACommand);

/// The four command tables, built once at the first activation.
struct TIdFTPCommandTables {
  TIdCommandHandlers Main, SITE, OPTS, DataChannel;
};
TIdFTPCommandTables BuildCommandTables();

}  // namespace kobix::ftp
