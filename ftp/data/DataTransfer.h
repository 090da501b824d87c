#pragma once

#include <string>
#include <vector>

namespace kobix::ftp {

class TIdFTPServerContext;
class TIdDataChannel;

/// Lines read from the control connection during a transfer, answered after its final reply.
using TCommandQueue = std::vector<std::string>;

/// Looks at the control connection without blocking longer than ATimeoutMs. A waiting ABOR or STAT
/// is executed at once; any other line is queued. When the control connection has gone, the
/// channel is stopped and a silent error raised: nobody is left to answer.
void PollControlChannel(TIdFTPServerContext& AContext, TCommandQueue& AQueue, int ATimeoutMs = 0);

// The transfer loops of the runner. Each raises when the transfer fails; the caller closes the
// data connection and picks the final reply.

/// Sends the channel's file from its current position (compressed in MODE Z).
void SendStream(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue);
/// Fills the channel's file from its current position until the client closes the connection
/// (inflating in MODE Z); the file always ends after the last byte written.
void ReceiveStream(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue);
/// Sends the channel's listing lines, each followed by CR LF (as one compressed stream in MODE Z).
void SendLines(TIdFTPServerContext& AContext, TIdDataChannel& AChannel, TCommandQueue& AQueue);

}  // namespace kobix::ftp
