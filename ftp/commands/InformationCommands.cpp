#include "ftp/commands/InformationCommands.h"

namespace kobix::ftp {

void CommandSITE(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSYST(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSTAT(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandFEAT(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandOPTS(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandHELP(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandOptsMLST(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandOptsUTF8(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteHELP(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteDIRSTYLE(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteZONE(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
