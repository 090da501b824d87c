#include "ftp/data/DataChannel.h"
#include "ftp/data/DataTransfer.h"

#include "ftp/server/Errors.h"
#include "ftp/server/FTPServer.h"

namespace kobix::ftp {

namespace {

// Moves the operation's payload over the open data connection.
void Transfer(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue) {
  if (AChannel.FStream) {
    if (AChannel.FFtpOperation == ftpStor)
      ReceiveStream(AContext, AChannel, AQueue);
    else
      SendStream(AContext, AChannel, AQueue);
  } else if (AChannel.FHasLines && AChannel.FFtpOperation == ftpRetr) {
    SendLines(AContext, AChannel, AQueue);
  }
}

// Runs the lines that arrived during the transfer, in order, through the main command table.
void RunQueuedCommands(TIdFTPServerContext& AContext, const TCommandQueue& AQueue) {
  TIdTCPConnection& connection = AContext.Connection();
  for (const std::string& line : AQueue) {
    if (!connection.Connected()) return;
    std::string params;
    const TIdCommandHandler* handler = AContext.FTPServer().CommandHandlers().Find(line, params);
    if (!handler)
      SendUnknownCommandReply(AContext, line);
    else if (DoCommand(AContext, *handler, line, params))
      connection.Disconnect();
  }
}

}  // namespace

void RunDataOperation(TIdCommand& ACommand, bool AConnectMode) {
  TIdFTPServerContext& context = FTPContext(ACommand);
  TIdDataChannel* channel = context.FDataChannel.get();
  if (!channel) return;
  // The channel, its payload and its connection go with the operation, however it ends.
  struct TDropChannel {
    TIdFTPServerContext& Context;
    bool Armed = true;
    ~TDropChannel() {
      if (Armed) Context.DropDataChannel();
    }
  } dropChannel{context};

  TCommandQueue queue;
  channel->FOperationRunning = true;
  // A failure to open the connection has written the error reply and leaves the command: the
  // session ends.
  if (!channel->InitOperation(context, AConnectMode)) return;

  try {
    Transfer(context, *channel, queue);
    channel->CloseConnection();
    channel->FReply = channel->FOKReply;
  } catch (const EIdSilentException&) {
    channel->CloseConnection();
  } catch (const std::exception&) {
    channel->CloseConnection();
    channel->FReply = channel->FErrorReply;
  }
  channel->FStream.reset();

  if (!channel->FReply.Code().empty()) {
    ACommand.Reply = channel->FReply;
    ACommand.SendReply();
  }
  // The channel is gone before the queued commands run, so that a queued PASV or PORT arranges a
  // fresh one that stays.
  dropChannel.Armed = false;
  context.DropDataChannel();
  RunQueuedCommands(context, queue);
}

}  // namespace kobix::ftp
