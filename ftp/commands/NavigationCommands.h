#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Working-directory commands.
void CommandCWD(TIdCommand& ACommand);
void CommandCDUP(TIdCommand& ACommand);
void CommandPWD(TIdCommand& ACommand);

}  // namespace kobix::ftp
