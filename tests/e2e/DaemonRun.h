#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace kobix::test {

/// One run of kobix-serverd with both output streams captured, for the cases the start-up fixture
/// does not cover: runs that must fail with an exit code, and checks on stderr or on the absence of
/// output. Every read and wait is bounded; a run still going at the end is stopped by its pid.
class TDaemonRun {
 public:
  explicit TDaemonRun(std::vector<std::string> AArguments, const std::vector<std::string>& AEnvironment = {}) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
    FPid = fork();
    if (FPid < 0) throw std::runtime_error("fork");
    if (FPid == 0) {
      dup2(out[1], 1);
      dup2(err[1], 2);
      close(out[0]);
      close(err[0]);
      close(out[1]);
      close(err[1]);
      for (const auto& variable : AEnvironment) putenv(const_cast<char*>(variable.c_str()));
      std::vector<char*> argv{const_cast<char*>(KOBIX_SERVERD_PATH)};
      for (auto& argument : AArguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(KOBIX_SERVERD_PATH, argv.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
    FOut = out[0];
    FErr = err[0];
  }

  ~TDaemonRun() {
    if (FPid > 0 && !FExited) {
      kill(FPid, SIGTERM);
      if (!WaitExit(10000)) {
        kill(FPid, SIGKILL);
        WaitExit(10000);
      }
    }
    if (FOut >= 0) close(FOut);
    if (FErr >= 0) close(FErr);
  }

  TDaemonRun(const TDaemonRun&) = delete;
  TDaemonRun& operator=(const TDaemonRun&) = delete;

  pid_t Pid() const { return FPid; }

  /// The next stdout line, without its line break; nothing when none is complete within the time.
  std::optional<std::string> ReadLine(int ATimeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ATimeoutMs);
    for (;;) {
      const size_t end = FOutText.find('\n', FOutTaken);
      if (end != std::string::npos) {
        std::string line = FOutText.substr(FOutTaken, end - FOutTaken);
        FOutTaken = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0 || !Pump(static_cast<int>(left))) return std::nullopt;
    }
  }

  /// The first line must announce the port; returns it (0 when the line is something else).
  uint16_t ReadListeningPort() {
    const auto line = ReadLine();
    const std::string prefix = "Listening on 0.0.0.0:";
    if (!line || line->rfind(prefix, 0) != 0) return 0;
    return static_cast<uint16_t>(std::stoi(line->substr(prefix.size())));
  }

  /// Waits for the exit; true when it happened within the time.
  bool WaitExit(int ATimeoutMs) {
    if (FExited) return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ATimeoutMs);
    for (;;) {
      int status = 0;
      const pid_t done = waitpid(FPid, &status, WNOHANG);
      if (done == FPid) {
        FExited = true;
        FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        Drain();
        return true;
      }
      if (std::chrono::steady_clock::now() >= deadline) return false;
      Pump(20);
    }
  }

  /// Exit status after WaitExit (-1 when it ended by a signal).
  int ExitStatus() const { return FStatus; }

  void Signal(int ASignal) const { kill(FPid, ASignal); }

  /// Everything written to stderr so far (after WaitExit: all of it).
  std::string Errors() {
    Pump(0);
    return FErrText;
  }
  /// Every stdout line not read yet, after WaitExit.
  std::string RemainingOutput() const { return FOutText.substr(FOutTaken); }

 private:
  // Reads what either stream has, waiting up to ATimeoutMs; false when both have ended.
  bool Pump(int ATimeoutMs) {
    pollfd fds[2] = {{FOut, POLLIN, 0}, {FErr, POLLIN, 0}};
    if (FOut < 0 && FErr < 0) return false;
    if (poll(fds, 2, ATimeoutMs) <= 0) return true;
    ReadInto(FOut, fds[0].revents, FOutText);
    ReadInto(FErr, fds[1].revents, FErrText);
    return FOut >= 0 || FErr >= 0;
  }

  void Drain() {
    for (int i = 0; i < 1000 && (FOut >= 0 || FErr >= 0); ++i)
      if (!Pump(10)) break;
  }

  static void ReadInto(int& AHandle, short AEvents, std::string& AText) {
    if (AHandle < 0 || (AEvents & (POLLIN | POLLHUP | POLLERR)) == 0) return;
    char chunk[4096];
    const ssize_t n = read(AHandle, chunk, sizeof chunk);
    if (n > 0) {
      AText.append(chunk, static_cast<size_t>(n));
    } else {
      close(AHandle);
      AHandle = -1;
    }
  }

  pid_t FPid = -1;
  int FOut = -1, FErr = -1;
  std::string FOutText, FErrText;
  size_t FOutTaken = 0;
  bool FExited = false;
  int FStatus = -1;
};

}  // namespace kobix::test
