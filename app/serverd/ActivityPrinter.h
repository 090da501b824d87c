#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace kobix::app {

/// Prints the server's activity on stdout, one line per event: connects, disconnects and every
/// control-connection line both ways, each led by the client's address and port.
class TActivityPrinter {
 public:
  explicit TActivityPrinter(std::FILE* AOut) : FOut(AOut) {}

  /// Prints one trace text ("127.0.0.1:50123 Recv : USER bob\r\n"); a text that carries several
  /// lines (a multi-line reply, two commands in one read) gives one printed line each.
  void PrintTrace(const std::string& AText);
  /// Prints a line of the program's own, flushed at once.
  void PrintLine(const std::string& ALine);

  /// Held while the program prints its start-up lines, so that they come first.
  std::mutex& Lock() { return FLock; }

 private:
  std::FILE* FOut;
  std::mutex FLock;
};

}  // namespace kobix::app
