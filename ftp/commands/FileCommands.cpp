#include "ftp/commands/FileCommands.h"

namespace kobix::ftp {

void CommandRNFR(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandRNTO(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandDELE(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandRMD(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMKD(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSIZE(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMDTM(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMFMT(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMFCT(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMFF(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandRMDA(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandAVBL(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandDSIZ(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandCOMB(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteATTRIB(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteUMASK(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteCHMOD(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteCHOWN(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteCHGRP(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSiteUTIME(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
