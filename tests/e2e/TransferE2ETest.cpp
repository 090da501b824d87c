// Transfers through kobix-serverd and its file handlers: downloads and uploads in both connection
// modes, a resumed upload that keeps the bytes already stored, and the read-only refusal.

#include "common/DataConnection.h"
#include "common/FtpTestClient.h"
#include "common/ServerdProcess.h"
#include "common/TempTree.h"

#include <gtest/gtest.h>

#include <csignal>
#include <regex>

namespace kobix::test {
namespace {

class ServerdTransfer : public ::testing::Test {
 protected:
  ServerdTransfer() { std::signal(SIGPIPE, SIG_IGN); }

  std::unique_ptr<TFtpTestClient> Login(TServerdProcess& AServer) {
    auto client = std::make_unique<TFtpTestClient>(AServer.Port());
    client->ReadReply();
    client->Command("USER u");
    EXPECT_EQ(client->Command("PASS secret").Code, 230);
    return client;
  }

  static platform::TSocket Passive(TFtpTestClient& AClient) { return ConnectPassive(AClient); }

  static void Upload(TFtpTestClient& AClient, const std::string& ALine, const std::string& AData) {
    platform::TSocket data = Passive(AClient);
    ASSERT_EQ(AClient.Command(ALine).Code, 150);
    data.SendAll(AData.data(), AData.size());
    data.Close();
    EXPECT_EQ(AClient.ReadReply().Lines[0], "226 Closing data connection.");
  }

  static std::string Download(TFtpTestClient& AClient, const std::string& APath) {
    platform::TSocket data = Passive(AClient);
    EXPECT_EQ(AClient.Command("RETR " + APath).Code, 150);
    std::string bytes = ReadAll(data);
    EXPECT_EQ(AClient.ReadReply().Code, 226);
    return bytes;
  }

  kobix::testing::TTempTree FTree;
};

TEST_F(ServerdTransfer, UploadsDownloadsAndResumesThroughTheFileHandlers) {
  const std::string body(300000, 'k');
  FTree.WriteFile("shared/kept.bin", std::string(1000, 'o'));
  TServerdProcess server({"--folder", "A=" + FTree.Path("shared"), "--read-write", "--user", "u", "--password-env", "PW", "--quiet"},
                         {"PW=secret"});
  auto client = Login(server);
  Upload(*client, "STOR /A/new.bin", body);
  EXPECT_EQ(FTree.ReadFile("shared/new.bin"), body);
  EXPECT_EQ(Download(*client, "/A/new.bin"), body);

  client->Command("REST 600");
  Upload(*client, "STOR /A/kept.bin", "resumed");
  EXPECT_EQ(FTree.ReadFile("shared/kept.bin"), std::string(600, 'o') + "resumed");

  Upload(*client, "APPE /A/kept.bin", "+more");
  EXPECT_EQ(FTree.ReadFile("shared/kept.bin"), std::string(600, 'o') + "resumed+more");

  platform::TSocket unused = Passive(*client);
  EXPECT_EQ(client->Command("RETR /A/none.bin").Code, 550);
  EXPECT_EQ(client->Command("RETR /A/new.bin").Code, 425);
}

TEST_F(ServerdTransfer, ReadOnlyServerRefusesUploadsAndKeepsFiles) {
  FTree.WriteFile("ro/file.txt", "stays");
  TServerdProcess server({"--folder", "A=" + FTree.Path("ro"), "--user", "u", "--password-env", "PW", "--quiet"}, {"PW=secret"});
  auto client = Login(*&server);
  platform::TSocket data = Passive(*client);
  const TReply refused = client->Command("STOR /A/file.txt");
  EXPECT_EQ(refused.Code, 550);
  EXPECT_EQ(FTree.ReadFile("ro/file.txt"), "stays");
  EXPECT_EQ(Download(*client, "/A/file.txt"), "stays");
}

}  // namespace
}  // namespace kobix::test
