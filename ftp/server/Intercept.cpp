#include "ftp/server/Intercept.h"

#include "ftp/server/Connection.h"
#include "ftp/server/TextEncoding.h"

namespace kobix::ftp {

namespace {

// Traced bytes become text one byte per character, exactly as they travelled.
std::string TraceText(std::string_view ABytes) { return DecodeText(ABytes, TIdTextEncoding::encLatin1); }

class TIdServerInterceptLogFileConnection : public TIdConnectionIntercept {
 public:
  TIdServerInterceptLogFileConnection(TIdServerInterceptLogEvent& AServer, TIdTCPConnection& AConnection)
      : FServer(AServer), FLabel(Label(AConnection)) {}

  void Connected() override { Log("Stat ", "Connected."); }
  void Disconnected() override { Log("Stat ", "Disconnected."); }
  void Received(std::string_view ABytes) override { Log("Recv ", ": " + TraceText(ABytes)); }
  void Sent(std::string_view ABytes) override { Log("Sent ", ": " + TraceText(ABytes)); }

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
