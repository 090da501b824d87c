#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Commands that arrange data connections.
void CommandPORT(TIdCommand& ACommand);
void CommandPASV(TIdCommand& ACommand);
void CommandEPSV(TIdCommand& ACommand);
void CommandEPRT(TIdCommand& ACommand);
void CommandSPSV(TIdCommand& ACommand);
void CommandCPSV(TIdCommand& ACommand);
void CommandSSCN(TIdCommand& ACommand);

}  // namespace kobix::ftp
