#include "ftp/data/SimpleServer.h"

#include "ftp/server/Errors.h"
#include "ftp/server/ReplyTexts.h"

#include <algorithm>
#include <chrono>

namespace kobix::ftp {

namespace {

constexpr int ListenBacklog = 1;

platform::TSocket TryListen(const std::string& AIP, uint16_t APort, platform::TIPVersion AVersion) {
  return platform::TSocket::Listen(AIP, APort, ListenBacklog, true, AVersion);
}

}  // namespace

void TIdSimpleServer::BeginListen() {
  platform::TSocket listener;
  if (BoundPort != 0 || BoundPortMin == 0 || BoundPortMax == 0) {
    try {
      listener = TryListen(BoundIP, BoundPort, IPVersion);
    } catch (const std::system_error&) {
      throw EIdException(std::string(RSFTPCouldNotBind));
    }
  } else {
    if (BoundPortMin > BoundPortMax)
      throw EIdException(Format(Format(RSFTPInvalidPortRange, BoundPortMin), BoundPortMax));
    for (uint32_t port = BoundPortMax; port >= BoundPortMin && !listener.IsOpen(); --port) {
      try {
        listener = TryListen(BoundIP, static_cast<uint16_t>(port), IPVersion);
      } catch (const std::system_error&) {
      }
    }
    if (!listener.IsOpen()) throw EIdException(Format(Format(RSFTPCannotBindRange, BoundPortMin), BoundPortMax));
  }
  std::lock_guard lock(FLock);
  FLocal = listener.LocalAddress();
  FListener = std::move(listener);
  FAborted = false;
}

platform::TSocket TIdSimpleServer::Accept(const platform::TWaker& AStopWaker, int ATimeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ATimeoutMs);
  for (;;) {
    int handle;
    {
      std::lock_guard lock(FLock);
      if (FAborted || !FListener.IsOpen()) throw EIdException("The data connection was aborted.");
      handle = FListener.Handle();
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) throw EIdException(std::string(RSFTPDataConnTimeout));
    const int slice = static_cast<int>(std::min<long long>(left, AcceptWait));
    const platform::TWaitResult result = platform::WaitReadable(handle, &AStopWaker, slice);
    if (result == platform::TWaitResult::Woken) throw EIdException("The server is stopping.");
    if (result == platform::TWaitResult::Timeout) continue;
    // Only this thread closes the listener, so its handle stays valid here without the lock (which
    // Abort needs to wake a blocked accept).
    platform::TSocket socket;
    try {
      socket = FListener.Accept();
    } catch (const std::system_error& e) {
      throw EIdException(e.what());
    }
    Close();
    if (FAborted) throw EIdException("The data connection was aborted.");
    return socket;
  }
}

void TIdSimpleServer::Abort() {
  std::lock_guard lock(FLock);
  FAborted = true;
  FListener.Shutdown();  // wakes a waiting poll; the owner closes the socket
}

void TIdSimpleServer::Close() {
  std::lock_guard lock(FLock);
  FListener.Close();
}

}  // namespace kobix::ftp
