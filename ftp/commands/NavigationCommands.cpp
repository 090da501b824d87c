#include "ftp/commands/NavigationCommands.h"

namespace kobix::ftp {

void CommandCWD(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandCDUP(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandPWD(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
