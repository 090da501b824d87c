#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Listing commands.
void CommandLIST(TIdCommand& ACommand);
void CommandMLSD(TIdCommand& ACommand);
void CommandMLST(TIdCommand& ACommand);

}  // namespace kobix::ftp
