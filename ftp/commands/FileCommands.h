#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// File management commands and the SITE sub-commands that change files.
void CommandRNFR(TIdCommand& ACommand);
void CommandRNTO(TIdCommand& ACommand);
void CommandDELE(TIdCommand& ACommand);
void CommandRMD(TIdCommand& ACommand);
void CommandMKD(TIdCommand& ACommand);
void CommandSIZE(TIdCommand& ACommand);
void CommandMDTM(TIdCommand& ACommand);
void CommandMFMT(TIdCommand& ACommand);
void CommandMFCT(TIdCommand& ACommand);
void CommandMFF(TIdCommand& ACommand);
void CommandRMDA(TIdCommand& ACommand);
void CommandAVBL(TIdCommand& ACommand);
void CommandDSIZ(TIdCommand& ACommand);
void CommandCOMB(TIdCommand& ACommand);
void CommandSiteATTRIB(TIdCommand& ACommand);
void CommandSiteUMASK(TIdCommand& ACommand);
void CommandSiteCHMOD(TIdCommand& ACommand);
void CommandSiteCHOWN(TIdCommand& ACommand);
void CommandSiteCHGRP(TIdCommand& ACommand);
void CommandSiteUTIME(TIdCommand& ACommand);

}  // namespace kobix::ftp
