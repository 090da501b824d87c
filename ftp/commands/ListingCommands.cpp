#include "ftp/commands/ListingCommands.h"

namespace kobix::ftp {

void CommandLIST(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMLSD(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void CommandMLST(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

void StatWithPath(TIdCommand& ACommand) { ReplyNotImplemented(ACommand); }

}  // namespace kobix::ftp
