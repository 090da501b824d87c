#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Commands that tell about the server and the session.
void CommandSITE(TIdCommand& ACommand);
void CommandSYST(TIdCommand& ACommand);
void CommandSTAT(TIdCommand& ACommand);
void CommandFEAT(TIdCommand& ACommand);
void CommandOPTS(TIdCommand& ACommand);
void CommandHELP(TIdCommand& ACommand);
void CommandOptsMLST(TIdCommand& ACommand);
void CommandOptsUTF8(TIdCommand& ACommand);
void CommandSiteHELP(TIdCommand& ACommand);
void CommandSiteDIRSTYLE(TIdCommand& ACommand);
void CommandSiteZONE(TIdCommand& ACommand);

}  // namespace kobix::ftp
