#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace kobix::ftp {

class TIdTCPConnection;

/// Sees every byte that one control connection receives or sends, and its set-up and tear-down.
class TIdConnectionIntercept {
 public:
  virtual ~TIdConnectionIntercept() = default;
  virtual void Connected() = 0;
  virtual void Disconnected() = 0;
  virtual void Received(std::string_view ABytes) = 0;
  virtual void Sent(std::string_view ABytes) = 0;
};

/// Attached to the engine; makes one connection intercept for every accepted control connection.
class TIdServerIntercept {
 public:
  virtual ~TIdServerIntercept() = default;
  virtual std::unique_ptr<TIdConnectionIntercept> Accept(TIdTCPConnection& AConnection) = 0;
};

/// The trace capture: turns each connection's traffic into one text line per socket read or write
/// ("127.0.0.1:50123 Recv : USER bob" and so on) and hands the lines, one at a time under its lock,
/// to its log-string event.
class TIdServerInterceptLogEvent : public TIdServerIntercept {
 public:
  using TLogStringEvent = std::function<void(const std::string& AText)>;

  bool LogTime = false;
  bool ReplaceCRLF = false;
  TLogStringEvent OnLogString;

  std::unique_ptr<TIdConnectionIntercept> Accept(TIdTCPConnection& AConnection) override;

  /// Delivers one line; empty text is ignored. Lines of all connections pass here one at a time.
  void LogString(const std::string& AText);

 private:
  std::mutex FLock;
};

}  // namespace kobix::ftp
