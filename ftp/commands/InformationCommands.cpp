#include "ftp/commands/InformationCommands.h"

#include "ftp/commands/ListingCommands.h"
#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"
#include "platform/DateTime.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace kobix::ftp {

namespace {

// Commands of the main table that this configuration does not serve: no TLS layer, no checksum
// source and no events for the disk-space, directory-size, recursive-delete and host commands.
// HELP leaves them out of its list and treats them as unknown.
constexpr std::array<std::string_view, 19> NotOffered = {
    "AUTH", "PBSZ", "PROT", "CCC",  "MIC",  "CONF", "ENC",  "SSCN", "CPSV", "MD5",
    "MMD5", "XCRC", "XMD5", "XSHA1", "COMB", "AVBL", "DSIZ", "RMDA", "HOST"};

bool OfferedInHelp(const TIdCommandHandler& AEntry) {
  if (!AEntry.HelpVisible) return false;
  return std::none_of(NotOffered.begin(), NotOffered.end(), [&](std::string_view AWord) { return SameTextASCII(AWord, AEntry.Command); });
}

// The MLST facts a client can name, in the order OPTS MLST echoes them. Only type, modify and size
// can be selected here; the others would need listing facts this server never produces, so naming
// them changes nothing.
struct TMLSTFactName {
  std::string_view Name;
  TIdFTPFactOutput Fact;
  bool Selectable;
};

constexpr std::array<TMLSTFactName, 11> MLSTFactNames = {{
    {"size", Size, true},
    {"type", ItemType, true},
    {"perm", Perm, false},
    {"create", CreateTime, false},
    {"modify", Modify, true},
    {"UNIX.mode", UnixMODE, false},
    {"UNIX.owner", UnixOwner, false},
    {"UNIX.group", UnixGroup, false},
    {"unique", Unique, false},
    {"windows.lastaccesstime", LastAccessTime, false},
    {"win32.ea", WinAttribs, false},
}};

std::string TrimRight(std::string AText) {
  while (!AText.empty() && static_cast<unsigned char>(AText.back()) <= ' ') AText.pop_back();
  return AText;
}

std::string TrimLeft(std::string_view AText) {
  size_t first = 0;
  while (first < AText.size() && static_cast<unsigned char>(AText[first]) <= ' ') ++first;
  return std::string(AText.substr(first));
}

// Runs the sub-command of SITE or OPTS that AText names. The sub-command's entry answers (its login
// rule, normal reply and exception code apply), so the outer command sends nothing itself.
// Returns false when no entry matches.
bool RunSubCommand(TIdCommand& ACommand, const TIdCommandHandlers& ATable) {
  std::string params;
  const TIdCommandHandler* entry = ATable.Find(ACommand.UnparsedParams, params);
  if (!entry) return false;
  ACommand.PerformReply = false;
  if (DoCommand(*ACommand.Context, *entry, ACommand.UnparsedParams, params)) ACommand.Disconnect = true;
  return true;
}

std::string Star(const TIdFTPServerContext& AContext, TIdFTPFactOutput AFact) { return AContext.FMLSOpts.Contains(AFact) ? "*;" : ";"; }

}  // namespace

std::string HelpColumns(const std::vector<std::string>& ANames) {
  std::string text;
  auto addCell = [&](const std::string& AName) {
    text += AName;
    if (AName.size() < 10) text.append(10 - AName.size(), ' ');
  };
  const size_t count = ANames.size();
  if (count < 6) {
    text += "    ";
    for (const auto& name : ANames) addCell(name);
    return text + '\r';
  }
  const size_t rows = count / 6, rest = count % 6;
  for (size_t row = 0; row < rows; ++row) {
    text += "    ";
    for (size_t column = 0; column < 6; ++column) addCell(ANames[row + column * rows]);
    if (row < rest) addCell(ANames[6 * rows + row]);
    text += '\r';
  }
  return text;
}

void RefuseOptions(TIdCommand& ACommand) {
  const std::string_view line = ACommand.RawLine;
  const size_t blank = line.find(' ');
  const std::string rest = blank == std::string_view::npos ? std::string() : TrimLeft(line.substr(blank + 1));
  ACommand.Reply.SetReply(501, Format(RSFTPInvalidOps, rest));
}

void CommandSITE(TIdCommand& ACommand) {
  ACommand.Reply.Clear();
  ACommand.PerformReply = false;
  if (RunSubCommand(ACommand, FTPContext(ACommand).FTPServer().SITECommands())) return;
  ACommand.Reply.SetCode(500);
  SendUnknownCommandReply(*ACommand.Context, "SITE " + ACommand.UnparsedParams);
}

void CommandSYST(TIdCommand& ACommand) {
  if (!LoginGuard(ACommand)) return;
  ACommand.Reply.SetReply(215, RSFTPSystemType);
}

void CommandSTAT(TIdCommand& ACommand) {
  if (!LoginGuard(ACommand)) return;
  TIdFTPServerContext& context = FTPContext(ACommand);
  TIdFTPServer& server = context.FTPServer();
  // A STAT read while a transfer runs comes through the data-channel table and reports status.
  const bool duringTransfer = ACommand.CommandHandler == server.DataChannelCommands().FindByName("STAT");
  if (!ACommand.Params.empty() && !duringTransfer) {
    StatWithPath(ACommand);
    return;
  }
  std::vector<std::string> info;
  if (server.OnStat) server.OnStat(context, info);
  ACommand.Reply.Clear();
  ACommand.Reply.SetCode(211);
  auto& text = ACommand.Reply.Text();
  text.emplace_back(RSFTPServerStatus);
  for (const auto& line : info) text.push_back("    " + TrimLeft(line));
  text.emplace_back(RSFTPEndOfStatus);
}

void CommandFEAT(TIdCommand& ACommand) {
  const TIdFTPServerContext& context = FTPContext(ACommand);
  ACommand.Reply.Clear();
  ACommand.Reply.SetReplyFormat(rfIndentMidLines);
  ACommand.Reply.SetCode(211);
  ACommand.Reply.Text() = {
      "Extensions supported:",
      "EPRT",
      "EPSV",
      "LIST -laT",
      "MDTM",
      "MDTM YYYYMMDDHHMMSS filename",
      "MFCT",
      "MFF Create;Modify;",
      "MFMT",
      "MLSD",
      "MLST size" + Star(context, Size) + "Type" + Star(context, ItemType) + "Modify" + Star(context, Modify),
      "MODE Z",
      "OPTS MLST;MODE;UTF8",
      "REST STREAM",
      "SITE ZONE;UTIME",
      "SIZE",
      "SPSV",
      "STAT -laT",
      "TVFS",
      "UTF8",
      TrimRight("RFC 959 2389 2577 3659 "),
      "End of extentions.",
  };
}

void CommandOPTS(TIdCommand& ACommand) {
  ACommand.Reply.Clear();
  if (RunSubCommand(ACommand, FTPContext(ACommand).FTPServer().OPTSCommands())) return;
  ACommand.Reply.SetReply(501, RSFTPOptionNotRecog);
}

void CommandHELP(TIdCommand& ACommand) {
  const TIdCommandHandlers& table = FTPContext(ACommand).FTPServer().CommandHandlers();
  if (!ACommand.Params.empty()) {
    const std::string& word = ACommand.Params.front();
    const TIdCommandHandler* entry = table.FindByName(word);
    if (!entry || !OfferedInHelp(*entry)) {
      ACommand.Reply.SetReply(502, Format(RSFTPUnknownCmd, UpperCaseASCII(word)));
      return;
    }
    ACommand.Reply.Clear();
    ACommand.Reply.SetCode(214);
    ACommand.Reply.Text() = entry->Description;
    return;
  }
  std::vector<std::string> names;
  for (const auto& entry : table.Entries())
    if (OfferedInHelp(entry)) names.push_back(entry.Command + entry.HelpSuperScript);
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& A, const std::string& B) { return UpperCaseASCII(A) < UpperCaseASCII(B); });
  const std::string& endOfHelp = FTPContext(ACommand).FTPServer().EndOfHelpLine;
  std::string text = std::string(RSFTPHelpBegining) + "\r\n" + HelpColumns(names) + endOfHelp;
  if (endOfHelp.empty()) text += "\r\n";
  ACommand.Reply.SetReply(214, text);
}

void CommandOptsMLST(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  const std::string& facts = ACommand.UnparsedParams;
  if (facts.find(' ') != std::string::npos) {
    ACommand.Reply.SetReply(501, Format(RSFTPInvalidOps, "MLST"));
    return;
  }
  TIdFTPFactOutputs selected;
  const std::string upper = UpperCaseASCII(facts);
  size_t start = 0;
  while (start <= upper.size()) {
    const size_t end = std::min(upper.find(';', start), upper.size());
    const std::string_view piece = std::string_view(upper).substr(start, end - start);
    for (const auto& name : MLSTFactNames)
      if (name.Selectable && SameTextASCII(piece, name.Name)) selected.Include(name.Fact);
    start = end + 1;
  }
  context.FMLSOpts = selected;
  std::string echo;
  for (const auto& name : MLSTFactNames)
    if (name.Selectable && selected.Contains(name.Fact)) echo += std::string(name.Name) + ";";
  ACommand.Reply.SetReply(200, TrimRight(Format(RSFTPMLSTOpts, echo)));
}

// OPTS UTF8 takes ON or OFF; OPTS UTF-8 takes nothing (UTF-8 text) or NLST (UTF-8 text and
// names). The encoding changes before the reply, which therefore goes out in the new one.
void CommandOptsUTF8(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  const std::string value = TrimBlanks(ACommand.UnparsedParams);
  const bool dashed = SameTextASCII(ACommand.CommandHandler->Command, "UTF-8");
  bool nlstUtf8 = false;
  TIdTextEncoding encoding = TIdTextEncoding::encUTF8;
  if (dashed && value.empty()) {
    nlstUtf8 = false;
  } else if (dashed && SameTextASCII(value, "NLST")) {
    nlstUtf8 = true;
  } else if (!dashed && SameTextASCII(value, "ON")) {
    nlstUtf8 = true;
  } else if (!dashed && SameTextASCII(value, "OFF")) {
    encoding = TIdTextEncoding::encLatin1;
  } else {
    RefuseOptions(ACommand);
    return;
  }
  context.FNLSTUtf8 = nlstUtf8;
  context.Connection().SetEncoding(encoding);
  ACommand.Reply.Clear();
  ACommand.Reply.SetCode(200);
}

void CommandSiteHELP(TIdCommand& ACommand) {
  // Of the SITE sub-commands only ZONE is offered: ATTRIB, CHMOD and UMASK need events that are
  // not set, DIRSTYLE a DOS directory format.
  const std::string text = std::string(RSFTPSITEHelp) + "\r\n" + HelpColumns({"ZONE"}) + FTPContext(ACommand).FTPServer().EndOfHelpLine;
  ACommand.Reply.SetReply(214, text);
}

void CommandSiteDIRSTYLE(TIdCommand& ACommand) {
  // The directory format is Unix, so there is nothing to toggle.
  ACommand.Reply = FTPContext(ACommand).FTPServer().ReplyUnknownSITCommand;
}

void CommandSiteZONE(TIdCommand& ACommand) {
  const int minutes = platform::CurrentUTCOffsetMinutes();
  ACommand.Reply.SetReply(210, Format(minutes < 0 ? RSFTPSiteZoneNegative : RSFTPSiteZonePositive, minutes));
}

}  // namespace kobix::ftp
