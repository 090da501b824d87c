#pragma once

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kobix::test {

/// Runs kobix-serverd with the given options (port 0 unless given) and reads its first line to learn
/// the port. Stops it by its process id at the end, with SIGTERM, and reaps it.
class TServerdProcess {
 public:
  explicit TServerdProcess(std::vector<std::string> AArguments, const std::vector<std::string>& AEnvironment = {}) {
    bool hasPort = false;
    for (const auto& argument : AArguments) hasPort = hasPort || argument == "--port";
    if (!hasPort) AArguments.insert(AArguments.begin(), {"--port", "0"});
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
    FPid = fork();
    if (FPid == 0) {
      dup2(out[1], 1);
      dup2(err[1], 2);
      close(out[0]);
      close(err[0]);
      for (const auto& variable : AEnvironment) putenv(const_cast<char*>(variable.c_str()));
      std::vector<char*> argv{const_cast<char*>(KOBIX_SERVERD_PATH)};
      for (auto& argument : AArguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(KOBIX_SERVERD_PATH, argv.data());
      _exit(127);
    }
    close(out[1]);
    close(err[1]);
    FOut = fdopen(out[0], "r");
    FErrHandle = err[0];
    const std::string first = ReadOutputLine();
    const std::string prefix = "Listening on 0.0.0.0:";
    if (first.rfind(prefix, 0) != 0) throw std::runtime_error("kobix-serverd did not start: " + first + ReadAllErrors());
    FPort = static_cast<uint16_t>(std::stoi(first.substr(prefix.size())));
  }

  ~TServerdProcess() { Stop(); }

  uint16_t Port() const { return FPort; }
  pid_t Pid() const { return FPid; }

  /// One more line of the server's stdout (empty at its end).
  std::string ReadOutputLine() {
    char* line = nullptr;
    size_t size = 0;
    const ssize_t length = getline(&line, &size, FOut);
    std::string text = length > 0 ? std::string(line, static_cast<size_t>(length)) : std::string();
    free(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
  }

  /// Sends SIGTERM and returns the exit status (or -1 when it did not exit normally).
  int Stop() {
    if (FPid <= 0) return FExitStatus;
    kill(FPid, SIGTERM);
    int status = 0;
    waitpid(FPid, &status, 0);
    FPid = 0;
    if (FOut) fclose(FOut);
    FOut = nullptr;
    if (FErrHandle >= 0) close(FErrHandle);
    FErrHandle = -1;
    FExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return FExitStatus;
  }

 private:
  std::string ReadAllErrors() {
    std::string text;
    char chunk[4096];
    ssize_t n;
    while ((n = read(FErrHandle, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
    return text;
  }

  pid_t FPid = 0;
  FILE* FOut = nullptr;
  int FErrHandle = -1;
  uint16_t FPort = 0;
  int FExitStatus = -1;
};

}  // namespace kobix::test
