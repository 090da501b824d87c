#include "ftp/server/FTPServer.h"

#include "ftp/server/ReplyTexts.h"

namespace kobix::ftp {

TIdFTPServer::TIdFTPServer() { DefaultPort = 21; }

TIdFTPServer::~TIdFTPServer() { StopAndWait(); }

void TIdFTPServer::Startup() {
  TIdFTPCommandTables tables = BuildCommandTables();
  FCommandHandlers = std::move(tables.Main);
  FSITECommands = std::move(tables.SITE);
  FOPTSCommands = std::move(tables.OPTS);
  FDataChannelCommands = std::move(tables.DataChannel);
}

std::unique_ptr<TIdContext> TIdFTPServer::CreateContext(platform::TSocket ASocket) {
  return std::make_unique<TIdFTPServerContext>(*this, std::move(ASocket));
}

void TIdFTPServer::ContextCreated(TIdContext& AContext) {
  auto& context = static_cast<TIdFTPServerContext&>(AContext);
  context.FServer = this;
  context.FDataPort = 0;
  context.FPasswordAttempts = 0;
  context.FDataPortDenied = false;
  context.FUserSecurity = FTPSecurityOptions;
  context.FMSDOSMode = DirFormat == ftpdfDOS || DirFormat == ftpdfOSDependent;
}

void TIdFTPServer::InitConnection(TIdContext& AContext) { AContext.Connection().SetEncoding(TIdTextEncoding::encLatin1); }

void TIdFTPServer::DoGreeting(TIdContext& AContext, TIdReplyRFC& AGreeting) {
  if (OnGreeting) OnGreeting(static_cast<TIdFTPServerContext&>(AContext), AGreeting);
}

void TIdFTPServer::DoDisconnect(TIdContext& AContext) {
  auto& context = static_cast<TIdFTPServerContext&>(AContext);
  if (UserAccounts) UserAccounts->UserDisconnected(context.FUsername);
  TIdCmdTCPServer::DoDisconnect(AContext);
}

void TIdFTPServer::DoTerminateContext(TIdContext& AContext) {
  static_cast<TIdFTPServerContext&>(AContext).StopDataChannel();
  TIdCmdTCPServer::DoTerminateContext(AContext);
}

bool TIdFTPServer::CheckLogin(TIdCommand& ACommand, TLoginRule ARule) {
  if (ARule == TLoginRule::None || FTPContext(ACommand).FAuthenticated) return true;
  if (ARule == TLoginRule::FileAction)
    ACommand.Reply.SetReply(550, RSFTPFileActionNotTaken);
  else
    ACommand.Reply.SetReply(530, RSFTPUserNotLoggedIn);
  return false;
}

bool LoginGuard(TIdCommand& ACommand) {
  if (FTPContext(ACommand).FAuthenticated) return true;
  ACommand.Reply.SetReply(530, RSFTPUserNotLoggedIn);
  return false;
}

}  // namespace kobix::ftp
