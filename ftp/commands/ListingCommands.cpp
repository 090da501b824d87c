#include "ftp/commands/ListingCommands.h"

#include "ftp/commands/BuildListing.h"
#include "ftp/data/DataChannel.h"
#include "ftp/listing/ListEncoding.h"
#include "ftp/listing/ListSwitches.h"
#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"
#include "ftp/server/VirtualPath.h"

namespace kobix::ftp {

namespace {

// Builds the listing for a data connection; a refusal drops the channel unused and goes on to the
// dispatcher, which answers with the command's exception code and the refusal's text.
std::vector<std::string> BuildOrDropChannel(TIdFTPServerContext& AContext, const std::string& APath,
                                            const std::string& ASwitches, const std::string& ACommandName, bool ALongForm) {
  try {
    return BuildListing(AContext, APath, ASwitches, ACommandName, ALongForm);
  } catch (...) {
    AContext.DropDataChannel();
    throw;
  }
}

// Hands the lines to the data channel, sends the preliminary reply and runs the transfer, which
// sends the final reply.
void SendListing(TIdCommand& ACommand, std::vector<std::string> ALines, std::string_view APreliminary) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  if (!context.FDataChannel) {  // dropped while the listing was made (the server is stopping)
    ACommand.Reply.SetReply(425, RSFTPCantOpenDataConn);
    return;
  }
  TIdDataChannel& channel = *context.FDataChannel;
  EncodeListingLines(ALines, context.FNLSTUtf8);
  channel.FLines = std::move(ALines);
  channel.FHasLines = true;
  channel.FFtpOperation = ftpRetr;
  channel.FOKReply.SetReply(226, RSFTPDataConnClosed);
  channel.FErrorReply.SetReply(426, RSFTPDataConnClosedAbnormally);
  ACommand.Reply.SetReply(125, APreliminary);
  ACommand.SendReply();
  RunDataOperation(ACommand, context.FSSCNOn);
}

// A listing line that goes out on the control connection must stay one line: a CR or LF inside a
// file name would otherwise end it early and let the rest pass for a reply of its own.
void KeepOnOneLine(std::string& ALine) {
  for (char& c : ALine)
    if (c == '\r' || c == '\n') c = '?';
}

bool RefuseWithoutChannel(TIdCommand& ACommand) {
  if (DataChannelUsable(FTPContext(ACommand))) return false;
  ACommand.Reply.SetReply(425, RSFTPCantOpenDataConn);
  return true;
}

}  // namespace

// LIST and NLST share this handler; the table entry tells them apart.
void CommandLIST(TIdCommand& ACommand) {
  if (RefuseWithoutChannel(ACommand)) return;
  TIdFTPServerContext& context = FTPContext(ACommand);
  const std::string& name = ACommand.CommandHandler->Command;
  const bool names = SameTextASCII(name, "NLST");
  const TListParameter parameter = SplitListParameter(ACommand.UnparsedParams);
  const std::string path = ResolveVirtualPath(context, parameter.Path);
  std::vector<std::string> lines = BuildOrDropChannel(context, path, parameter.Switches, names ? "NLST" : "LIST", !names);
  SendListing(ACommand, std::move(lines), names && parameter.Switches.empty() ? RSFTPDataConnNList : RSFTPDataConnList);
}

void CommandMLSD(TIdCommand& ACommand) {
  if (RefuseWithoutChannel(ACommand)) return;
  TIdFTPServerContext& context = FTPContext(ACommand);
  const std::string path = ResolveVirtualPath(context, ACommand.UnparsedParams);
  SendListing(ACommand, BuildOrDropChannel(context, path, {}, "MLSD", false), RSFTPFileStatusOkay);
}

// The facts go out as one 250 reply on the control connection: "250-Begin", one line per entry
// indented by a blank, "250 End" (the table entry gives the reply its indented layout).
void CommandMLST(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  const std::string path = ResolveVirtualPath(context, ACommand.UnparsedParams);
  std::vector<std::string> lines = BuildListing(context, path, {}, "MLST", false);
  ACommand.Reply.SetCode(250);
  std::vector<std::string>& text = ACommand.Reply.Text();
  text.clear();
  text.reserve(lines.size() + 2);
  text.emplace_back(RSFTPMLSTBegin);
  for (std::string& line : lines) {
    KeepOnOneLine(line);
    text.push_back(std::move(line));
  }
  text.emplace_back(RSFTPMLSTEnd);
  ACommand.Reply.SetReplyFormat(rfIndentMidLines);
}

// The switches word is removed from the parameter but not applied: the listing is the plain long
// form. Its lines carry no reply code; they are already encoded, so they go out as bytes.
void StatWithPath(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  const TListParameter parameter = SplitListParameter(ACommand.UnparsedParams);
  const std::string path = ResolveVirtualPath(context, parameter.Path);
  std::vector<std::string> lines = BuildListing(context, path, {}, "STAT", true);
  EncodeListingLines(lines, context.FNLSTUtf8);
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (std::string& line : lines) {
    KeepOnOneLine(line);
    bytes += line;
    bytes += "\r\n";
  }
  context.Connection().WriteText("213-" + std::string(RSFTPFileStatusOkay) + "\r\n");
  if (!bytes.empty()) context.Connection().WriteBytes(bytes);
  ACommand.Reply.SetReply(213, RSFTPEndOfStatus);
}

}  // namespace kobix::ftp
