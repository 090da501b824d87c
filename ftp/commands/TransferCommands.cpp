#include "ftp/commands/TransferCommands.h"

namespace kobix::ftp {

void CommandTYPE(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSTRU(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMODE(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandRETR(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandSTOR(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandALLO(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandREST(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandABOR(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
