#pragma once

#include <cstdint>
#include <string>

namespace kobix::ftp {

/// The Telnet layer of a control connection: collects the bytes of one command line, drops or
/// answers Telnet control sequences, and reports the end of the line at CR LF. A bare LF is an
/// ordinary byte of the line. Each line starts in the data state.
class TTelnetFilter {
 public:
  enum class TResult { More, LineComplete };

  /// Takes one byte. Bytes for the line go to ALine; an answer that must reach the client at once
  /// (an option refusal, the reply to Abort Output) is left in AReply for the caller to send.
  TResult Feed(uint8_t AByte, std::string& ALine, std::string& AReply);

  void Reset() { FState = TState::Data; }

 private:
  enum class TState { Data, AfterCR, AfterIAC, AfterWill, AfterWont, AfterDo, AfterDont, AfterSB, InSB, InSBIAC, AfterIP, AfterIPIAC };

  TResult FeedCommand(uint8_t AByte, std::string& ALine, std::string& AReply);

  TState FState = TState::Data;
};

}  // namespace kobix::ftp
