#pragma once

#include "ftp/server/Command.h"

#include <string>
#include <vector>

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

/// The column layout of the HELP lists: rows of four spaces and the names, each left-justified in
/// ten characters (longer names are not cut), every row ended by CR. Six or more names fill
/// n div 6 rows column by column; the first n mod 6 rows take one name more in a seventh column.
std::string HelpColumns(const std::vector<std::string>& ANames);

/// The refusal of an OPTS sub-command: 501 "Invalid %s options" filled with the sub-command line
/// without its first word and the blanks after it.
void RefuseOptions(TIdCommand& ACommand);

}  // namespace kobix::ftp
