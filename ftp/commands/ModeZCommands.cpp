#include "ftp/commands/ModeZCommands.h"

namespace kobix::ftp {

void CommandOptsModeZ(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
