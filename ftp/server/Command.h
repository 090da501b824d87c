#pragma once

#include "ftp/server/Reply.h"

#include <string>
#include <string_view>
#include <vector>

namespace kobix::ftp {

class TIdContext;
class TIdCommand;
struct TIdCommandHandler;

/// A command handler operation.
using TIdCommandEvent = void (*)(TIdCommand& ACommand);

/// What the session must have before an entry's handler runs. The dispatcher applies the rule, so
/// a handler only starts when it may.
enum class TLoginRule {
  None,        // no guard (or the handler decides itself)
  Required,    // 530 "Not logged in." before login
  FileAction,  // 550 "Requested file action not taken." before login
};

/// One entry of a command table: every fixed property of a command lives here.
struct TIdCommandHandler {
  std::string Command;
  TIdCommandEvent OnCommand = nullptr;
  int NormalCode = 200;
  std::string NormalText;
  TIdReplyRFCFormat NormalFormat = rfNormal;
  int ExceptionCode = 0;  // 0: the engine's exception reply (500) applies
  TLoginRule Login = TLoginRule::None;
  std::vector<std::string> Description;
  bool HelpVisible = true;
  std::string HelpSuperScript;
  bool Disconnect = false;

  TIdReplyFTP NormalReply() const;
};

/// A command table. Lines are matched in table order: an entry matches when the whole line equals
/// its word, or the line starts with its word and one space (letter case ignored either way).
class TIdCommandHandlers {
 public:
  TIdCommandHandlers() = default;
  explicit TIdCommandHandlers(std::vector<TIdCommandHandler> AEntries) : FEntries(std::move(AEntries)) {}

  /// The first entry that matches, with the parameter text after its word; nullptr when none does.
  const TIdCommandHandler* Find(std::string_view ALine, std::string& AParams) const;
  /// The entry whose word equals AWord, ignoring letter case.
  const TIdCommandHandler* FindByName(std::string_view AWord) const;
  const std::vector<TIdCommandHandler>& Entries() const { return FEntries; }

 private:
  std::vector<TIdCommandHandler> FEntries;
};

/// One received command while its handler runs.
class TIdCommand {
 public:
  TIdCommand(TIdContext& AContext, const TIdCommandHandler& AHandler, std::string ARawLine, std::string AUnparsedParams);

  std::string RawLine;
  std::string UnparsedParams;
  std::vector<std::string> Params;  // UnparsedParams split at spaces, empty pieces dropped
  TIdReplyFTP Reply;
  TIdContext* Context;
  const TIdCommandHandler* CommandHandler;
  bool Disconnect;
  bool PerformReply = true;

  /// Sends the reply now (its fallback text filled in) and suppresses the automatic sending.
  void SendReply();
};

/// Runs a matched entry's handler and answers: the normal reply unless the handler changed it, the
/// entry's exception reply with the error's message when the handler raised. Returns whether the
/// connection should be closed afterwards.
bool DoCommand(TIdContext& AContext, const TIdCommandHandler& AHandler, const std::string& ARawLine, const std::string& AParams);

/// Answers a line that matched no entry: 500 "'%s': command not understood." with the line's first
/// word upper-cased.
void SendUnknownCommandReply(TIdContext& AContext, const std::string& ARawLine);

/// The same refusal for a matched entry this configuration does not serve; suppresses the reply.
void CommandNotUnderstood(TIdCommand& ACommand);

/// Text helpers shared by the command handlers.
std::string UnknownCommandText(const std::string& ARawLine);
std::string UpperCaseASCII(std::string_view AText);
std::string LowerCaseASCII(std::string_view AText);
bool SameTextASCII(std::string_view A, std::string_view B);
std::string TrimBlanks(std::string_view AText);
std::vector<std::string> SplitParams(std::string_view AText);

}  // namespace kobix::ftp

namespace kobix::ftp {

/// The not-implemented reply: 550 "\"%s\" Command not implemented." with the command word.
void ReplyNotImplemented(TIdCommand& ACommand);

}  // namespace kobix::ftp
