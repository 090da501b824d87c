#pragma once

#include "ftp/server/Reply.h"
#include "platform/Files.h"

#include <atomic>
#include <memory>
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
  virtual void Stop() { FStopped = true; }
  bool Stopped() const { return FStopped; }

  // What the one operation moves, and its replies; set by the transfer and listing commands.
  TIdFTPOperation FFtpOperation = ftpRetr;
  std::unique_ptr<platform::TFileStream> FStream;  // a file to send or to fill
  std::vector<std::string> FLines;                 // or listing lines (already encoded, no CR LF)
  bool FHasLines = false;
  TIdReplyFTP FOKReply;
  TIdReplyFTP FErrorReply;
  TIdReplyFTP FReply;

 protected:
  std::atomic<bool> FStopped{false};
};

/// Runs the operation the session's data channel was prepared for: opens the data connection,
/// moves the bytes while answering ABOR and STAT, sends the final reply, runs the commands that
/// arrived meanwhile, and destroys the channel. Does nothing without a data channel.
void RunDataOperation(TIdCommand& ACommand, bool AConnectMode);

/// True when the session has a data channel it may use (one arranged and not refused).
bool DataChannelUsable(const TIdFTPServerContext& AContext);

}  // namespace kobix::ftp
