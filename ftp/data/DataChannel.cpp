#include "ftp/data/DataChannel.h"

#include "ftp/server/Errors.h"
#include "ftp/server/FTPServer.h"
#include "ftp/server/ReplyTexts.h"

#include <cerrno>

namespace kobix::ftp {

namespace {

// Errors of binding the preferred local port of an active connection: not permitted (below 1024
// without the privilege) or in use. The host then picks the port.
bool LocalPortUnavailable(const std::system_error& AError) {
  const int code = AError.code().value();
  return code == EACCES || code == EPERM || code == EADDRINUSE || code == EADDRNOTAVAIL;
}

void WriteReplyNow(TIdFTPServerContext& AContext, TIdReplyFTP AReply) {
  AReply.FillFallbackText();
  AContext.Connection().WriteText(AReply.FormattedReply());
}

}  // namespace

void TIdDataChannel::Stop() {
  std::lock_guard lock(FLock);
  FStopped = true;
  FSocket.Shutdown();
  if (FListener) FListener->Abort();
}

void TIdDataChannel::CloseConnection() {
  std::lock_guard lock(FLock);
  FSocket.Close();
}

std::string TIdDataChannel::PeerIP() const {
  std::lock_guard lock(FLock);
  return FSocket.IsOpen() ? FSocket.PeerAddress().IP : std::string();
}

uint16_t TIdDataChannel::PeerPort() const {
  std::lock_guard lock(FLock);
  return FSocket.IsOpen() ? FSocket.PeerAddress().Port : 0;
}

platform::TSocket TIdDataChannel::ConnectActive(TIdFTPServerContext& AContext) {
  const platform::TSocketAddress local{FLocalIP, FLocalPort, FRemote.Version};
  try {
    return platform::TSocket::Connect(local, true, FRemote, &AContext.StopWaker());
  } catch (const std::system_error& e) {
    if (!LocalPortUnavailable(e)) throw;
  }
  return platform::TSocket::Connect({FLocalIP, 0, FRemote.Version}, true, FRemote, &AContext.StopWaker());
}

bool TIdDataChannel::InitOperation(TIdFTPServerContext& AContext, bool) {
  try {
    platform::TSocket socket;
    if (FPassive) {
      if (!FListener) throw EIdException("No passive listener.");
      socket = FListener->Accept(AContext.StopWaker(), AContext.FTPServer().PASVAcceptTimeoutMs);
      if (FRequirePASVFromSameIP && socket.PeerAddress().IP != AContext.Connection().PeerAddress().IP) {
        AContext.FDataPortDenied = true;
        FErrorReply.SetReply(504, RSFTPDataPortSameIP);
        WriteReplyNow(AContext, FErrorReply);
        return false;
      }
    } else {
      socket = ConnectActive(AContext);
    }
    socket.SetNoDelay();
    std::lock_guard lock(FLock);
    if (FStopped) throw EIdException("The data connection was aborted.");
    FSocket = std::move(socket);
    return true;
  } catch (const std::exception&) {
    WriteReplyNow(AContext, FErrorReply);
    throw;
  }
}

TIdDataChannel& NewDataChannel(TIdFTPServerContext& AContext, bool APassive) {
  AContext.DropDataChannel();
  auto channel = std::make_unique<TIdDataChannel>();
  channel->FPassive = APassive;
  channel->FRequirePASVFromSameIP = AContext.FUserSecurity.RequirePASVFromSameIP;
  channel->FLocalIP = AContext.Connection().LocalAddress().IP;
  channel->FLocalPort = AContext.FTPServer().DefaultDataPort;
  if (APassive) {
    channel->FListener = std::make_unique<TIdSimpleServer>();
    channel->FListener->BoundIP = channel->FLocalIP;
    channel->FListener->IPVersion = AContext.Connection().LocalAddress().Version;
  }
  TIdDataChannel& result = *channel;
  AContext.SetDataChannel(std::move(channel));
  return result;
}

bool DataChannelUsable(const TIdFTPServerContext& AContext) { return AContext.FDataChannel && !AContext.FDataPortDenied; }

}  // namespace kobix::ftp
