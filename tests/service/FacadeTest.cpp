#include "service/FTPServerUnit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/FtpTestClient.h"
#include "common/TempTree.h"
#include "ftp/server/Errors.h"

// The facade as its owner uses it: start and stop, the greeting, the session lookup by peer port,
// the connect and disconnect notifications, the user limit, and settings changed while sessions run.

namespace kobix::service {
namespace {

using kobix::testing::TTempTree;
using test::TFtpTestClient;
using namespace std::chrono_literals;

// Waits (bounded) until ACondition holds.
bool Eventually(const std::function<bool()>& ACondition) {
  for (int i = 0; i < 500; ++i) {
    if (ACondition()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return ACondition();
}

class FacadeTest : public ::testing::Test {
 protected:
  FacadeTest() {
    FTree.MakeFolder("music/sub");
    FServer.SetAliases({{"Music", FTree.Path("music")}});
    FServer.SetUserName("u");
    FServer.SetPassWord("p");
    FServer.SetPort(0);
  }

  void Start() { ASSERT_TRUE(FServer.StartServer()); }

  std::unique_ptr<TFtpTestClient> Greeted() {
    auto client = std::make_unique<TFtpTestClient>(FServer.BoundPort());
    EXPECT_EQ(client->ReadReply().Code, 220);
    return client;
  }

  std::unique_ptr<TFtpTestClient> LoggedIn() {
    auto client = Greeted();
    EXPECT_EQ(client->Command("USER u").Code, 331);
    EXPECT_EQ(client->Command("PASS p").Code, 230);
    return client;
  }

  static uint16_t LocalPort(const TFtpTestClient& AClient) { return AClient.Socket().LocalAddress().Port; }

  TTempTree FTree;
  TFTPServer FServer;
};

TEST_F(FacadeTest, GreetingMessageBecomesThe220Reply) {
  struct TRow {
    std::string Message;
    std::vector<std::string> Lines;
  };
  const std::vector<TRow> rows = {
      {"", {"220 Ok"}},
      {"Welcome", {"220 Welcome"}},
      {"Welcome to KOBIX\nSecond line", {"220-Welcome to KOBIX", "220 Second line"}},
      {"First\r\nSecond", {"220-First", "220 Second"}},
  };
  Start();
  for (const TRow& row : rows) {
    // The greeting is read for each new client, so it changes without a restart.
    FServer.SetGreetingMessage(row.Message);
    TFtpTestClient client(FServer.BoundPort());
    EXPECT_EQ(client.ReadReply().Lines, row.Lines) << row.Message;
  }
}

TEST_F(FacadeTest, StartOnABusyPortFailsAndLeavesItStoppedThenAFreePortWorks) {
  TFTPServer holder;
  holder.SetPort(0);
  ASSERT_TRUE(holder.StartServer());
  FServer.SetPort(holder.BoundPort());
  try {
    FServer.StartServer();
    FAIL() << "started on a port in use";
  } catch (const std::exception& error) {
    EXPECT_STREQ(error.what(), "Could not bind socket. Address and port are already in use.");
  }
  EXPECT_FALSE(FServer.Active());
  FServer.SetPort(0);
  ASSERT_TRUE(FServer.StartServer());
  EXPECT_TRUE(FServer.Active());
  EXPECT_NE(FServer.BoundPort(), holder.BoundPort());
  LoggedIn();
}

TEST_F(FacadeTest, StopTwiceIsHarmlessAndTheServerStartsAgain) {
  FServer.StopServer();  // never started
  Start();
  auto client = Greeted();
  FServer.StopServer();
  EXPECT_FALSE(FServer.Active());
  EXPECT_TRUE(client->ClosedByServer());
  FServer.StopServer();
  EXPECT_FALSE(FServer.Active());
  Start();
  LoggedIn();
}

TEST_F(FacadeTest, FindContextByPeerPortFindsOnlyALiveSession) {
  Start();
  bool visited = false;
  EXPECT_FALSE(FServer.FindContextByPeerPort(1, [&](ftp::TIdFTPServerContext&) { visited = true; }));
  auto first = LoggedIn();
  auto second = Greeted();
  ASSERT_EQ(first->Command("CWD /Music/sub").Code, 250);
  std::string directory, peer;
  ASSERT_TRUE(FServer.FindContextByPeerPort(LocalPort(*first), [&](ftp::TIdFTPServerContext& AContext) {
    directory = AContext.FCurrentDir;
    peer = AContext.Connection().PeerAddress().IP;
  }));
  EXPECT_EQ(directory, "/Music/sub");
  EXPECT_EQ(peer, "127.0.0.1");
  bool secondAuthenticated = true;
  ASSERT_TRUE(FServer.FindContextByPeerPort(LocalPort(*second), [&](ftp::TIdFTPServerContext& AContext) {
    secondAuthenticated = AContext.FAuthenticated;
  }));
  EXPECT_FALSE(secondAuthenticated);
  // Once the session has gone it is not found any more.
  const uint16_t gone = LocalPort(*first);
  EXPECT_EQ(first->Command("QUIT").Code, 221);
  first.reset();
  EXPECT_TRUE(Eventually([&] { return !FServer.FindContextByPeerPort(gone, [](ftp::TIdFTPServerContext&) {}); }));
  EXPECT_FALSE(visited);
}

TEST_F(FacadeTest, ConnectAfterTheGreetingAndDisconnectAreRaised) {
  std::mutex lock;
  std::vector<std::string> events;
  FServer.OnConnect = [&](TFTPServer& ASender, ftp::TIdFTPServerContext& AContext) {
    EXPECT_EQ(&ASender, &FServer);
    std::lock_guard guard(lock);
    events.push_back("connect " + std::to_string(AContext.Connection().PeerAddress().Port));
  };
  FServer.OnDisconnect = [&](TFTPServer& ASender, ftp::TIdFTPServerContext& AContext) {
    EXPECT_EQ(&ASender, &FServer);
    std::lock_guard guard(lock);
    events.push_back("disconnect " + std::to_string(AContext.Connection().PeerAddress().Port));
  };
  const auto count = [&] {
    std::lock_guard guard(lock);
    return events.size();
  };
  Start();
  auto client = Greeted();
  const std::string port = std::to_string(LocalPort(*client));
  ASSERT_TRUE(Eventually([&] { return count() == 1; }));
  EXPECT_EQ(client->Command("QUIT").Code, 221);
  ASSERT_TRUE(Eventually([&] { return count() == 2; }));
  // A client that just drops the line is reported too.
  auto dropped = Greeted();
  ASSERT_TRUE(Eventually([&] { return count() == 3; }));
  dropped.reset();
  ASSERT_TRUE(Eventually([&] { return count() == 4; }));
  std::lock_guard guard(lock);
  EXPECT_EQ(events[0], "connect " + port);
  EXPECT_EQ(events[1], "disconnect " + port);
}

TEST_F(FacadeTest, TheUserLimitRefusesTheFourthClientUntilOneLeaves) {
  std::atomic<int> connects{0}, disconnects{0};
  FServer.OnConnect = [&](TFTPServer&, ftp::TIdFTPServerContext&) { ++connects; };
  FServer.OnDisconnect = [&](TFTPServer&, ftp::TIdFTPServerContext&) { ++disconnects; };
  FServer.SetMaxConnections(3);
  Start();
  std::vector<std::unique_ptr<TFtpTestClient>> clients;
  for (int i = 0; i < 3; ++i) clients.push_back(LoggedIn());
  ASSERT_TRUE(Eventually([&] { return connects == 3; }));

  TFtpTestClient refused(FServer.BoundPort());
  EXPECT_EQ(refused.ReadLine(), "300 Too many connections. Try again later.");
  EXPECT_TRUE(refused.ClosedByServer());
  EXPECT_EQ(connects, 3);

  const uint16_t leaving = LocalPort(*clients.front());
  EXPECT_EQ(clients.front()->Command("QUIT").Code, 221);
  clients.erase(clients.begin());
  ASSERT_TRUE(Eventually([&] { return disconnects == 1; }));
  ASSERT_TRUE(Eventually([&] { return !FServer.FindContextByPeerPort(leaving, [](ftp::TIdFTPServerContext&) {}); }));
  auto next = LoggedIn();
  EXPECT_EQ(next->Command("PWD").Code, 257);
  // The limit can be raised while the server runs.
  FServer.SetMaxConnections(4);
  auto fourth = Greeted();
  EXPECT_EQ(fourth->Command("PWD").Code, 530);
}

// A thread rewrites the settings while a session changes directory over and over: every answer is
// one of the two a consistent set of settings gives, and nothing crashes or races.
TEST_F(FacadeTest, SettingsSwappedWhileSessionsRun) {
  FTree.MakeFolder("video/sub");
  Start();
  auto client = LoggedIn();
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 200000 && !done; ++i) {
      if (i % 2)
        FServer.SetAliases({{"Music", FTree.Path("music")}, {"Video", FTree.Path("video")}});
      else
        FServer.SetAliases({{"Video", FTree.Path("video")}});
      FServer.SetReadOnly(i % 3 == 0);
      FServer.SetShowHiddenFiles(i % 5 == 0);
      FServer.SetGreetingMessage(i % 2 ? "a" : "b\nc");
    }
  });
  int changed = 0, refused = 0;
  for (int i = 0; i < 300; ++i) {
    const auto reply = client->Command(i % 2 ? "CWD /Music/sub" : "CWD /Video/sub");
    if (reply.Code == 250)
      ++changed;
    else if (reply.Lines == std::vector<std::string>{"550 Access denied."})
      ++refused;
    else
      ADD_FAILURE() << reply.Lines.front();
  }
  done = true;
  writer.join();
  EXPECT_EQ(changed + refused, 300);
  EXPECT_GE(changed, 150);  // /Video/sub is served by every set
  EXPECT_EQ(client->Command("PWD").Code, 257);
}

}  // namespace
}  // namespace kobix::service
