// Start, stop, the connection limit and bind failures of the engine.

#include "EngineFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace kobix::test {
namespace {

size_t OpenDescriptors() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

size_t ThreadCount() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++count;
  return count;
}

TEST(ConnectionLimitTest, ClientOverTheLimitIsRefusedUntilOneLeaves) {
  TEngineFixture engine;
  engine.Server().MaxConnections = 3;
  engine.Start();
  auto a = engine.Connect(), b = engine.Connect(), c = engine.Connect();
  {
    TFtpTestClient refused(engine.Port());
    EXPECT_EQ(refused.ReadReply().Lines, std::vector<std::string>{"300 Too many connections. Try again later."});
    EXPECT_TRUE(refused.ClosedByServer());
  }
  EXPECT_EQ(engine.Connects, 3);
  a->Command("QUIT");
  EXPECT_TRUE(a->ClosedByServer());
  // The session leaves the live list just after its disconnect event.
  const auto liveSessions = [&] {
    size_t count = 0;
    engine.Server().WithContexts([&](const std::vector<ftp::TIdContext*>& AContexts) { count = AContexts.size(); });
    return count;
  };
  for (int i = 0; i < 200 && liveSessions() > 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  auto d = engine.Connect();
  EXPECT_EQ(d->Command("NOOP").Code, 200);
}

TEST(ConnectionLimitTest, ZeroMeansNoLimit) {
  TEngineFixture engine;
  engine.Start();
  std::vector<std::unique_ptr<TFtpTestClient>> clients;
  for (int i = 0; i < 8; ++i) clients.push_back(engine.Connect());
  for (auto& client : clients) EXPECT_EQ(client->Command("NOOP").Code, 200);
}

TEST(StopTest, StopClosesSessionsWithoutReplyAndJoinsEveryThread) {
  const size_t threadsBefore = ThreadCount();
  const size_t descriptorsBefore = OpenDescriptors();
  TEngineFixture engine;
  engine.Start();
  {
    auto a = engine.LoggedIn(), b = engine.Connect(), c = engine.Connect();
    const auto start = std::chrono::steady_clock::now();
    engine.Server().SetActive(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(engine.Server().Active());
    EXPECT_EQ(engine.Disconnects, 3);
    for (auto* client : {a.get(), b.get(), c.get()}) EXPECT_TRUE(client->ClosedByServer());
  }
  EXPECT_EQ(ThreadCount(), threadsBefore);
  engine.Server().SetActive(true);  // starting again works
  EXPECT_EQ(engine.LoggedIn()->Command("NOOP").Code, 200);
  engine.Server().SetActive(false);
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
}

TEST(StopTest, StopEndsTheFailedLoginPause) {
  TEngineFixture engine;
  engine.Start();
  auto client = engine.Connect();
  client->Command("USER user");
  client->SendLine("PASS wrong");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto start = std::chrono::steady_clock::now();
  engine.Server().SetActive(false);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(BindTest, PortInUseFailsWithTheInUseTextAndLeavesTheEngineInactive) {
  TEngineFixture first;
  first.Start();
  ftp::TIdFTPServer second;
  second.Bindings().push_back({"127.0.0.1", first.Port(), platform::TIPVersion::IPv4});
  try {
    second.SetActive(true);
    FAIL() << "the start should have failed";
  } catch (const ftp::EIdException& e) {
    EXPECT_STREQ(e.what(), "Could not bind socket. Address and port are already in use.");
  }
  EXPECT_FALSE(second.Active());
  second.Bindings().front().Port = 0;
  second.SetActive(true);
  EXPECT_TRUE(second.Active());
}

TEST(BindTest, OtherCausesAreNamed) {
  ftp::TIdFTPServer server;
  server.Bindings().push_back({"192.0.2.123", 0, platform::TIPVersion::IPv4});  // not an address of this host
  try {
    server.SetActive(true);
    FAIL() << "the start should have failed";
  } catch (const ftp::EIdException& e) {
    EXPECT_STREQ(e.what(), "Could not bind socket. Cannot assign requested address.");
  }
  EXPECT_FALSE(server.Active());
}

TEST(SessionEndTest, ClientClosingMidLineEndsOnlyItsSession) {
  TEngineFixture engine;
  engine.Start();
  auto other = engine.Connect();
  {
    auto client = engine.Connect();
    client->SendRaw("NOO");
  }
  for (int i = 0; i < 100 && engine.Disconnects < 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(engine.Disconnects, 1);
  EXPECT_EQ(other->Command("NOOP").Code, 200);
}

}  // namespace
}  // namespace kobix::test
