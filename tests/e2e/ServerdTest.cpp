#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "common/FtpTestClient.h"
#include "common/ServerdProcess.h"
#include "common/TempTree.h"
#include "e2e/DaemonRun.h"

// kobix-serverd as its users run it: start-up line, greeting, logins, activity lines, stopping by
// signal, and the exit codes of runs that cannot start.

namespace kobix::test {
namespace {

using kobix::testing::TTempTree;

constexpr int ExitWaitMs = 15000;  // a hang detector, not a speed limit

void LogIn(TFtpTestClient& AClient, const std::string& AUser, const std::string& APassword) {
  ASSERT_EQ(AClient.ReadReply().Code, 220);
  ASSERT_EQ(AClient.Command("USER " + AUser).Code, 331);
  ASSERT_EQ(AClient.Command("PASS " + APassword).Code, 230);
}

// The start-up lines end with the read-only or read-write line; activity comes after them.
void SkipStartUpLines(TDaemonRun& ARun) {
  for (int i = 0; i < 50; ++i) {
    const auto line = ARun.ReadLine();
    ASSERT_TRUE(line.has_value()) << "start-up lines ended early";
    if (line->rfind("Clients may", 0) == 0) return;
  }
  FAIL() << "no end of the start-up lines";
}

class ServerdTest : public ::testing::Test {
 protected:
  ServerdTest() { FTree.MakeFolder("served/sub"); }

  std::vector<std::string> Folder() const { return {"--folder", "A=" + FTree.Path("served")}; }

  std::vector<std::string> WithFolder(std::vector<std::string> AArguments) const {
    for (const auto& argument : Folder()) AArguments.push_back(argument);
    return AArguments;
  }

  TTempTree FTree;
};

TEST_F(ServerdTest, FirstLineNamesTheListeningPort) {
  TDaemonRun run(WithFolder({"--port", "0", "--user", "u", "--password-env", "PW"}), {"PW=secret"});
  const auto first = run.ReadLine();
  ASSERT_TRUE(first.has_value());
  std::smatch match;
  ASSERT_TRUE(std::regex_match(*first, match, std::regex("Listening on 0\\.0\\.0\\.0:([1-9][0-9]*)"))) << *first;
  const int port = std::stoi(match[1]);
  ASSERT_LE(port, 65535);
  TFtpTestClient client(static_cast<uint16_t>(port));
  LogIn(client, "u", "secret");
  EXPECT_EQ(client.Command("PWD").Lines, std::vector<std::string>{"257 \"/\" is working directory."});
}

TEST_F(ServerdTest, GreetingWithALineBreakIsAMultiLine220) {
  TServerdProcess server(WithFolder({"--greeting", "Welcome to KOBIX\nPlease log in", "--quiet"}));
  TFtpTestClient client(server.Port());
  EXPECT_EQ(client.ReadReply().Lines, (std::vector<std::string>{"220-Welcome to KOBIX", "220 Please log in"}));
}

TEST_F(ServerdTest, LogsInWithTheAccountFromTheCommandLine) {
  TServerdProcess server(WithFolder({"--user", "alice", "--password-env", "KOBIX_TEST_PW", "--quiet"}), {"KOBIX_TEST_PW=p w!"});
  TFtpTestClient client(server.Port());
  LogIn(client, "ALICE", "P W!");  // names and passwords match without regard to letter case
  EXPECT_EQ(client.Command("CWD /A/sub").Code, 250);
  EXPECT_EQ(client.Command("PWD").Text(), "\"/A/sub\" is working directory.");
}

TEST_F(ServerdTest, AnonymousLoginWhenAllowed) {
  TServerdProcess server(WithFolder({"--anonymous", "--quiet"}));
  TFtpTestClient client(server.Port());
  ASSERT_EQ(client.ReadReply().Code, 220);
  EXPECT_EQ(client.Command("USER Anonymous").Lines, std::vector<std::string>{"331 Anonymous login OK, send e-mail as password."});
  EXPECT_EQ(client.Command("PASS me@example.org").Lines, std::vector<std::string>{"230 Anonymous user logged in, proceed."});
  EXPECT_EQ(client.Command("CWD A").Code, 250);
}

TEST_F(ServerdTest, ActivityLinesCarryTheClientAndTheCommand) {
  TDaemonRun run(WithFolder({"--port", "0", "--user", "u", "--password-env", "PW"}), {"PW=secret"});
  const uint16_t port = run.ReadListeningPort();
  ASSERT_NE(port, 0);
  SkipStartUpLines(run);
  TFtpTestClient client(port);
  LogIn(client, "u", "secret");
  EXPECT_EQ(client.Command("CWD /A/sub").Code, 250);
  const std::string peer = "127.0.0.1:" + std::to_string(client.Socket().LocalAddress().Port);
  bool sawCommand = false, sawReply = false;
  for (int i = 0; i < 100 && !(sawCommand && sawReply); ++i) {
    const auto line = run.ReadLine();
    ASSERT_TRUE(line.has_value()) << "no activity line for CWD";
    EXPECT_EQ(line->rfind(peer + " ", 0), 0u) << *line;
    sawCommand = sawCommand || line->find("Recv : CWD /A/sub") != std::string::npos;
    sawReply = sawReply || line->find("Sent : 250 CWD Command successful.") != std::string::npos;
  }
  EXPECT_TRUE(sawCommand);
  EXPECT_TRUE(sawReply);
}

TEST_F(ServerdTest, QuietPrintsNoActivity) {
  TDaemonRun run(WithFolder({"--port", "0", "--quiet", "--user", "u", "--password-env", "PW"}), {"PW=secret"});
  const uint16_t port = run.ReadListeningPort();
  ASSERT_NE(port, 0);
  std::string peer;
  {
    TFtpTestClient client(port);
    LogIn(client, "u", "secret");
    EXPECT_EQ(client.Command("CWD /A").Code, 250);
    peer = "127.0.0.1:" + std::to_string(client.Socket().LocalAddress().Port);
    EXPECT_EQ(client.Command("QUIT").Code, 221);
  }
  run.Signal(SIGTERM);
  ASSERT_TRUE(run.WaitExit(ExitWaitMs));
  EXPECT_EQ(run.ExitStatus(), 0);
  const std::string output = run.RemainingOutput();
  EXPECT_EQ(output.find(peer), std::string::npos) << output;
  EXPECT_EQ(output.find("CWD"), std::string::npos) << output;
}

TEST_F(ServerdTest, SigtermEndsWithZeroAndClosesSessionsWithoutAReply) {
  TDaemonRun run(WithFolder({"--port", "0", "--quiet", "--user", "u", "--password-env", "PW"}), {"PW=secret"});
  const uint16_t port = run.ReadListeningPort();
  ASSERT_NE(port, 0);
  TFtpTestClient loggedIn(port);
  LogIn(loggedIn, "u", "secret");
  TFtpTestClient greeted(port);
  ASSERT_EQ(greeted.ReadReply().Code, 220);
  TFtpTestClient halfLine(port);
  ASSERT_EQ(halfLine.ReadReply().Code, 220);
  halfLine.SendRaw("USER u");  // a command still being typed

  run.Signal(SIGTERM);
  ASSERT_TRUE(run.WaitExit(ExitWaitMs)) << "still running after SIGTERM";
  EXPECT_EQ(run.ExitStatus(), 0);
  for (TFtpTestClient* client : {&loggedIn, &greeted, &halfLine}) {
    try {
      const std::string line = client->ReadLine();
      ADD_FAILURE() << "a reply after the stop: " << line;
    } catch (const std::exception& error) {
      EXPECT_TRUE(std::string(error.what()).ends_with("buffered: ")) << error.what();
    }
  }
}

TEST_F(ServerdTest, BadOptionsExitWithTwoAndTheUsage) {
  const std::vector<std::vector<std::string>> rows = {
      {"--bogus"},
      {"--port"},
      {"--port", "abc"},
      {"--port", "70000"},
      {"--max-users", "-1"},
      {"--folder", "no-equals-sign"},
      {"--password-env", "KOBIX_TEST_SURELY_UNSET_VARIABLE"},
  };
  for (const auto& arguments : rows) {
    TDaemonRun run(arguments);
    ASSERT_TRUE(run.WaitExit(ExitWaitMs)) << arguments.front();
    EXPECT_EQ(run.ExitStatus(), 2) << arguments.front();
    const std::string errors = run.Errors();
    EXPECT_EQ(errors.rfind("kobix-serverd: ", 0), 0u) << errors;
    EXPECT_NE(errors.find("Usage: kobix-serverd"), std::string::npos) << errors;
    EXPECT_EQ(run.RemainingOutput().find("Listening"), std::string::npos);
  }
}

TEST_F(ServerdTest, SaveIsRefusedWithTwo) {
  TDaemonRun run(WithFolder({"--port", "0", "--save"}));
  ASSERT_TRUE(run.WaitExit(ExitWaitMs));
  EXPECT_EQ(run.ExitStatus(), 2);
  EXPECT_NE(run.Errors().find("--save"), std::string::npos);
  EXPECT_EQ(run.RemainingOutput(), "");
}

TEST_F(ServerdTest, PortInUseExitsWithOneAndTheEnginesMessage) {
  TServerdProcess holder(WithFolder({"--quiet"}));
  TDaemonRun run(WithFolder({"--port", std::to_string(holder.Port()), "--quiet"}));
  ASSERT_TRUE(run.WaitExit(ExitWaitMs));
  EXPECT_EQ(run.ExitStatus(), 1);
  EXPECT_NE(run.Errors().find("Could not bind socket. Address and port are already in use."), std::string::npos) << run.Errors();
  EXPECT_EQ(run.RemainingOutput().find("Listening"), std::string::npos);
  // The first server is not disturbed.
  TFtpTestClient client(holder.Port());
  EXPECT_EQ(client.ReadReply().Code, 220);
}

TEST_F(ServerdTest, AMissingFolderIsServedWithAWarningAndCannotBeEntered) {
  const std::string missing = FTree.Path("not-there");
  TDaemonRun run({"--port", "0", "--quiet", "--folder", "Gone=" + missing, "--folder", "A=" + FTree.Path("served"), "--user", "u",
                  "--password-env", "PW"},
                 {"PW=secret"});
  const uint16_t port = run.ReadListeningPort();
  ASSERT_NE(port, 0);
  const std::string errors = run.Errors();
  EXPECT_NE(errors.find("warning"), std::string::npos) << errors;
  EXPECT_NE(errors.find(missing), std::string::npos) << errors;
  EXPECT_EQ(errors.find(FTree.Path("served") + " "), std::string::npos) << errors;
  TFtpTestClient client(port);
  LogIn(client, "u", "secret");
  EXPECT_EQ(client.Command("CWD /Gone").Lines, std::vector<std::string>{"550 Not found."});
  EXPECT_EQ(client.Command("CWD Gone/x").Lines, std::vector<std::string>{"550 Not found."});
  EXPECT_EQ(client.Command("PWD").Text(), "\"/\" is working directory.");
  EXPECT_EQ(client.Command("CWD /A").Code, 250);
}

}  // namespace
}  // namespace kobix::test
