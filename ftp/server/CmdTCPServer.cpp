#include "ftp/server/CmdTCPServer.h"

#include "ftp/server/Errors.h"
#include "ftp/server/TelnetFilter.h"

namespace kobix::ftp {

TLineResult ReadCommandLine(TIdTCPConnection& AConnection, std::string& ALine) {
  ALine.clear();
  TTelnetFilter filter;
  std::string answer;
  bool started = false;
  for (;;) {
    uint8_t byte;
    try {
      byte = AConnection.ReadByte();
    } catch (const EIdException&) {
      if (!started) return TLineResult::Closed;
      throw;
    }
    started = true;
    if (filter.Feed(byte, ALine, answer) == TTelnetFilter::TResult::LineComplete) return TLineResult::Line;
    if (!answer.empty()) {
      AConnection.WriteBytes(answer);
      answer.clear();
    }
    if (ALine.size() > MaxCommandLineLength) throw ELineTooLong();
  }
}

bool TIdCmdTCPServer::CheckLogin(TIdCommand&, TLoginRule) { return true; }

void TIdCmdTCPServer::SendGreeting(TIdContext& AContext) {
  InitConnection(AContext);
  TIdReplyRFC greeting = Greeting;
  DoGreeting(AContext, greeting);
  greeting.FillFallbackText();
  AContext.Connection().WriteText(greeting.FormattedReply());
  TIdCustomTCPServer::DoConnect(AContext);
  if (greeting.NumericCode() == 421) AContext.Connection().Disconnect();
}

void TIdCmdTCPServer::DoConnect(TIdContext& AContext) { SendGreeting(AContext); }

bool TIdCmdTCPServer::DoExecute(TIdContext& AContext) {
  TIdTCPConnection& connection = AContext.Connection();
  std::string bytes;
  try {
    if (ReadCommandLine(connection, bytes) == TLineResult::Closed) return false;
  } catch (const ELineTooLong&) {
    connection.WriteText("500 Command line too long (more than " + std::to_string(MaxCommandLineLength) +
                         " bytes); closing control connection.\r\n");
    connection.Disconnect();
    return false;
  }
  if (bytes.empty()) return connection.Connected();
  const std::string line = DecodeText(bytes, connection.Encoding());
  std::string params;
  const TIdCommandHandler* handler = FCommandHandlers.Find(line, params);
  if (!handler) {
    SendUnknownCommandReply(AContext, line);
    return connection.Connected();
  }
  if (DoCommand(AContext, *handler, line, params)) connection.Disconnect();
  return connection.Connected();
}

void TIdCmdTCPServer::DoMaxConnectionsExceeded(TIdTCPConnection& AConnection) {
  TIdReplyFTP reply = MaxConnectionReply;
  reply.FillFallbackText();
  AConnection.WriteText(reply.FormattedReply());
}

}  // namespace kobix::ftp
