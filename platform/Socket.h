#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace kobix::platform {

enum class TIPVersion { IPv4, IPv6 };

/// One end of a TCP connection: dotted address text and port.
struct TSocketAddress {
  std::string IP;
  uint16_t Port = 0;
  TIPVersion Version = TIPVersion::IPv4;
};

/// Wakes the threads that wait on it, once and for good; used by the engine's stop so that every
/// blocking wait of a session ends at once instead of being polled.
class TWaker {
 public:
  TWaker();
  ~TWaker();
  TWaker(const TWaker&) = delete;
  TWaker& operator=(const TWaker&) = delete;

  void Wake();
  bool Woken() const;
  int Handle() const { return FHandle; }

 private:
  int FHandle;
};

enum class TWaitResult { Ready, Timeout, Woken };

/// Waits until the descriptor is readable (or writable), the waker fires, or the time-out passes.
/// A negative time-out waits without limit.
TWaitResult WaitReadable(int AHandle, const TWaker* AWaker, int ATimeoutMs);
TWaitResult WaitWritable(int AHandle, const TWaker* AWaker, int ATimeoutMs);

/// A TCP socket owned by this object and closed with it.
class TSocket {
 public:
  TSocket() = default;
  explicit TSocket(int AHandle) : FHandle(AHandle) {}
  ~TSocket() { Close(); }
  TSocket(TSocket&& AOther) noexcept : FHandle(AOther.Release()) {}
  TSocket& operator=(TSocket&& AOther) noexcept;
  TSocket(const TSocket&) = delete;
  TSocket& operator=(const TSocket&) = delete;

  bool IsOpen() const { return FHandle >= 0; }
  int Handle() const { return FHandle; }
  int Release();

  /// Creates a socket bound to the address and listening; throws std::system_error.
  static TSocket Listen(const std::string& AIP, uint16_t APort, int ABacklog, bool AReuseAddress,
                        TIPVersion AVersion = TIPVersion::IPv4);
  /// Accepts one waiting connection; throws std::system_error.
  TSocket Accept() const;
  /// Connects to a host, first binding the local end when a local address is given (port 0 lets the
  /// host choose). The connect waits until it completes, fails, or the waker fires.
  static TSocket Connect(const TSocketAddress& ALocal, bool ABindLocal, const TSocketAddress& ARemote,
                         const TWaker* AWaker);

  /// Sends all bytes; throws std::system_error when the connection fails.
  void SendAll(const void* AData, size_t ASize) const;
  /// Receives what is available, waiting for at least one byte; 0 means the peer closed.
  size_t Receive(void* ABuffer, size_t ASize) const;
  /// Copies bytes of a file straight to the socket; returns the count sent.
  size_t SendFile(int AFileHandle, int64_t AOffset, size_t ACount) const;

  /// Stops both directions; safe from another thread while this one is blocked on the socket.
  void Shutdown() const;
  void Close();

  TSocketAddress LocalAddress() const;
  TSocketAddress PeerAddress() const;
  void SetNoDelay() const;

 private:
  int FHandle = -1;
};

/// Whether the host's network stack can make IPv6 sockets.
bool IPv6Supported();

/// The text the host gives for an error number.
std::string SystemErrorText(int AErrorNumber);

}  // namespace kobix::platform
