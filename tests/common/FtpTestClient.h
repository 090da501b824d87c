#pragma once

#include "platform/Socket.h"

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

namespace kobix::test {

/// One reply as it arrived: the code of its last line and every raw line without CR LF.
struct TReply {
  int Code = 0;
  std::vector<std::string> Lines;
  /// The text of the last line (after "code ").
  std::string Text() const { return Lines.empty() || Lines.back().size() < 4 ? std::string() : Lines.back().substr(4); }
};

/// A small raw FTP client for exact-byte checks: it sends lines as given and reads replies line by
/// line. Every read gives up after a time-out, so a server that does not answer fails the test
/// instead of hanging it.
class TFtpTestClient {
 public:
  explicit TFtpTestClient(uint16_t APort, const std::string& AHost = "127.0.0.1", int ATimeoutMs = 10000)
      : FTimeoutMs(ATimeoutMs) {
    FSocket = platform::TSocket::Connect({}, false, {AHost, APort, platform::TIPVersion::IPv4}, nullptr);
  }

  /// Sends the bytes exactly as given.
  void SendRaw(const std::string& ABytes) { FSocket.SendAll(ABytes.data(), ABytes.size()); }
  void SendLine(const std::string& ALine) { SendRaw(ALine + "\r\n"); }

  /// Reads one line without its CR LF; throws on time-out or when the server closed.
  std::string ReadLine() {
    for (;;) {
      const size_t end = FBuffer.find("\r\n");
      if (end != std::string::npos) {
        std::string line = FBuffer.substr(0, end);
        FBuffer.erase(0, end + 2);
        return line;
      }
      Fill();
    }
  }

  /// Reads one whole reply, single- or multi-line.
  TReply ReadReply() {
    TReply reply;
    std::string first = ReadLine();
    reply.Lines.push_back(first);
    if (first.size() >= 4 && first[3] == '-') {
      const std::string end = first.substr(0, 3) + " ";
      for (;;) {
        std::string line = ReadLine();
        reply.Lines.push_back(line);
        if (line.compare(0, 4, end) == 0) break;
      }
    }
    reply.Code = std::stoi(reply.Lines.back().substr(0, 3));
    return reply;
  }

  TReply Command(const std::string& ALine) {
    SendLine(ALine);
    return ReadReply();
  }

  /// Reads exactly ACount raw bytes (for Telnet answers and the like).
  std::string ReadBytes(size_t ACount) {
    while (FBuffer.size() < ACount) Fill();
    std::string bytes = FBuffer.substr(0, ACount);
    FBuffer.erase(0, ACount);
    return bytes;
  }

  /// True when the server has closed the connection (waits up to the time-out for it).
  bool ClosedByServer() {
    try {
      for (;;) Fill();
    } catch (const std::exception&) {
      return FClosed;
    }
  }

  /// True when nothing arrives within AMilliseconds.
  bool Silent(int AMilliseconds) {
    if (!FBuffer.empty()) return false;
    return platform::WaitReadable(FSocket.Handle(), nullptr, AMilliseconds) == platform::TWaitResult::Timeout;
  }

  const platform::TSocket& Socket() const { return FSocket; }

 private:
  void Fill() {
    if (platform::WaitReadable(FSocket.Handle(), nullptr, FTimeoutMs) == platform::TWaitResult::Timeout)
      throw std::runtime_error("no answer from the server; buffered: " + FBuffer);
    char chunk[65536];
    size_t received = 0;
    try {
      received = FSocket.Receive(chunk, sizeof chunk);
    } catch (const std::exception&) {
      FClosed = true;
      throw;
    }
    if (received == 0) {
      FClosed = true;
      throw std::runtime_error("connection closed by the server; buffered: " + FBuffer);
    }
    FBuffer.append(chunk, received);
  }

  platform::TSocket FSocket;
  int FTimeoutMs;
  std::string FBuffer;
  bool FClosed = false;
};

}  // namespace kobix::test
