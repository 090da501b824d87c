#pragma once

#include "ftp/data/SimpleServer.h"
#include "ftp/server/Reply.h"
#include "platform/Files.h"
#include "platform/Socket.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>


namespace kobix::ftp {

class TIdFTPServerContext;
class TIdCommand;

/// Which way the bytes of an operation flow: from the server (downloads and listings) or to it.
enum TIdFTPOperation { ftpRetr, ftpStor };

/// One arranged data connection and the outcome of the one operation that uses it.
class TIdDataChannel {
 public:
  TIdDataChannel() = default;
  virtual ~TIdDataChannel() = default;
  TIdDataChannel(const TIdDataChannel&) = delete;
  TIdDataChannel& operator=(const TIdDataChannel&) = delete;

  /// Marks the channel stopped and closes its connection (or listener); safe from another thread.
  /// The sockets are only shut down here, so a thread blocked on them wakes; they are released by
  /// the session thread that owns the channel.
  virtual void Stop();
  bool Stopped() const { return FStopped; }

  // What the one operation moves, and its replies; set by the transfer and listing commands.
  TIdFTPOperation FFtpOperation = ftpRetr;
  std::unique_ptr<platform::TFileStream> FStream;  // a file to send or to fill
  std::vector<std::string> FLines;                 // or listing lines (already encoded, no CR LF)
  bool FHasLines = false;
  TIdReplyFTP FOKReply;
  TIdReplyFTP FErrorReply;
  TIdReplyFTP FReply;

  // How the connection is made, set by the data port commands.
  bool FPassive = false;
  std::unique_ptr<TIdSimpleServer> FListener;  // passive: the listener the client connects to
  platform::TSocketAddress FRemote;             // active: the client's address from PORT or EPRT
  std::string FLocalIP;                         // active: the control connection's local address
  uint16_t FLocalPort = 20;                     // active: the local port asked for first
  bool FRequirePASVFromSameIP = true;
  /// Set by the runner while an operation uses the channel (ABOR then leaves it to the runner).
  bool FOperationRunning = false;

  /// Opens the data connection: accepts on the passive listener or connects out. On failure the
  /// error reply is written on the control connection at once and the failure raised again.
  /// Returns false when the passive client came from a foreign address: the 504 refusal has been
  /// written and the operation must not run.
  bool InitOperation(TIdFTPServerContext& AContext, bool AConnectMode);

  /// The open data connection (after InitOperation).
  const platform::TSocket& Connection() const { return FSocket; }
  /// Closes the data connection (on the owning thread).
  void CloseConnection();
  /// The data connection's remote end; empty / 0 when there is none.
  std::string PeerIP() const;
  uint16_t PeerPort() const;

 protected:
  std::atomic<bool> FStopped{false};

 private:
  platform::TSocket ConnectActive(TIdFTPServerContext& AContext);

  mutable std::mutex FLock;  // guards the socket handle between Stop and CloseConnection
  platform::TSocket FSocket;
};

/// Gives the session a new data channel (the old one is dropped first): passive with a listener
/// on the control connection's local address, or active towards an address set by the caller.
TIdDataChannel& NewDataChannel(TIdFTPServerContext& AContext, bool APassive);

/// Runs the operation the session's data channel was prepared for: opens the data connection,
/// moves the bytes while answering ABOR and STAT, sends the final reply, runs the commands that
/// arrived meanwhile, and destroys the channel. Does nothing without a data channel.
void RunDataOperation(TIdCommand& ACommand, bool AConnectMode);

/// True when the session has a data channel it may use (one arranged and not refused).
bool DataChannelUsable(const TIdFTPServerContext& AContext);

}  // namespace kobix::ftp
