#include "ftp/data/DataChannel.h"

#include "ftp/server/FTPServer.h"

namespace kobix::ftp {

bool DataChannelUsable(const TIdFTPServerContext& AContext) { return AContext.FDataChannel && !AContext.FDataPortDenied; }

void RunDataOperation(TIdCommand&, bool) {}

}  // namespace kobix::ftp
