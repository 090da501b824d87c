#include "ftp/server/Connection.h"

#include "ftp/server/Errors.h"

namespace kobix::ftp {

namespace {
constexpr size_t ReceiveChunkSize = 4096;
}

TIdTCPConnection::TIdTCPConnection(platform::TSocket ASocket, const platform::TWaker* AStopWaker)
    : FSocket(std::move(ASocket)), FStopWaker(AStopWaker), FPeer(FSocket.PeerAddress()), FLocal(FSocket.LocalAddress()) {
  FSocket.SetNoDelay();
}

TIdTCPConnection::~TIdTCPConnection() = default;

void TIdTCPConnection::AttachIntercept(std::unique_ptr<TIdConnectionIntercept> AIntercept) {
  FIntercept = std::move(AIntercept);
  if (FIntercept) FIntercept->Connected();
}

std::unique_ptr<TIdConnectionIntercept> TIdTCPConnection::DetachIntercept() {
  if (FIntercept) FIntercept->Disconnected();
  return std::move(FIntercept);
}

bool TIdTCPConnection::WaitForInput(int ATimeoutMs) {
  if (InputBuffered()) return true;
  if (!Connected()) return true;
  return platform::WaitReadable(FSocket.Handle(), FStopWaker, ATimeoutMs) != platform::TWaitResult::Timeout;
}

void TIdTCPConnection::FillInput() {
  if (!Connected()) throw EIdSocketError("Connection closed.");
  if (platform::WaitReadable(FSocket.Handle(), FStopWaker, -1) == platform::TWaitResult::Woken) {
    Disconnect();
    throw EIdSocketError("Connection closed by the server.");
  }
  char chunk[ReceiveChunkSize];
  size_t received;
  try {
    received = FSocket.Receive(chunk, sizeof chunk);
  } catch (const std::system_error& e) {
    Disconnect();
    throw EIdSocketError(e.what());
  }
  if (received == 0) {
    Disconnect();
    throw EIdConnClosedGracefully();
  }
  if (FInputPos == FInput.size()) {
    FInput.clear();
    FInputPos = 0;
  }
  FInput.append(chunk, received);
  if (FIntercept) FIntercept->Received(std::string_view(chunk, received));
}

uint8_t TIdTCPConnection::ReadByte() {
  if (!InputBuffered()) FillInput();
  return static_cast<uint8_t>(FInput[FInputPos++]);
}

void TIdTCPConnection::WriteBytes(std::string_view ABytes) {
  if (!Connected()) throw EIdSocketError("Connection closed.");
  if (FIntercept) FIntercept->Sent(ABytes);
  try {
    FSocket.SendAll(ABytes.data(), ABytes.size());
  } catch (const std::system_error& e) {
    Disconnect();
    throw EIdSocketError(e.what());
  }
}

void TIdTCPConnection::Disconnect() {
  if (!FClosed.exchange(true)) FSocket.Shutdown();
}

}  // namespace kobix::ftp
