#pragma once

#include "ftp/server/Command.h"
#include "ftp/server/CustomTCPServer.h"
#include "ftp/server/Errors.h"

#include <string>

namespace kobix::ftp {

/// Lines longer than this many bytes end the session: 500 and the connection is closed.
constexpr size_t MaxCommandLineLength = 16384;

/// The command layer: greets every session, reads command lines through the Telnet filter and
/// dispatches each one through the main command table.
class TIdCmdTCPServer : public TIdCustomTCPServer {
 public:
  TIdReplyRFC Greeting{220};
  TIdReplyFTP ReplyUnknownCommand{500, "Unknown Command"};
  TIdReplyFTP ExceptionReply{500, "Unknown Internal Error"};
  TIdReplyFTP MaxConnectionReply{300, "Too many connections. Try again later."};

  const TIdCommandHandlers& CommandHandlers() const { return FCommandHandlers; }

  /// Applies an entry's login rule; false when the reply has been set to the refusal.
  virtual bool CheckLogin(TIdCommand& ACommand, TLoginRule ARule);

 protected:
  void DoConnect(TIdContext& AContext) override;
  bool DoExecute(TIdContext& AContext) override;
  void DoMaxConnectionsExceeded(TIdTCPConnection& AConnection) override;

  /// Sets the session text encoding before the greeting.
  virtual void InitConnection(TIdContext&) {}
  /// Lets the layer above change the greeting reply before it is sent.
  virtual void DoGreeting(TIdContext&, TIdReplyRFC&) {}
  /// Sends the greeting, then raises OnConnect.
  void SendGreeting(TIdContext& AContext);

  TIdCommandHandlers FCommandHandlers;
};

enum class TLineResult { Line, Closed };

/// Reads one command line through the Telnet filter. Returns Closed when the peer closed before any
/// byte of a line; throws when it closed in the middle of one, and ELineTooLong past the bound.
TLineResult ReadCommandLine(TIdTCPConnection& AConnection, std::string& ALine);

class ELineTooLong : public EIdException {
 public:
  ELineTooLong() : EIdException("Command line too long.") {}
};

}  // namespace kobix::ftp
