#include "ftp/commands/LoginCommands.h"

#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"

#include <algorithm>

namespace kobix::ftp {

namespace {

bool IsAnonymousName(const TIdFTPServer& AServer, const std::string& AName) {
  const std::string lower = LowerCaseASCII(AName);
  return std::find(AServer.AnonymousAccounts.begin(), AServer.AnonymousAccounts.end(), lower) != AServer.AnonymousAccounts.end();
}

bool AcceptableAnonymousPassword(const TIdFTPServer& AServer, const std::string& APassword) {
  if (APassword.empty()) return false;
  return !AServer.AnonymousPassStrictCheck || APassword.find_first_of("@.") != std::string::npos;
}

// A failed password: the pause, then 530, or 421 and the end of the session once the attempts are used up.
void RefusePassword(TIdCommand& ACommand, TIdFTPServerContext& AContext) {
  const auto& security = AContext.FUserSecurity;
  if (security.InvalidPassDelay != 0) AContext.SleepUnlessStopped(security.InvalidPassDelay);
  if (security.PasswordAttempts != 0 && AContext.FPasswordAttempts >= security.PasswordAttempts) {
    ACommand.Reply.SetReply(421, RSFTPServiceNotAvailable);
    ACommand.Disconnect = true;
  } else {
    ACommand.Reply.SetReply(530, RSFTPUserNotLoggedIn);
  }
}

void AcceptLogin(TIdCommand& ACommand, TIdFTPServerContext& AContext, const std::string& APassword, std::string_view AText) {
  AContext.FAuthenticated = true;
  AContext.FPassword = APassword;
  AContext.FPasswordAttempts = 0;
  ACommand.Reply.SetReply(230, AText);
}

}  // namespace

void CommandUSER(TIdCommand& ACommand) {
  auto& context = FTPContext(ACommand);
  auto& server = context.FTPServer();
  context.FAuthenticated = false;
  if (server.AllowAnonymousLogin && IsAnonymousName(server, ACommand.UnparsedParams)) {
    context.FUserType = utAnonymousUser;
    context.FUsername = ACommand.UnparsedParams;
    ACommand.Reply.SetReply(331, RSFTPAnonymousUserOkay);
    return;
  }
  context.FUserType = utNormalUser;
  if (ACommand.UnparsedParams.empty()) {
    ACommand.Reply.SetReply(332, RSFTPNeedAccountForLogin);
    return;
  }
  context.FUsername = ACommand.UnparsedParams;
  ACommand.Reply.SetReply(331, RSFTPUserOkay);
}

void CommandPASS(TIdCommand& ACommand) {
  auto& context = FTPContext(ACommand);
  auto& server = context.FTPServer();
  const std::string& password = ACommand.UnparsedParams;
  context.FAuthenticated = false;
  switch (context.FUserType) {
    case utNone:
      ACommand.Reply.SetReply(503, RSFTPLoginWithUserFirst);
      return;
    case utAnonymousUser:
      if (AcceptableAnonymousPassword(server, password)) {
        AcceptLogin(ACommand, context, password, RSFTPAnonymousUserLogged);
        return;
      }
      context.FUserType = utNone;
      break;
    case utNormalUser:
      try {
        if (server.UserAccounts && server.UserAccounts->AuthenticateUser(context.FUsername, password)) {
          AcceptLogin(ACommand, context, password, RSFTPUserLogged);
          return;
        }
      } catch (const std::exception& e) {
        ACommand.Reply.SetReply(503, e.what());
        return;
      }
      break;
  }
  context.FPassword.clear();
  ++context.FPasswordAttempts;
  RefusePassword(ACommand, context);
}

void CommandREIN(TIdCommand& ACommand) {
  auto& context = FTPContext(ACommand);
  context.ReInitialize();
  context.Connection().SetEncoding(TIdTextEncoding::encLatin1);
  ACommand.Reply.SetReply(220, RSFTPServiceReady);
}

void CommandHOST(TIdCommand& ACommand) { CommandNotUnderstood(ACommand); }

void CommandSecurityNotUnderstood(TIdCommand& ACommand) { CommandNotUnderstood(ACommand); }

void CommandPROT(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
