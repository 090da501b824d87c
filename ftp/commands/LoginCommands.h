#pragma once

#include "ftp/server/Command.h"

namespace kobix::ftp {

// Commands that open, reset and close a session, and the security commands of a server without TLS.
void CommandUSER(TIdCommand& ACommand);
void CommandPASS(TIdCommand& ACommand);
void CommandREIN(TIdCommand& ACommand);
void CommandHOST(TIdCommand& ACommand);
/// AUTH, PBSZ, CCC, MIC, CONF and ENC: answered like unknown commands, since there is no TLS layer.
void CommandSecurityNotUnderstood(TIdCommand& ACommand);
void CommandPROT(TIdCommand& ACommand);

}  // namespace kobix::ftp
