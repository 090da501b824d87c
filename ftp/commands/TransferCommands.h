#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Transfer commands and transfer parameters.
void CommandTYPE(TIdCommand& ACommand);
void CommandSTRU(TIdCommand& ACommand);
void CommandMODE(TIdCommand& ACommand);
void CommandRETR(TIdCommand& ACommand);
void CommandSTOR(TIdCommand& ACommand);
void CommandALLO(TIdCommand& ACommand);
void CommandREST(TIdCommand& ACommand);
void CommandABOR(TIdCommand& ACommand);

}  // namespace kobix::ftp
