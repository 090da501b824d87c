#pragma once

// An engine serving one temporary folder, with helpers for the data connections of a test client.

#include "EngineFixture.h"
#include "common/TempTree.h"
#include "ftp/data/Compressor.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <string>

namespace kobix::test {

/// The engine with its file events bound straight to a temporary folder: the virtual path "/x"
/// is the file x in the folder. Passive listeners take the range 20 to 65535, as in the service.
class TTransferEngine {
 public:
  TTransferEngine() {
    std::signal(SIGPIPE, SIG_IGN);  // the test client writes to connections the server may close
    ftp::TIdFTPServer& server = FEngine.Server();
    server.Compressor = &FCompressor;
    server.OnPASVBeforeBind = [](ftp::TIdFTPServerContext&, std::string&, uint16_t& AMin, uint16_t& AMax, platform::TIPVersion) {
      AMin = 20;
      AMax = 65535;
    };
    server.OnRetrieveFile = [this](ftp::TIdFTPServerContext&, const std::string& AName, ftp::TIdFTPServer::TStreamPtr& AStream) {
      AStream = std::make_unique<platform::TFileStream>(Local(AName), platform::TFileOpenMode::fomRead);
    };
    server.OnStoreFile = [this](ftp::TIdFTPServerContext&, const std::string& AName, bool AAppend, bool AResume,
                                ftp::TIdFTPServer::TStreamPtr& AStream) {
      ++StoreCalls;
      LastResume = AResume;
      const auto mode = AAppend   ? platform::TFileOpenMode::fomAppend
                        : AResume ? platform::TFileOpenMode::fomOpenOrCreate
                                  : platform::TFileOpenMode::fomCreate;
      AStream = std::make_unique<platform::TFileStream>(Local(AName), mode);
    };
    server.OnFileExistCheck = [this](ftp::TIdFTPServerContext&, const std::string& AName, bool& AExists) {
      AExists = Tree.Exists(AName.substr(1));
    };
  }

  ftp::TIdFTPServer& Server() { return FEngine.Server(); }
  void Start() { FEngine.Start(); }
  std::unique_ptr<TFtpTestClient> LoggedIn() { return FEngine.LoggedIn(); }
  std::string Local(const std::string& AVirtual) const { return Tree.Root() + AVirtual; }

  kobix::testing::TTempTree Tree;
  int StoreCalls = 0;
  bool LastResume = false;

 private:
  ftp::TIdCompressorZLib FCompressor;
  TEngineFixture FEngine;
};

/// The port a 227 or 229 reply announces.
inline uint16_t AnnouncedPort(const TReply& AReply) {
  std::smatch match;
  const std::string text = AReply.Text();
  if (std::regex_search(text, match, std::regex(R"(\(\|\|\|(\d+)\|\))"))) return static_cast<uint16_t>(std::stoi(match[1]));
  if (std::regex_search(text, match, std::regex(R"(\((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\))")))
    return static_cast<uint16_t>(std::stoi(match[5]) * 256 + std::stoi(match[6]));
  throw std::runtime_error("no port in " + text);
}

/// Connects to a passive port (from the given local address).
inline platform::TSocket ConnectData(uint16_t APort, const std::string& AFrom = "127.0.0.1") {
  return platform::TSocket::Connect({AFrom, 0}, true, {"127.0.0.1", APort, platform::TIPVersion::IPv4}, nullptr);
}

/// Sends PASV and connects to the announced port.
inline platform::TSocket OpenPassive(TFtpTestClient& AClient) {
  const TReply reply = AClient.Command("PASV");
  EXPECT_EQ(reply.Code, 227) << reply.Text();
  return ConnectData(AnnouncedPort(reply));
}

/// A listener for an active data connection, announced with PORT.
inline platform::TSocket ListenActive(TFtpTestClient& AClient) {
  platform::TSocket listener = platform::TSocket::Listen("127.0.0.1", 0, 1, false);
  const uint16_t port = listener.LocalAddress().Port;
  const TReply reply = AClient.Command("PORT 127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256));
  EXPECT_EQ(reply.Code, 200) << reply.Text();
  return listener;
}

/// Everything the peer sends until it closes (or the wait of 10 s per read runs out).
inline std::string ReadAll(const platform::TSocket& ASocket) {
  std::string data;
  char chunk[65536];
  for (;;) {
    if (platform::WaitReadable(ASocket.Handle(), nullptr, 10000) != platform::TWaitResult::Ready)
      throw std::runtime_error("data connection silent");
    size_t count = 0;
    try {
      count = ASocket.Receive(chunk, sizeof chunk);
    } catch (const std::exception&) {
      return data;
    }
    if (count == 0) return data;
    data.append(chunk, count);
  }
}

/// Reads up to ACount bytes.
inline std::string ReadSome(const platform::TSocket& ASocket, size_t ACount) {
  std::string data;
  char chunk[65536];
  while (data.size() < ACount) {
    if (platform::WaitReadable(ASocket.Handle(), nullptr, 10000) != platform::TWaitResult::Ready) break;
    const size_t count = ASocket.Receive(chunk, std::min(sizeof chunk, ACount - data.size()));
    if (count == 0) break;
    data.append(chunk, count);
  }
  return data;
}


/// A pattern that shows a shifted or truncated copy.
inline std::string Pattern(size_t ASize, unsigned ASeed = 1) {
  std::string data(ASize, '\0');
  uint32_t x = ASeed * 2654435761u + 1;
  for (char& c : data) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return data;
}

inline std::string Deflate(const std::string& AData, int ALevel = 7) {
  std::string out;
  ftp::TIdCompressorZLib().CompressFTPDeflate(ftp::SourceFromString(AData), ftp::SinkToString(out), ALevel, 15, 8, 0);
  return out;
}

inline std::string Inflate(const std::string& AData) {
  std::string out;
  ftp::TIdCompressorZLib().DecompressFTPDeflate(ftp::SourceFromString(AData), ftp::SinkToString(out), 15);
  return out;
}

}  // namespace kobix::test
