#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kobix::test {

/// Runs kobix-serverd with the given options (port 0 unless given) and reads its first line to learn
/// the port. Its stdout is drained all the time by a thread of its own, so a server that prints
/// every command never blocks on a full pipe. Stopped by its process id at the end, with SIGTERM,
/// and reaped.
class TServerdProcess {
 public:
  explicit TServerdProcess(std::vector<std::string> AArguments, const std::vector<std::string>& AEnvironment = {}) {
    bool hasPort = false;
    for (const auto& argument : AArguments) hasPort = hasPort || argument == "--port";
    if (!hasPort) AArguments.insert(AArguments.begin(), {"--port", "0"});
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    FPid = fork();
    if (FPid == 0) {
      dup2(out[1], 1);
      close(out[0]);
      close(out[1]);
      for (const auto& variable : AEnvironment) putenv(const_cast<char*>(variable.c_str()));
      std::vector<char*> argv{const_cast<char*>(KOBIX_SERVERD_PATH)};
      for (auto& argument : AArguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(KOBIX_SERVERD_PATH, argv.data());
      _exit(127);
    }
    close(out[1]);
    FOutHandle = out[0];
    FReader = std::thread([this] { Drain(); });
    const std::string first = ReadOutputLine();
    const std::string prefix = "Listening on 0.0.0.0:";
    if (first.rfind(prefix, 0) != 0) {
      Stop();
      throw std::runtime_error("kobix-serverd did not start: \"" + first + "\"");
    }
    FPort = static_cast<uint16_t>(std::stoi(first.substr(prefix.size())));
  }

  ~TServerdProcess() { Stop(); }
  TServerdProcess(const TServerdProcess&) = delete;
  TServerdProcess& operator=(const TServerdProcess&) = delete;

  uint16_t Port() const { return FPort; }
  pid_t Pid() const { return FPid; }

  /// The next line of the server's stdout; empty when none arrives within the time or at its end.
  std::string ReadOutputLine(int ATimeoutMs = 10000) {
    std::unique_lock lock(FLock);
    FArrived.wait_for(lock, std::chrono::milliseconds(ATimeoutMs),
                      [this] { return FOutput.find('\n') != std::string::npos || FEnded; });
    const size_t end = FOutput.find('\n');
    if (end == std::string::npos) return {};
    std::string line = FOutput.substr(0, end);
    FOutput.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

  /// Sends SIGTERM, waits for the exit and returns its status (-1 when it did not exit normally).
  int Stop() {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      int status = 0;
      waitpid(FPid, &status, 0);
      FPid = 0;
      FExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (FReader.joinable()) FReader.join();
    if (FOutHandle >= 0) close(FOutHandle);
    FOutHandle = -1;
    return FExitStatus;
  }

 private:
  void Drain() {
    char chunk[4096];
    for (;;) {
      const ssize_t n = read(FOutHandle, chunk, sizeof chunk);
      std::lock_guard lock(FLock);
      if (n <= 0) {
        FEnded = true;
        FArrived.notify_all();
        return;
      }
      FOutput.append(chunk, static_cast<size_t>(n));
      FArrived.notify_all();
    }
  }

  pid_t FPid = 0;
  int FOutHandle = -1;
  uint16_t FPort = 0;
  int FExitStatus = -1;
  std::thread FReader;
  std::mutex FLock;  // guards FOutput and FEnded
  std::condition_variable FArrived;
  std::string FOutput;
  bool FEnded = false;
};

}  // namespace kobix::test
