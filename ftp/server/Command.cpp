#include "ftp/server/Command.h"

#include "ftp/server/CmdTCPServer.h"
#include "ftp/server/Errors.h"

namespace kobix::ftp {

namespace {

char UpperASCII(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerASCII(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithWord(std::string_view ALine, std::string_view AWord) {
  return ALine.size() > AWord.size() && ALine[AWord.size()] == ' ' && SameTextASCII(ALine.substr(0, AWord.size()), AWord);
}

}  // namespace

std::string UpperCaseASCII(std::string_view AText) {
  std::string result(AText);
  for (char& c : result) c = UpperASCII(c);
  return result;
}

std::string LowerCaseASCII(std::string_view AText) {
  std::string result(AText);
  for (char& c : result) c = LowerASCII(c);
  return result;
}

bool SameTextASCII(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i)
    if (UpperASCII(A[i]) != UpperASCII(B[i])) return false;
  return true;
}

std::string TrimBlanks(std::string_view AText) {
  size_t first = 0, last = AText.size();
  while (first < last && static_cast<unsigned char>(AText[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(AText[last - 1]) <= ' ') --last;
  return std::string(AText.substr(first, last - first));
}

std::vector<std::string> SplitParams(std::string_view AText) {
  std::vector<std::string> params;
  size_t start = 0;
  while (start <= AText.size()) {
    const size_t space = AText.find(' ', start);
    const size_t end = space == std::string_view::npos ? AText.size() : space;
    if (end > start) params.emplace_back(AText.substr(start, end - start));
    start = end + 1;
  }
  return params;
}

TIdReplyFTP TIdCommandHandler::NormalReply() const {
  TIdReplyFTP reply(NormalCode, NormalText);
  reply.SetReplyFormat(NormalFormat);
  return reply;
}

const TIdCommandHandler* TIdCommandHandlers::Find(std::string_view ALine, std::string& AParams) const {
  for (const auto& entry : FEntries) {
    if (SameTextASCII(ALine, entry.Command)) {
      AParams.clear();
      return &entry;
    }
    if (StartsWithWord(ALine, entry.Command)) {
      AParams = ALine.substr(entry.Command.size() + 1);
      return &entry;
    }
  }
  return nullptr;
}

const TIdCommandHandler* TIdCommandHandlers::FindByName(std::string_view AWord) const {
  for (const auto& entry : FEntries)
    if (SameTextASCII(AWord, entry.Command)) return &entry;
  return nullptr;
}

TIdCommand::TIdCommand(TIdContext& AContext, const TIdCommandHandler& AHandler, std::string ARawLine, std::string AUnparsedParams)
    : RawLine(std::move(ARawLine)),
      UnparsedParams(std::move(AUnparsedParams)),
      Params(SplitParams(UnparsedParams)),
      Context(&AContext),
      CommandHandler(&AHandler),
      Disconnect(AHandler.Disconnect) {}

void TIdCommand::SendReply() {
  PerformReply = false;
  Reply.FillFallbackText();
  Context->Connection().WriteText(Reply.FormattedReply());
}

bool DoCommand(TIdContext& AContext, const TIdCommandHandler& AHandler, const std::string& ARawLine, const std::string& AParams) {
  auto& server = static_cast<TIdCmdTCPServer&>(AContext.Server());
  TIdCommand command(AContext, AHandler, ARawLine, AParams);
  try {
    command.Reply = AHandler.NormalReply();
    if (server.CheckLogin(command, AHandler.Login) && AHandler.OnCommand) AHandler.OnCommand(command);
    if (command.Reply.Code().empty()) command.Reply = AHandler.NormalReply();
    if (command.PerformReply) command.SendReply();
  } catch (const EIdSilentException&) {
    throw;
  } catch (const EIdSocketError&) {
    throw;
  } catch (const std::exception& e) {
    if (!command.PerformReply) throw;
    command.Reply.Clear();
    command.Reply = AHandler.ExceptionCode ? TIdReplyFTP(AHandler.ExceptionCode) : server.ExceptionReply;
    command.Reply.SetText(e.what());
    command.SendReply();
  }
  return command.Disconnect;
}

std::string UnknownCommandText(const std::string& ARawLine) {
  const size_t blank = ARawLine.find_first_of(" \t");
  std::string line = ARawLine;
  if (blank == std::string::npos || blank == 0)
    line = UpperCaseASCII(line);
  else
    line = UpperCaseASCII(line.substr(0, blank)) + line.substr(blank);
  return "'" + line + "': command not understood.";
}

void SendUnknownCommandReply(TIdContext& AContext, const std::string& ARawLine) {
  auto& server = static_cast<TIdCmdTCPServer&>(AContext.Server());
  // One line, even when the received line holds a bare LF.
  AContext.Connection().WriteText(server.ReplyUnknownCommand.Code() + " " + UnknownCommandText(ARawLine) + "\r\n");
}

void CommandNotUnderstood(TIdCommand& ACommand) {
  SendUnknownCommandReply(*ACommand.Context, ACommand.RawLine);
  ACommand.PerformReply = false;
}

}  // namespace kobix::ftp


#include "ftp/server/ReplyTexts.h"

namespace kobix::ftp {

void ReplyNotImplemented(TIdCommand& ACommand) {
  ACommand.Reply.SetReply(550, Format(RSFTPCmdNotImplemented, ACommand.CommandHandler->Command));
}

}  // namespace kobix::ftp
