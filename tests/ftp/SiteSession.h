#pragma once

#include "common/FtpTestClient.h"
#include "ftp/server/Command.h"
#include "ftp/server/FTPContext.h"
#include "ftp/server/FTPServer.h"
#include "platform/Socket.h"

#include <memory>
#include <string>

namespace kobix::test {

/// A logged-in session of its own (working directory "/") on which SITE sub-commands run through
/// the engine's entry runner, exactly as the SITE command hands them on: the sub-command's table
/// row (login rule, normal reply, error code) and its handler. The engine must be active (its
/// tables are built then).
class TSiteSession {
 public:
  explicit TSiteSession(ftp::TIdFTPServer& AEngine) : FEngine(AEngine) {
    platform::TSocket listener = platform::TSocket::Listen("127.0.0.1", 0, 1, true);
    FClient = std::make_unique<TFtpTestClient>(listener.LocalAddress().Port);
    FContext = std::make_unique<ftp::TIdFTPServerContext>(AEngine, listener.Accept());
    FContext->FAuthenticated = true;
    FContext->FUserType = ftp::utNormalUser;
  }

  /// Runs "SITE <ALine>" and returns its reply.
  TReply Run(const std::string& ALine) {
    std::string params;
    const ftp::TIdCommandHandler* entry = FEngine.SITECommands().Find(ALine, params);
    if (entry == nullptr)
      ftp::SendUnknownCommandReply(*FContext, "SITE " + ALine);
    else
      ftp::DoCommand(*FContext, *entry, "SITE " + ALine, params);
    return FClient->ReadReply();
  }

 private:
  ftp::TIdFTPServer& FEngine;
  std::unique_ptr<TFtpTestClient> FClient;
  std::unique_ptr<ftp::TIdFTPServerContext> FContext;
};

}  // namespace kobix::test
