#include "ftp/commands/NavigationCommands.h"

#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"
#include "ftp/server/VirtualPath.h"

namespace kobix::ftp {

namespace {

// The parent of the working directory. The marker ends with a separator, so the result keeps its
// trailing "/" (/Music/sub gives /Music/, /Music gives /).
std::string ParentDirectory(const TIdFTPServerContext& AContext) { return ResolveVirtualPath(AContext, ParentMarker()); }

// Asks the facade whether ADirectory is a folder it serves; a refusal raises, and the dispatcher
// answers it with the entry's exception code while the working directory stays as it was.
void ChangeDirectory(TIdFTPServerContext& AContext, std::string ADirectory) {
  AContext.FTPServer().OnChangeDirectory(AContext, ADirectory);
  AContext.FCurrentDir = ADirectory;
}

}  // namespace

void CommandCWD(TIdCommand& ACommand) {
  auto& context = FTPContext(ACommand);
  if (!context.FTPServer().OnChangeDirectory) {
    ReplyNotImplemented(ACommand);
    return;
  }
  // An empty argument means the root.
  const std::string text = StripTrailingSeparator(ACommand.UnparsedParams);
  std::string directory;
  if (text == "..")
    directory = ParentDirectory(context);
  else if (text == ".")
    directory = context.FCurrentDir;
  else
    directory = ResolveVirtualPath(context, text);
  ChangeDirectory(context, CollapseSeparators(directory));
  ACommand.Reply.SetReply(250, Format(RSFTPCmdSuccessful, ACommand.CommandHandler->Command));
}

void CommandCDUP(TIdCommand& ACommand) {
  auto& context = FTPContext(ACommand);
  if (!context.FTPServer().OnChangeDirectory) {
    ReplyNotImplemented(ACommand);
    return;
  }
  ChangeDirectory(context, ParentDirectory(context));
  ACommand.Reply.SetReply(250, Format(RSFTPIsWorkingDirectory, context.FCurrentDir));
}

void CommandPWD(TIdCommand& ACommand) {
  ACommand.Reply.SetReply(257, Format(RSFTPIsWorkingDirectory, FTPContext(ACommand).FCurrentDir));
}

}  // namespace kobix::ftp
