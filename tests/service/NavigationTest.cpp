#include "service/FTPServerUnit.h"

#include <gtest/gtest.h>

#include <ostream>

#include <filesystem>

#include "common/FtpTestClient.h"
#include "common/TempTree.h"

// Moving around the virtual tree through the real facade: one alias, Music, on a temporary folder.

namespace kobix::service {
namespace {

using kobix::testing::TTempTree;
using test::TFtpTestClient;

std::string WorkingDirectory(const std::string& ADirectory) { return "\"" + ADirectory + "\" is working directory."; }

class FacadeNavigationTest : public ::testing::Test {
 protected:
  FacadeNavigationTest() {
    FTree.MakeFolder("music/sub");
    FTree.MakeFolder("music/other");
    FTree.MakeFolder("music/a\"b");
    FTree.WriteFile("music/a.txt", "a");
    FServer.SetAliases({{"Music", FTree.Path("music")}});
    FServer.SetUserName("u");
    FServer.SetPassWord("p");
    FServer.SetPort(0);
    FServer.StartServer();
  }

  std::unique_ptr<TFtpTestClient> LoggedIn() {
    auto client = std::make_unique<TFtpTestClient>(FServer.BoundPort());
    EXPECT_EQ(client->ReadReply().Code, 220);
    EXPECT_EQ(client->Command("USER u").Code, 331);
    EXPECT_EQ(client->Command("PASS p").Code, 230);
    return client;
  }

  // Brings the session to ADirectory with an absolute CWD ("/" needs none).
  static void GoTo(TFtpTestClient& AClient, const std::string& ADirectory) {
    if (ADirectory != "/") {
      ASSERT_EQ(AClient.Command("CWD " + ADirectory).Code, 250) << ADirectory;
    }
    ASSERT_EQ(AClient.Command("PWD").Text(), WorkingDirectory(ADirectory));
  }

  TTempTree FTree;
  TFTPServer FServer;
};

struct TNavigationCase {
  const char* From;
  const char* Line;
  const char* Reply;  // the whole reply line
  const char* To;     // the working directory afterwards
};


// Test names must not hold a backslash (the test runner reads it as an escape), so it is shown as %5C.
std::string Printable(std::string AText) {
  for (size_t at; (at = AText.find('\\')) != std::string::npos;) AText.replace(at, 1, "%5C");
  return '"' + AText + '"';
}

void PrintTo(const TNavigationCase& ACase, std::ostream* AOut) { *AOut << ACase.From << ": " << Printable(ACase.Line); }

class FacadeNavigationTableTest : public FacadeNavigationTest, public ::testing::WithParamInterface<TNavigationCase> {};

TEST_P(FacadeNavigationTableTest, ChangesTheWorkingDirectoryOrKeepsIt) {
  const TNavigationCase& row = GetParam();
  auto client = LoggedIn();
  GoTo(*client, row.From);
  EXPECT_EQ(client->Command(row.Line).Lines, std::vector<std::string>{row.Reply});
  EXPECT_EQ(client->Command("PWD").Lines, std::vector<std::string>{"257 " + WorkingDirectory(row.To)});
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FacadeNavigationTableTest,
    ::testing::Values(
        TNavigationCase{"/", "CWD Music", "250 CWD Command successful.", "/Music"},
        TNavigationCase{"/Music", "CWD sub/", "250 CWD Command successful.", "/Music/sub"},
        TNavigationCase{"/Music/sub", "CDUP", "250 \"/Music/\" is working directory.", "/Music/"},
        TNavigationCase{"/Music", "CDUP", "250 \"/\" is working directory.", "/"},
        TNavigationCase{"/", "CDUP", "250 \"/\" is working directory.", "/"},
        TNavigationCase{"/Music/sub", "CWD ../other", "250 CWD Command successful.", "/Music/other"},
        TNavigationCase{"/Music", "CWD /Music//sub", "250 CWD Command successful.", "/Music/sub"},
        TNavigationCase{"/Music/sub", "CWD", "250 CWD Command successful.", "/"},
        TNavigationCase{"/Music/sub", "CWD ..", "250 CWD Command successful.", "/Music/"},
        // The X forms name themselves; XCUP reports like CDUP.
        TNavigationCase{"/Music", "XCWD sub", "250 XCWD Command successful.", "/Music/sub"},
        TNavigationCase{"/Music/sub", "XCUP", "250 \"/Music/\" is working directory.", "/Music/"},
        TNavigationCase{"/", "cwd music", "250 CWD Command successful.", "/music"},
        // CDUP and PWD ignore whatever follows them.
        TNavigationCase{"/Music/sub", "CDUP /elsewhere", "250 \"/Music/\" is working directory.", "/Music/"},
        TNavigationCase{"/Music/sub", "PWD /elsewhere", "257 \"/Music/sub\" is working directory.", "/Music/sub"},
        // "." segments stay in the working directory; absolute ".." goes to the facade unresolved.
        TNavigationCase{"/Music", "CWD ./sub", "250 CWD Command successful.", "/Music/./sub"},
        TNavigationCase{"/Music", "CWD .", "250 CWD Command successful.", "/Music"},
        TNavigationCase{"/", "CWD /Music/sub/../other", "250 CWD Command successful.", "/Music/sub/../other"},
        // ".." right after the alias ends at the alias folder, so this names music/Music/sub.
        TNavigationCase{"/", "CWD /Music/../Music/sub", "550 Not found.", "/"},
        TNavigationCase{"/", "CWD \\Music\\sub", "250 CWD Command successful.", "/Music/sub"},
        // A double quote in the directory is not doubled.
        TNavigationCase{"/Music", "CWD a\"b", "250 CWD Command successful.", "/Music/a\"b"},
        // Climbing above the root stays at the root.
        TNavigationCase{"/Music", "CWD ../../..", "250 CWD Command successful.", "/"},
        // Refusals keep the working directory.
        TNavigationCase{"/Music", "CWD missing", "550 Not found.", "/Music"},
        TNavigationCase{"/Music", "CWD a.txt", "550 Not found.", "/Music"},
        TNavigationCase{"/", "CWD /Video", "550 Access denied.", "/"},
        TNavigationCase{"/Music/sub", "XCWD /Video/sub", "550 Access denied.", "/Music/sub"},
        TNavigationCase{"/", "CWD ..x", "550 Access denied.", "/"}));

TEST_F(FacadeNavigationTest, CwdDotAsksTheFacadeAgain) {
  auto client = LoggedIn();
  GoTo(*client, "/Music/sub");
  std::filesystem::remove(FTree.Path("music/sub"));
  EXPECT_EQ(client->Command("CWD .").Lines, std::vector<std::string>{"550 Not found."});
  EXPECT_EQ(client->Command("PWD").Text(), WorkingDirectory("/Music/sub"));
}

TEST_F(FacadeNavigationTest, ARefusedParentAnswersWithTheEntrysCode) {
  auto client = LoggedIn();
  GoTo(*client, "/Music/sub");
  std::filesystem::remove_all(FTree.Path("music"));
  EXPECT_EQ(client->Command("CDUP").Lines, std::vector<std::string>{"550 Not found."});
  EXPECT_EQ(client->Command("XCUP").Lines, std::vector<std::string>{"551 Not found."});
  EXPECT_EQ(client->Command("CWD ..").Lines, std::vector<std::string>{"550 Not found."});
  EXPECT_EQ(client->Command("PWD").Text(), WorkingDirectory("/Music/sub"));
  // The root always counts as a folder.
  EXPECT_EQ(client->Command("CWD /").Code, 250);
}

TEST_F(FacadeNavigationTest, BeforeLoginNothingMoves) {
  TFtpTestClient client(FServer.BoundPort());
  ASSERT_EQ(client.ReadReply().Code, 220);
  for (const char* line : {"CWD Music", "XCWD Music", "CDUP", "XCUP", "PWD", "XPWD"})
    EXPECT_EQ(client.Command(line).Lines, std::vector<std::string>{"530 Not logged in."}) << line;
  ASSERT_EQ(client.Command("USER u").Code, 331);
  ASSERT_EQ(client.Command("PASS p").Code, 230);
  EXPECT_EQ(client.Command("PWD").Text(), WorkingDirectory("/"));
}

TEST_F(FacadeNavigationTest, EachSessionHasItsOwnWorkingDirectory) {
  auto first = LoggedIn();
  auto second = LoggedIn();
  GoTo(*first, "/Music/sub");
  GoTo(*second, "/Music/other");
  EXPECT_EQ(first->Command("PWD").Text(), WorkingDirectory("/Music/sub"));
}

}  // namespace
}  // namespace kobix::service
