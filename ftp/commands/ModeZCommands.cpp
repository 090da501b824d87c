#include "ftp/commands/ModeZCommands.h"

#include "ftp/commands/ArgumentParsers.h"
#include "ftp/commands/InformationCommands.h"
#include "ftp/server/FTPServer.h"

namespace kobix::ftp {

void CommandOptsModeZ(TIdCommand& ACommand) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  const TZLibSettings current{context.FZLibCompressionLevel, context.FZLibWindowBits, context.FZLibMemLevel, context.FZLibStratagy};
  const TModeZOptionsResult result = ApplyModeZOptions(ACommand.UnparsedParams, current);
  if (!result.Accepted) {
    RefuseOptions(ACommand);
    return;
  }
  context.FZLibCompressionLevel = result.Settings.Level;
  context.FZLibWindowBits = result.Settings.WindowBits;
  context.FZLibMemLevel = result.Settings.MemLevel;
  context.FZLibStratagy = result.Settings.Strategy;
  ACommand.Reply.Clear();
  ACommand.Reply.SetCode(200);
  ACommand.Reply.Text() = ModeZReportLines(context.FZLibCompressionLevel);
}

}  // namespace kobix::ftp
