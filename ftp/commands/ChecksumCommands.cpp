#include "ftp/commands/ChecksumCommands.h"

namespace kobix::ftp {

// No checksum source is configured, so the checksum commands are answered like unknown ones and no
// file is ever opened for them.

void CommandXCRC(TIdCommand& ACommand) { CommandNotUnderstood(ACommand); }

// MD5 and MMD5 pass the table's login rule first; only a logged-in session gets here.
void CommandMD5(TIdCommand& ACommand) { CommandNotUnderstood(ACommand); }

}  // namespace kobix::ftp
