#include "ftp/commands/FileCommands.h"

#include "ftp/commands/ArgumentParsers.h"
#include "ftp/commands/Timestamps.h"
#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"
#include "ftp/server/VirtualPath.h"

#include <string>
#include <string_view>
#include <utility>

// The commands that create, delete, rename and inspect entries and set their times. Every handler
// resolves its path against the working directory and leaves the file work to the server's events;
// a refusal raised by an event leaves the handler untouched, so the dispatcher answers it with the
// entry's exception code and the refusal's own text.

namespace kobix::ftp {

namespace {

using platform::TDateTime;

TIdFTPServer& ServerOf(TIdCommand& ACommand) { return FTPContext(ACommand).FTPServer(); }

std::string Resolve(TIdCommand& ACommand, std::string_view AText) { return ResolveVirtualPath(FTPContext(ACommand), AText); }

// The argument cut at its first space: the word before it and the text after it (empty when the
// argument holds no space).
std::pair<std::string, std::string> SplitAtFirstSpace(const std::string& AText) {
  const size_t space = AText.find(' ');
  if (space == std::string::npos) return {AText, std::string()};
  return {AText.substr(0, space), AText.substr(space + 1)};
}

// Sets a time through the server's event; false when the event is not bound.
template <typename TEvent>
bool SetTime(TIdCommand& ACommand, const TEvent& AEvent, const std::string& APath, TDateTime& ATime) {
  if (!AEvent) return false;
  AEvent(FTPContext(ACommand), APath, ATime);
  return true;
}

// The two forms of MDTM share the existence check of the whole argument.
bool NamesExistingFile(TIdCommand& ACommand, const std::string& APath) {
  auto& server = ServerOf(ACommand);
  bool exists = false;
  if (server.OnFileExistCheck) server.OnFileExistCheck(FTPContext(ACommand), APath, exists);
  return exists;
}

void ReplyFileDate(TIdCommand& ACommand, const std::string& APath) {
  auto& server = ServerOf(ACommand);
  TDateTime date;
  if (server.OnGetFileDate) server.OnGetFileDate(FTPContext(ACommand), APath, date);
  if (date > TDateTime{})
    ACommand.Reply.SetReply(213, FormatMLSTimestamp(date));
  else
    ACommand.Reply.SetReply(550, RSFTPLocalError);
}

}  // namespace

void CommandMKD(TIdCommand& ACommand) {
  auto& server = ServerOf(ACommand);
  if (!server.OnMakeDirectory) return ReplyNotImplemented(ACommand);
  std::string path = Resolve(ACommand, ACommand.UnparsedParams);
  server.OnMakeDirectory(FTPContext(ACommand), path);
  ACommand.Reply.SetReply(257, RSFTPFileActionCompleted);
}

void CommandRMD(TIdCommand& ACommand) {
  auto& server = ServerOf(ACommand);
  if (!server.OnRemoveDirectory) return ReplyNotImplemented(ACommand);
  std::string path = Resolve(ACommand, ACommand.UnparsedParams);
  server.OnRemoveDirectory(FTPContext(ACommand), path);
  ACommand.Reply.SetReply(250, RSFTPFileActionCompleted);
}

void CommandDELE(TIdCommand& ACommand) {
  auto& server = ServerOf(ACommand);
  if (!server.OnDeleteFile) return ReplyNotImplemented(ACommand);
  server.OnDeleteFile(FTPContext(ACommand), Resolve(ACommand, ACommand.UnparsedParams));
  ACommand.Reply.SetReply(250, RSFTPFileActionCompleted);
}

// The source is only remembered here; whether it exists is the rename's business.
void CommandRNFR(TIdCommand& ACommand) {
  ACommand.Reply.SetReply(350, RSFTPFileActionPending);
  FTPContext(ACommand).FRNFR = Resolve(ACommand, ACommand.UnparsedParams);
}

// The remembered source stays: a second RNTO renames from it again, and an RNTO with no RNFR
// before it renames from an empty path, which the server refuses.
void CommandRNTO(TIdCommand& ACommand) {
  auto& server = ServerOf(ACommand);
  if (!server.OnRenameFile) return ReplyNotImplemented(ACommand);
  auto& context = FTPContext(ACommand);
  server.OnRenameFile(context, context.FRNFR, Resolve(ACommand, ACommand.UnparsedParams));
  ACommand.Reply.SetCode(250);  // with the standard text of its code
}

void CommandSIZE(TIdCommand& ACommand) {
  auto& server = ServerOf(ACommand);
  int64_t size = -1;
  if (server.OnGetFileSize) server.OnGetFileSize(FTPContext(ACommand), Resolve(ACommand, ACommand.UnparsedParams), size);
  if (size < 0)
    ACommand.Reply.SetReply(550, RSFTPLocalError);
  else
    ACommand.Reply.SetReply(213, std::to_string(size));
}

// "MDTM path" reports a file's time; "MDTM YYYYMMDDHHMMSS[+-minutes] path" sets it, unless the
// whole argument names an existing file (a file may well be called like a timestamp). A timestamp
// without an offset is the server's local time.
void CommandMDTM(TIdCommand& ACommand) {
  const std::string& argument = ACommand.UnparsedParams;
  const auto [word, rest] = SplitAtFirstSpace(argument);
  const auto candidate = ParseMDTMCandidate(word);
  // A timestamp with no path after it is asked about as a file name: setting the time of the
  // working folder instead would answer a date query with a change nobody asked for.
  if (!candidate || rest.empty() || NamesExistingFile(ACommand, Resolve(ACommand, argument)))
    return ReplyFileDate(ACommand, Resolve(ACommand, argument));

  auto& server = ServerOf(ACommand);
  if (!server.OnSetModifiedTime) return ReplyNotImplemented(ACommand);
  const std::string path = Resolve(ACommand, rest);
  TDateTime time = ParseMLSTimestamp(candidate->Digits);
  time = candidate->Offset ? platform::AddMinutes(time, *candidate->Offset) : platform::LocalToUTC(time);
  server.OnSetModifiedTime(FTPContext(ACommand), path, time);
  ACommand.Reply.SetReply(253, RSFTPDateTimeChanged);
}

// "MFMT YYYYMMDDHHMMSS[.fraction] path", the time in UTC.
void CommandMFMT(TIdCommand& ACommand) {
  const auto [stamp, rest] = SplitAtFirstSpace(ACommand.UnparsedParams);
  const std::string path = Resolve(ACommand, rest);
  TDateTime time = ParseMLSTimestamp(stamp);
  if (!SetTime(ACommand, ServerOf(ACommand).OnSetModifiedTime, path, time)) return ReplyNotImplemented(ACommand);
  ACommand.Reply.SetReply(213, Format(Format(RSFTPMFMTReply, FormatMLSTimestamp(time)), path));
}

// "MFCT YYYYMMDDHHMMSS[.fraction] path": the server is handed the time as local time.
void CommandMFCT(TIdCommand& ACommand) {
  const auto [stamp, rest] = SplitAtFirstSpace(ACommand.UnparsedParams);
  const std::string path = Resolve(ACommand, rest);
  TDateTime time = platform::UTCToLocal(ParseMLSTimestamp(stamp));
  if (!SetTime(ACommand, ServerOf(ACommand).OnSetCreationTime, path, time)) return ReplyNotImplemented(ACommand);
  ACommand.Reply.SetReply(213, Format(Format(RSFTPMFCTReply, FormatMLSTimestamp(platform::LocalToUTC(time))), path));
}

// "MFF fact=value;fact=value; path". Only Modify and Create can be applied here; every other fact
// is left alone and left out of the reply.
void CommandMFF(TIdCommand& ACommand) {
  if (ACommand.Params.empty()) {
    ACommand.Reply.SetReply(501, Format(RSFTPInvalidNumberArgs, ACommand.CommandHandler->Command));
    return;
  }
  if (!LoginGuard(ACommand)) return;
  auto& server = ServerOf(ACommand);
  const TMFFArguments arguments = ParseMFFArguments(ACommand.UnparsedParams);
  const std::string path = Resolve(ACommand, arguments.Path);
  std::string applied;
  if (const auto modify = arguments.Value("Modify")) {
    TDateTime time = ParseMLSTimestamp(*modify);
    if (SetTime(ACommand, server.OnSetModifiedTime, path, time)) applied += Format(RSFTPMFFModifyFact, FormatMLSTimestamp(time));
  }
  if (const auto create = arguments.Value("Create")) {
    TDateTime time = platform::UTCToLocal(ParseMLSTimestamp(*create));
    if (SetTime(ACommand, server.OnSetCreationTime, path, time))
      applied += Format(RSFTPMFFCreateFact, FormatMLSTimestamp(platform::LocalToUTC(time)));
  }
  if (applied.empty())
    ACommand.Reply.SetReply(504, Format(RSFTPParamError, ACommand.CommandHandler->Command));
  else
    ACommand.Reply.SetReply(213, applied + " " + path);
}

// Removing a tree, free space, folder size and joining files are not served.
void CommandRMDA(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandAVBL(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandDSIZ(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandCOMB(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

// Attributes and permission bits cannot be changed: answered as an unknown SITE command.
void CommandSiteATTRIB(TIdCommand& ACommand) { ACommand.Reply = ServerOf(ACommand).ReplyUnknownSITCommand; }

void CommandSiteCHMOD(TIdCommand& ACommand) { ACommand.Reply = ServerOf(ACommand).ReplyUnknownSITCommand; }

void CommandSiteUMASK(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

// Owners and groups are not changed; the sub-command's own reply is sent.
void CommandSiteCHOWN(TIdCommand&) {}

void CommandSiteCHGRP(TIdCommand&) {}

// "SITE UTIME path access modify [create] UTC" or "SITE UTIME YYYYMMDDHHMMSS path" (local time).
void CommandSiteUTIME(TIdCommand& ACommand) {
  auto& server = ServerOf(ACommand);
  TSiteUTimeArguments arguments = ParseSiteUTimeArguments(ACommand.UnparsedParams);
  if (arguments.Form == utUnrecognised) return CommandNotUnderstood(ACommand);
  if (!server.OnSetModifiedTime && !server.OnSetCreationTime) return ReplyNotImplemented(ACommand);
  const std::string path = Resolve(ACommand, arguments.Path);
  if (arguments.Form == utShort && arguments.ModifiedTime) arguments.ModifiedTime = platform::LocalToUTC(*arguments.ModifiedTime);
  // The access time is read for its shape only; a zero time means "leave this one alone".
  if (arguments.ModifiedTime && *arguments.ModifiedTime != TDateTime{})
    SetTime(ACommand, server.OnSetModifiedTime, path, *arguments.ModifiedTime);
  if (arguments.CreationTime && *arguments.CreationTime != TDateTime{})
    SetTime(ACommand, server.OnSetCreationTime, path, *arguments.CreationTime);
  ACommand.Reply.SetReply(200, RSFTPCHMODSuccessful);
}

}  // namespace kobix::ftp
