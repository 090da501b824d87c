#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Listing commands.
void CommandLIST(TIdCommand& ACommand);
void CommandMLSD(TIdCommand& ACommand);
void CommandMLST(TIdCommand& ACommand);
/// STAT with a path: the listing of that path on the control connection, then 213 "End of Status".
void StatWithPath(TIdCommand& ACommand);

}  // namespace kobix::ftp
