#pragma once

#include "common/FtpTestClient.h"

#include <regex>
#include <stdexcept>
#include <string>

namespace kobix::test {

/// Asks for an extended passive data port and connects to it.
inline platform::TSocket ConnectPassive(TFtpTestClient& AClient) {
  const TReply reply = AClient.Command("EPSV");
  std::smatch match;
  const std::string text = reply.Text();
  if (!std::regex_search(text, match, std::regex(R"(\|\|\|(\d+)\|)"))) throw std::runtime_error(text);
  return platform::TSocket::Connect({}, false, {"127.0.0.1", static_cast<uint16_t>(std::stoi(match[1]))}, nullptr);
}

/// Everything a data connection carries until the server closes it (each wait is bounded).
inline std::string ReadAll(const platform::TSocket& ASocket) {
  std::string data;
  char chunk[65536];
  while (platform::WaitReadable(ASocket.Handle(), nullptr, 10000) == platform::TWaitResult::Ready) {
    const size_t count = ASocket.Receive(chunk, sizeof chunk);
    if (count == 0) break;
    data.append(chunk, count);
  }
  return data;
}

}  // namespace kobix::test
