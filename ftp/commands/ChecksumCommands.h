#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Checksum commands.
void CommandXCRC(TIdCommand& ACommand);
void CommandMD5(TIdCommand& ACommand);

}  // namespace kobix::ftp
