#include "ftp/server/Intercept.h"

#include "ftp/server/Connection.h"

namespace kobix::ftp {

namespace {

// Bytes become text one byte per character, exactly as they travelled (ISO-8859-1).
std::string Latin1ToUTF8(std::string_view ABytes) {
  std::string text;
  text.reserve(ABytes.size());
  for (const char c : ABytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

class TIdServerInterceptLogFileConnection : public TIdConnectionIntercept {
 public:
  TIdServerInterceptLogFileConnection(TIdServerInterceptLogEvent& AServer, TIdTCPConnection& AConnection)
      : FServer(AServer), FLabel(Label(AConnection)) {}

  void Connected() override { Log("Stat ", "Connected."); }
  void Disconnected() override { Log("Stat ", "Disconnected."); }
  void Received(std::string_view ABytes) override { Log("Recv ", ": " + Latin1ToUTF8(ABytes)); }
  void Sent(std::string_view ABytes) override { Log("Sent ", ": " + Latin1ToUTF8(ABytes)); }

 private:
  static std::string Label(TIdTCPConnection& AConnection) {
    const auto& peer = AConnection.PeerAddress();
    if (peer.IP.empty()) return "0.0.0.0:0";
    return peer.IP + ":" + std::to_string(peer.Port);
  }

  void Log(const char* AKind, const std::string& AText) { FServer.LogString(FLabel + " " + AKind + AText + "\r\n"); }

  TIdServerInterceptLogEvent& FServer;
  const std::string FLabel;
};

}  // namespace

std::unique_ptr<TIdConnectionIntercept> TIdServerInterceptLogEvent::Accept(TIdTCPConnection& AConnection) {
  return std::make_unique<TIdServerInterceptLogFileConnection>(*this, AConnection);
}

void TIdServerInterceptLogEvent::LogString(const std::string& AText) {
  if (AText.empty()) return;
  std::lock_guard lock(FLock);
  if (OnLogString) OnLogString(AText);
}

}  // namespace kobix::ftp
