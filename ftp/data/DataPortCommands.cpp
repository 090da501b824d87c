#include "ftp/data/DataPortCommands.h"

namespace kobix::ftp {

void CommandPORT(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandPASV(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandEPSV(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandEPRT(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSPSV(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandCPSV(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSSCN(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
