#include "ftp/server/FTPServer.h"

#include <gtest/gtest.h>

#include "common/FtpTestClient.h"

// The working-directory commands on a bare engine, without the facade: the login rule, the answer
// when no folder check is bound, and the engine's own join of the path handed to the check.

namespace kobix::ftp {
namespace {

using test::TFtpTestClient;

class NavigationEngineTest : public ::testing::Test {
 protected:
  NavigationEngineTest() {
    FAccounts.AddAccount({"u", "p", "", 0});
    FServer.UserAccounts = &FAccounts;
    FServer.Bindings().push_back({"127.0.0.1", 0});
  }
  ~NavigationEngineTest() override { FServer.SetActive(false); }

  std::unique_ptr<TFtpTestClient> Connect(bool ALogIn) {
    FServer.SetActive(true);
    auto client = std::make_unique<TFtpTestClient>(FServer.BoundPort());
    EXPECT_EQ(client->ReadReply().Code, 220);
    if (ALogIn) {
      EXPECT_EQ(client->Command("USER u").Code, 331);
      EXPECT_EQ(client->Command("PASS p").Code, 230);
    }
    return client;
  }

  TIdUserManager FAccounts;
  TIdFTPServer FServer;
};

TEST_F(NavigationEngineTest, EveryNavigationCommandNeedsALogin) {
  std::vector<std::string> asked;
  FServer.OnChangeDirectory = [&](TIdFTPServerContext&, std::string& ADirectory) { asked.push_back(ADirectory); };
  auto client = Connect(false);
  for (const char* line : {"CWD /Music", "XCWD /Music", "CDUP", "XCUP", "PWD", "XPWD"}) {
    const auto reply = client->Command(line);
    EXPECT_EQ(reply.Lines, std::vector<std::string>{"530 Not logged in."}) << line;
  }
  EXPECT_TRUE(asked.empty());
  ASSERT_EQ(client->Command("USER u").Code, 331);
  ASSERT_EQ(client->Command("PASS p").Code, 230);
  EXPECT_EQ(client->Command("PWD").Lines, std::vector<std::string>{"257 \"/\" is working directory."});
}

TEST_F(NavigationEngineTest, WithoutAFolderCheckTheChangeCommandsAreNotImplemented) {
  auto client = Connect(true);
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"CWD /Music", "550 \"CWD\" Command not implemented."},
      {"XCWD /Music", "550 \"XCWD\" Command not implemented."},
      {"CDUP", "550 \"CDUP\" Command not implemented."},
      {"XCUP", "550 \"XCUP\" Command not implemented."},
  };
  for (const auto& [line, expected] : rows) EXPECT_EQ(client->Command(line).Lines, std::vector<std::string>{expected}) << line;
  EXPECT_EQ(client->Command("XPWD").Lines, std::vector<std::string>{"257 \"/\" is working directory."});
}

// The path the folder check receives, and the working directory afterwards, for each command.
TEST_F(NavigationEngineTest, TheFolderCheckReceivesTheJoinedPathAndItsRefusalKeepsTheDirectory) {
  std::vector<std::string> asked;
  bool refuse = false;
  FServer.OnChangeDirectory = [&](TIdFTPServerContext&, std::string& ADirectory) {
    asked.push_back(ADirectory);
    if (refuse) throw EIdReplyError(550, "Not found.");
  };
  auto client = Connect(true);
  struct TRow {
    const char* Line;
    const char* Asked;
    const char* Pwd;
  };
  const TRow rows[] = {
      {"CWD Music", "/Music", "/Music"},
      {"CWD sub\\", "/Music/sub", "/Music/sub"},
      {"CWD .", "/Music/sub", "/Music/sub"},
      {"CWD ..", "/Music/", "/Music/"},
      {"CWD /Music//a///b", "/Music/a//b", "/Music/a//b"},  // collapsing: three in a row become two
      {"CWD /a/../b", "/a/../b", "/a/../b"},
      {"CWD", "/", "/"},
      {"CWD  x y ", "/ x y ", "/ x y "},  // the argument text as delivered, spaces included
      {"XCUP", "/", "/"},
  };
  for (const TRow& row : rows) {
    asked.clear();
    const auto reply = client->Command(row.Line);
    EXPECT_EQ(reply.Code, 250) << row.Line;
    ASSERT_EQ(asked.size(), 1u) << row.Line;
    EXPECT_EQ(asked[0], row.Asked) << row.Line;
    EXPECT_EQ(client->Command("PWD").Text(), std::string("\"") + row.Pwd + "\" is working directory.") << row.Line;
  }
  ASSERT_EQ(client->Command("CWD /Music/sub").Code, 250);
  refuse = true;
  EXPECT_EQ(client->Command("CWD other").Lines, std::vector<std::string>{"550 Not found."});
  EXPECT_EQ(client->Command("CDUP").Lines, std::vector<std::string>{"550 Not found."});
  EXPECT_EQ(client->Command("XCUP").Lines, std::vector<std::string>{"551 Not found."});
  EXPECT_EQ(client->Command("PWD").Text(), "\"/Music/sub\" is working directory.");
}

}  // namespace
}  // namespace kobix::ftp
