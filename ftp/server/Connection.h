#pragma once

#include "ftp/server/Intercept.h"
#include "ftp/server/TextEncoding.h"
#include "platform/Socket.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace kobix::ftp {

/// One control connection: the accepted socket with buffered input, the session text encoding and
/// the trace intercept that sees every byte. Reads block until bytes arrive, the peer closes, or the
/// engine's stop wakes the waiting thread — an idle session costs nothing.
class TIdTCPConnection {
 public:
  TIdTCPConnection(platform::TSocket ASocket, const platform::TWaker* AStopWaker);
  ~TIdTCPConnection();

  const platform::TSocketAddress& PeerAddress() const { return FPeer; }
  const platform::TSocketAddress& LocalAddress() const { return FLocal; }
  /// True until the peer closed the connection, a socket error occurred or it was disconnected.
  bool Connected() const { return !FClosed.load(); }

  TIdTextEncoding Encoding() const { return FEncoding; }
  void SetEncoding(TIdTextEncoding AEncoding) { FEncoding = AEncoding; }

  void AttachIntercept(std::unique_ptr<TIdConnectionIntercept> AIntercept);
  TIdConnectionIntercept* Intercept() const { return FIntercept.get(); }
  std::unique_ptr<TIdConnectionIntercept> DetachIntercept();

  /// Waits up to ATimeoutMs (negative: without limit) for input; true when a byte can be read now
  /// without blocking, or the peer has closed (the next read then reports it).
  bool WaitForInput(int ATimeoutMs);
  bool InputBuffered() const { return FInputPos < FInput.size(); }
  /// Reads one byte, waiting as long as needed. Throws EIdConnClosedGracefully when the peer has
  /// closed and EIdSocketError when the connection failed or was closed by the stop.
  uint8_t ReadByte();

  /// Sends bytes in one write, through the intercept; throws EIdSocketError on failure.
  void WriteBytes(std::string_view ABytes);
  /// Encodes UTF-8 text with the session encoding and sends it.
  void WriteText(std::string_view AText) { WriteBytes(EncodeText(AText, FEncoding)); }

  /// Closes the connection: both directions are shut down at once, so a thread blocked on it wakes.
  /// Safe to call from another thread; the descriptor itself is released with the object.
  void Disconnect();

 private:
  void FillInput();

  platform::TSocket FSocket;
  const platform::TWaker* FStopWaker;
  platform::TSocketAddress FPeer, FLocal;
  std::atomic<bool> FClosed{false};
  TIdTextEncoding FEncoding = TIdTextEncoding::encASCII;
  std::unique_ptr<TIdConnectionIntercept> FIntercept;
  std::string FInput;
  size_t FInputPos = 0;
};

}  // namespace kobix::ftp
