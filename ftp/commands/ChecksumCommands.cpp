#include "ftp/commands/ChecksumCommands.h"

namespace kobix::ftp {

void CommandXCRC(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMD5(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
