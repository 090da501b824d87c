#pragma once

// A running facade on a free port over two aliased temporary folders, and the helpers the file
// command tests share: logging in, entering a folder, file times on disk.

#include "common/FtpTestClient.h"
#include "common/TempTree.h"
#include "ftp/server/FTPContext.h"
#include "platform/DateTime.h"
#include "service/FTPServerUnit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace kobix::test {

/// The tree: a/file.txt ("hello"), a/sub/, b/ and, beside the served folders, outside.txt, which no
/// command may ever reach. /A serves a, /B serves b.
class TFileServerFixture {
 public:
  explicit TFileServerFixture(bool AReadOnly = false) {
    Tree.WriteFile("a/file.txt", "hello");
    Tree.MakeFolder("a/sub");
    Tree.MakeFolder("b");
    Tree.WriteFile("outside.txt", "sentinel");
    Server.SetPort(0);
    Server.SetUserName("u");
    Server.SetPassWord("pw");
    Server.SetAliases({{"A", Tree.Path("a")}, {"B", Tree.Path("b")}});
    Server.SetReadOnly(AReadOnly);
    if (!Server.StartServer()) throw std::runtime_error("the server did not start");
  }
  ~TFileServerFixture() { Server.StopServer(); }

  std::unique_ptr<TFtpTestClient> Connect() {
    auto client = std::make_unique<TFtpTestClient>(Server.BoundPort());
    EXPECT_EQ(client->ReadReply().Code, 220);
    return client;
  }

  std::unique_ptr<TFtpTestClient> LoggedIn() {
    auto client = Connect();
    EXPECT_EQ(client->Command("USER u").Code, 331);
    EXPECT_EQ(client->Command("PASS pw").Code, 230);
    return client;
  }

  /// Makes AFolder the session's working directory: with CWD where the server serves it, otherwise
  /// by setting the session's field between two commands (the session thread is then waiting for
  /// the next line and does not touch it).
  void EnterFolder(TFtpTestClient& AClient, const std::string& AFolder) {
    const TReply reply = AClient.Command("CWD " + AFolder);
    if (reply.Code == 250) return;
    ASSERT_EQ(reply.Text(), "\"CWD\" Command not implemented.");
    const uint16_t port = AClient.Socket().LocalAddress().Port;
    ASSERT_TRUE(Server.FindContextByPeerPort(port, [&](ftp::TIdFTPServerContext& AContext) { AContext.FCurrentDir = AFolder; }));
  }

  /// Runs "SITE <ALine>".
  static TReply Site(TFtpTestClient& AClient, const std::string& ALine) { return AClient.Command("SITE " + ALine); }

  kobix::testing::TTempTree Tree;
  service::TFTPServer Server;

};

/// A UTC date-time from its fields.
inline platform::TDateTime UTC(int AYear, int AMonth, int ADay, int AHour, int AMinute, int ASecond, int AMillisecond = 0) {
  platform::TDateTime result;
  EXPECT_TRUE(platform::TryEncodeDateTime({AYear, AMonth, ADay, AHour, AMinute, ASecond, AMillisecond}, result));
  return result;
}

/// The last-write time of a file, read from the file system, as a UTC date-time.
inline platform::TDateTime WriteTimeOnDisk(const std::string& APath) {
  using namespace std::chrono;
  const auto system = file_clock::to_sys(std::filesystem::last_write_time(APath));
  return platform::DateTimeFromUnixMilliseconds(duration_cast<milliseconds>(system.time_since_epoch()).count());
}

inline void SetWriteTimeOnDisk(const std::string& APath, platform::TDateTime AUTC) {
  using namespace std::chrono;
  const sys_time<milliseconds> system{milliseconds(platform::UnixMillisecondsFromDateTime(AUTC))};
  std::filesystem::last_write_time(APath, file_clock::from_sys(system));
}

}  // namespace kobix::test
