#pragma once

#include "platform/Socket.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace kobix::ftp {

/// The passive listener: a one-shot server that binds one address (a single port, or the first
/// free port of a range tried from its top down), accepts exactly one data connection and then
/// closes its listening socket.
class TIdSimpleServer {
 public:
  std::string BoundIP;
  uint16_t BoundPort = 0;
  uint16_t BoundPortMin = 0;
  uint16_t BoundPortMax = 0;
  platform::TIPVersion IPVersion = platform::TIPVersion::IPv4;
  int AcceptWait = 1000;  // milliseconds per slice of the wait for the client

  /// Binds and listens with a backlog of one; throws EIdException with the bind texts on failure.
  void BeginListen();
  bool Listening() const { return FListener.IsOpen(); }
  /// The address the listener actually bound.
  platform::TSocketAddress LocalAddress() const { return FLocal; }

  /// Waits up to ATimeoutMs for the client, ending early when the waker fires or Abort is called,
  /// accepts it and closes the listening socket. Throws EIdException when no connection came.
  platform::TSocket Accept(const platform::TWaker& AStopWaker, int ATimeoutMs);

  /// Ends a wait in Accept and stops listening; safe from another thread.
  void Abort();
  /// Closes the listening socket (on the owning thread).
  void Close();

 private:
  std::mutex FLock;  // guards the listening socket between Abort and Close
  platform::TSocket FListener;
  platform::TSocketAddress FLocal;
  std::atomic<bool> FAborted{false};
};

}  // namespace kobix::ftp
