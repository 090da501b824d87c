// Transfers over live data connections: round trips in both connection modes, restart offsets,
// resumed uploads, ABOR and other commands during a transfer, failures to connect, MODE Z.

#include "TransferFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace kobix::test {
namespace {

constexpr size_t LongFileSize = 48 * 1024 * 1024;  // far more than the sockets buffer

class TransferEngine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Engine = new TTransferEngine;
    Engine->Tree.WriteFile("250.bin", Pattern(250));
    Engine->Tree.WriteFile("multi.bin", Pattern(1000000, 2));  // several send blocks
    Engine->Tree.WriteFile("long.bin", Pattern(LongFileSize, 3));
    Engine->Tree.WriteFile("text.txt", "line one\r\nline two\nline three\r\n");
    Engine->Start();
  }
  static void TearDownTestSuite() { delete Engine; }
  static TTransferEngine* Engine;
};

TTransferEngine* TransferEngine::Engine = nullptr;

/// One arranged data connection, passive or active; Open gives the connected socket once the
/// transfer command has been answered with its preliminary reply.
class TDataPort {
 public:
  TDataPort(TFtpTestClient& AClient, bool APassive) : FPassive(APassive) {
    if (APassive)
      FSocket = OpenPassive(AClient);
    else
      FListener = ListenActive(AClient);
  }
  const platform::TSocket& Open() {
    if (!FPassive && !FSocket.IsOpen()) FSocket = FListener.Accept();
    return FSocket;
  }
  void Close() { FSocket.Close(); }

 private:
  bool FPassive;
  platform::TSocket FListener, FSocket;
};

std::string Retrieve(TFtpTestClient& AClient, const std::string& APath, bool APassive = true) {
  TDataPort port(AClient, APassive);
  EXPECT_EQ(AClient.Command("RETR " + APath).Lines[0], "150 File status okay; about to open data connection.");
  const std::string data = ReadAll(port.Open());
  EXPECT_EQ(AClient.ReadReply().Lines[0], "226 Closing data connection.");
  return data;
}

TReply Store(TFtpTestClient& AClient, const std::string& ALine, const std::string& AData, bool APassive = true) {
  TDataPort port(AClient, APassive);
  const TReply preliminary = AClient.Command(ALine);
  EXPECT_EQ(preliminary.Code, 150) << preliminary.Text();
  port.Open().SendAll(AData.data(), AData.size());
  port.Close();
  EXPECT_EQ(AClient.ReadReply().Lines[0], "226 Closing data connection.");
  return preliminary;
}

class RoundTrip : public TransferEngine, public ::testing::WithParamInterface<bool> {};

TEST_P(RoundTrip, FilesTravelByteForByte) {
  const bool passive = GetParam();
  const std::string name = passive ? "p" : "a";
  auto client = Engine->LoggedIn();
  EXPECT_EQ(Retrieve(*client, "/multi.bin", passive), Engine->Tree.ReadFile("multi.bin"));
  EXPECT_EQ(Retrieve(*client, "/250.bin", passive), Pattern(250));

  const std::string upload = Pattern(700000, 4);
  Store(*client, "STOR /" + name + ".bin", upload, passive);
  EXPECT_EQ(Engine->Tree.ReadFile(name + ".bin"), upload);
  Store(*client, "APPE /" + name + ".bin", "tail", passive);
  EXPECT_EQ(Engine->Tree.ReadFile(name + ".bin"), upload + "tail");
  Store(*client, "STOR /" + name + ".bin", "short", passive);  // a plain STOR replaces
  EXPECT_EQ(Engine->Tree.ReadFile(name + ".bin"), "short");

  const TReply unique = Store(*client, "STOU ignored", "unique body", passive);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(unique.Lines[0], match, std::regex(R"(150 FILE: (Temp[0-9A-F]{8}))"))) << unique.Lines[0];
  EXPECT_EQ(Engine->Tree.ReadFile(match[1]), "unique body");
  EXPECT_EQ(client->Command("NOOP").Code, 200);
}

INSTANTIATE_TEST_SUITE_P(Modes, RoundTrip, ::testing::Values(true, false),
                         [](const auto& AInfo) { return AInfo.param ? "Passive" : "Active"; });

struct TRestCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TRestCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  const char* Offset;
  size_t From;  // the first byte of the 250-byte file that is sent
};

class RestartOffset : public TransferEngine, public ::testing::WithParamInterface<TRestCase> {};

TEST_P(RestartOffset, AppliesToTheNextRetrieveOnly) {
  auto client = Engine->LoggedIn();
  EXPECT_EQ(client->Command(std::string("REST ") + GetParam().Offset).Lines[0], "350 Requested file action pending further information.");
  const std::string whole = Pattern(250);
  EXPECT_EQ(Retrieve(*client, "/250.bin"), whole.substr(std::min<size_t>(GetParam().From, 250)));
  EXPECT_EQ(Retrieve(*client, "/250.bin"), whole);
}

INSTANTIATE_TEST_SUITE_P(Table, RestartOffset,
                         ::testing::Values(TRestCase{"Inside", "100", 100}, TRestCase{"AtEnd", "250", 250},
                                           TRestCase{"BeyondEnd", "300", 300}, TRestCase{"NotANumber", "x", 0},
                                           TRestCase{"Negative", "-5", 0}, TRestCase{"Blanks", " 10 ", 10}),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(TransferEngine, ResumedUploadKeepsTheBytesBeforeTheOffset) {
  auto client = Engine->LoggedIn();
  const std::string original = Pattern(1000, 5);
  Engine->Tree.WriteFile("resume.bin", original);
  client->Command("REST 400");
  Store(*client, "STOR /resume.bin", "NEW-BYTES");
  EXPECT_TRUE(Engine->LastResume);
  // Kept prefix, the new bytes at the offset, and the file ends after them.
  EXPECT_EQ(Engine->Tree.ReadFile("resume.bin"), original.substr(0, 400) + "NEW-BYTES");

  client->Command("REST 3");
  Store(*client, "STOR /missing-before.bin", "abc");  // resuming a missing file creates it
  EXPECT_EQ(Engine->Tree.ReadFile("missing-before.bin"), std::string(3, '\0') + "abc");

  Store(*client, "STOR /resume.bin", "whole");
  EXPECT_FALSE(Engine->LastResume);
  EXPECT_EQ(Engine->Tree.ReadFile("resume.bin"), "whole");
}

TEST_F(TransferEngine, OffsetsBeyond2GiBAreKept) {
  constexpr int64_t Offset = 3000000000;  // not a 32-bit number
  auto client = Engine->LoggedIn();
  client->Command("REST 3000000000");
  Store(*client, "STOR /huge.bin", "end of a big file");  // sparse: only the tail is written
  EXPECT_EQ(std::filesystem::file_size(Engine->Local("/huge.bin")), static_cast<uintmax_t>(Offset) + 17);
  client->Command("REST 3000000004");
  EXPECT_EQ(Retrieve(*client, "/huge.bin"), "of a big file");
  std::filesystem::remove(Engine->Local("/huge.bin"));
}

TEST_F(TransferEngine, AnnouncedSizeOnlyExtendsAndTheFileEndsAtTheLastByte) {
  auto client = Engine->LoggedIn();
  EXPECT_EQ(client->Command("ALLO 100000").Lines[0], "200 ALLO Command successful.");
  Store(*client, "STOR /allo.bin", "ten bytes!");
  EXPECT_EQ(Engine->Tree.ReadFile("allo.bin"), "ten bytes!");

  const std::string original = Pattern(1000, 6);
  Engine->Tree.WriteFile("allo2.bin", original);
  EXPECT_EQ(client->Command("ALLO 10").Code, 200);
  client->Command("REST 500");
  Store(*client, "STOR /allo2.bin", "xyz");
  EXPECT_EQ(Engine->Tree.ReadFile("allo2.bin"), original.substr(0, 500) + "xyz");
}

struct TParameterCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TParameterCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  const char* Line;
  const char* Reply;
};

class TransferParameters : public TransferEngine, public ::testing::WithParamInterface<TParameterCase> {};

TEST_P(TransferParameters, AnswerExactly) {
  auto client = Engine->LoggedIn();
  EXPECT_EQ(client->Command(GetParam().Line).Lines[0], GetParam().Reply);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TransferParameters,
    ::testing::Values(TParameterCase{"TypeI", "TYPE I", "200 Type set to I."}, TParameterCase{"TypeALowerCase", "type a n", "200 Type set to A."},
                      TParameterCase{"TypeE", "TYPE E", "200 Ok"}, TParameterCase{"TypeTwoLetters", "TYPE AB", "200 Ok"},
                      TParameterCase{"StruF", "STRU F", "200 Structure set to F."}, TParameterCase{"StruR", "STRU R", "200 Structure set to R."},
                      TParameterCase{"ModeS", "MODE S", "200 Mode set to S."}, TParameterCase{"ModeZ", "MODE Z", "200 Mode set to Z."},
                      TParameterCase{"ModeB", "MODE B", "504 Unimplemented mode."}, TParameterCase{"ModeAlone", "MODE", "200 Ok"},
                      TParameterCase{"AlloAlone", "ALLO", "504 Command not implemented for that parameter."},
                      TParameterCase{"AlloRecord", "ALLO R 512", "200 ALLO Command successful."},
                      TParameterCase{"AborIdle", "ABOR", "226 ABOR Command successful."}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(TransferEngine, TypeDoesNotChangeTheBytes) {
  auto client = Engine->LoggedIn();
  client->Command("TYPE A");
  EXPECT_EQ(Retrieve(*client, "/text.txt"), Engine->Tree.ReadFile("text.txt"));
}

TEST_F(TransferEngine, AborAfterPasvClosesTheListener) {
  auto client = Engine->LoggedIn();
  const TReply pasv = client->Command("PASV");
  platform::TSocket waiting = ConnectData(AnnouncedPort(pasv));
  EXPECT_EQ(client->Command("ABOR").Lines[0], "226 Closing data connection.");
  EXPECT_EQ(ReadAll(waiting), "");
  EXPECT_EQ(client->Command("RETR /250.bin").Code, 425);
}

TEST_F(TransferEngine, AborDuringALongRetrieveEndsItWith426) {
  auto client = Engine->LoggedIn();
  platform::TSocket data = OpenPassive(*client);
  ASSERT_EQ(client->Command("RETR /long.bin").Code, 150);
  ReadSome(data, 1 << 20);
  client->SendLine("ABOR");
  const size_t received = (1 << 20) + ReadAll(data).size();
  EXPECT_LT(received, LongFileSize);
  EXPECT_EQ(client->ReadReply().Lines[0], "226 Closing data connection.");
  EXPECT_EQ(client->ReadReply().Lines[0], "426 Data connection closed abnormally.");
  EXPECT_EQ(client->Command("NOOP").Code, 200);
}

TEST_F(TransferEngine, OtherCommandsDuringATransferAreAnsweredAfterIt) {
  auto client = Engine->LoggedIn();
  platform::TSocket data = OpenPassive(*client);
  ASSERT_EQ(client->Command("RETR /long.bin").Code, 150);
  std::string received = ReadSome(data, 1 << 20);
  client->SendLine("NOOP");
  client->SendLine("BOGUS x");
  client->SendLine("PASV");  // arranges the next transfer's channel, which must stay
  received += ReadAll(data);
  EXPECT_EQ(received.size(), LongFileSize);
  EXPECT_EQ(client->ReadReply().Lines[0], "226 Closing data connection.");
  EXPECT_EQ(client->ReadReply().Lines[0], "200 NOOP Command successful.");
  EXPECT_EQ(client->ReadReply().Lines[0], "500 'BOGUS x': command not understood.");
  const TReply pasv = client->ReadReply();
  ASSERT_EQ(pasv.Code, 227);
  platform::TSocket next = ConnectData(AnnouncedPort(pasv));
  EXPECT_EQ(client->Command("RETR /250.bin").Code, 150);
  EXPECT_EQ(ReadAll(next), Pattern(250));
  EXPECT_EQ(client->ReadReply().Code, 226);
}

TEST_F(TransferEngine, ClientClosingEarlyGets426AndTheSessionGoesOn) {
  auto client = Engine->LoggedIn();
  {
    platform::TSocket data = OpenPassive(*client);
    ASSERT_EQ(client->Command("RETR /long.bin").Code, 150);
    ReadSome(data, 65536);
  }
  EXPECT_EQ(client->ReadReply().Lines[0], "426 Data connection closed abnormally.");
  EXPECT_EQ(client->Command("NOOP").Code, 200);
}

TEST_F(TransferEngine, PassiveClientFromAnotherAddressIsRefused) {
  auto client = Engine->LoggedIn();
  const TReply pasv = client->Command("PASV");
  platform::TSocket data = ConnectData(AnnouncedPort(pasv), "127.0.0.2");
  ASSERT_EQ(client->Command("RETR /250.bin").Code, 150);
  EXPECT_EQ(client->ReadReply().Lines[0], "504 Data port can only be used by the same IP address used by the control connection.");
  EXPECT_EQ(ReadAll(data), "");
  EXPECT_EQ(client->Command("RETR /250.bin").Code, 425);
  EXPECT_EQ(client->Command("NOOP").Code, 200);
}

TEST_F(TransferEngine, RefusedActiveConnectionEndsTheSession) {
  auto client = Engine->LoggedIn();
  uint16_t port;
  {
    platform::TSocket listener = ListenActive(*client);
    port = listener.LocalAddress().Port;
  }  // nobody listens there any more
  (void)port;
  ASSERT_EQ(client->Command("RETR /250.bin").Code, 150);
  EXPECT_EQ(client->ReadReply().Lines[0], "426 Data connection closed abnormally.");
  EXPECT_TRUE(client->ClosedByServer());
}

TEST_F(TransferEngine, MissingFileLeavesNoDataChannel) {
  auto client = Engine->LoggedIn();
  platform::TSocket data = OpenPassive(*client);
  EXPECT_EQ(client->Command("RETR /nothing-here").Code, 550);
  EXPECT_EQ(client->Command("RETR /250.bin").Code, 425);
}

TEST_F(TransferEngine, ActiveConnectionsComeFromPort20OrAHostPort) {
  auto client = Engine->LoggedIn();
  {
    platform::TSocket listener = ListenActive(*client);
    ASSERT_EQ(client->Command("RETR /250.bin").Code, 150);
    platform::TSocket data = listener.Accept();
    const uint16_t from = data.PeerAddress().Port;
    EXPECT_EQ(ReadAll(data), Pattern(250));
    EXPECT_EQ(client->ReadReply().Code, 226);
    bool mayBind20 = true;
    try {
      platform::TSocket probe = platform::TSocket::Listen("127.0.0.2", 20, 1, true);
    } catch (const std::exception&) {
      mayBind20 = false;
    }
    if (mayBind20) {
      EXPECT_EQ(from, 20);
    }
  }
  // With port 20 taken the host picks another one, and the transfer still works.
  std::unique_ptr<platform::TSocket> blocker;
  try {
    blocker = std::make_unique<platform::TSocket>(platform::TSocket::Listen("127.0.0.1", 20, 1, false));
  } catch (const std::exception&) {
  }
  EXPECT_EQ(Retrieve(*client, "/250.bin", false), Pattern(250));
}

TEST_F(TransferEngine, ModeZSendsOneZlibStreamAndInflatesUploads) {
  auto client = Engine->LoggedIn();
  ASSERT_EQ(client->Command("MODE Z").Code, 200);
  const std::string sent = Retrieve(*client, "/multi.bin");
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(sent[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(sent[1]), 0xDA);  // level 7
  EXPECT_EQ(Inflate(sent), Engine->Tree.ReadFile("multi.bin"));
  client->Command("REST 100");
  EXPECT_EQ(Inflate(Retrieve(*client, "/250.bin")), Pattern(250).substr(100));

  const std::string upload = Pattern(600000, 7);
  Store(*client, "STOR /z.bin", Deflate(upload));
  EXPECT_EQ(Engine->Tree.ReadFile("z.bin"), upload);

  // A stream cut short fails the transfer; what was inflated stays.
  const std::string compressed = Deflate(upload, 1);
  TDataPort port(*client, true);
  ASSERT_EQ(client->Command("STOR /cut.bin").Code, 150);
  const std::string half = compressed.substr(0, compressed.size() / 2);
  port.Open().SendAll(half.data(), half.size());
  port.Close();
  EXPECT_EQ(client->ReadReply().Lines[0], "426 Data connection closed abnormally.");
  const std::string kept = Engine->Tree.ReadFile("cut.bin");
  EXPECT_GT(kept.size(), 0u);
  EXPECT_EQ(kept, upload.substr(0, kept.size()));

  ASSERT_EQ(client->Command("MODE S").Code, 200);
  EXPECT_EQ(Retrieve(*client, "/250.bin"), Pattern(250));
}

size_t OpenDescriptors() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

TEST_F(TransferEngine, NoDescriptorOutlivesItsTransfer) {
  { auto warm = Engine->LoggedIn(); Retrieve(*warm, "/250.bin"); }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const size_t before = OpenDescriptors();
  for (int round = 0; round < 5; ++round) {
    auto client = Engine->LoggedIn();
    Retrieve(*client, "/250.bin", round % 2 == 0);
    Store(*client, "STOR /fd.bin", "x", round % 2 == 1);
    { TDataPort unused(*client, true); }
    client->Command("PASV");
    EXPECT_EQ(client->Command("RETR /nothing").Code, 550);  // channel dropped with the refusal
    client->Command("PASV");
    client->Command("PORT 127,0,0,1,4,0");
    {
      platform::TSocket data = OpenPassive(*client);
      client->Command("RETR /long.bin");
      ReadSome(data, 4096);
    }
    client->ReadReply();
    client->Command("QUIT");
  }
  // Session threads finish on their own after QUIT; give them a moment.
  size_t after = OpenDescriptors();
  for (int wait = 0; wait < 50 && after != before; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    after = OpenDescriptors();
  }
  EXPECT_EQ(after, before);
}

// Engines of their own: a shortened passive wait, and a stop in the middle of transfers.
TEST(TransferLimits, PassiveClientThatNeverConnectsEndsTheSession) {
  TTransferEngine engine;
  engine.Tree.WriteFile("f", "x");
  EXPECT_EQ(engine.Server().PASVAcceptTimeoutMs, 60000);
  engine.Server().PASVAcceptTimeoutMs = 300;
  engine.Start();
  auto client = engine.LoggedIn();
  ASSERT_EQ(client->Command("PASV").Code, 227);
  ASSERT_EQ(client->Command("RETR /f").Code, 150);
  EXPECT_EQ(client->ReadReply().Lines[0], "426 Data connection closed abnormally.");
  EXPECT_TRUE(client->ClosedByServer());
}

TEST(TransferLimits, EngineStopEndsWaitingAndBlockedTransfers) {
  TTransferEngine engine;
  engine.Tree.WriteFile("long.bin", Pattern(LongFileSize, 8));
  engine.Tree.WriteFile("other.bin", Pattern(LongFileSize, 9));  // files are held exclusively
  engine.Start();
  auto waiting = engine.LoggedIn();
  ASSERT_EQ(waiting->Command("PASV").Code, 227);
  ASSERT_EQ(waiting->Command("RETR /long.bin").Code, 150);  // nobody connects
  auto blocked = engine.LoggedIn();
  platform::TSocket data = OpenPassive(*blocked);
  ASSERT_EQ(blocked->Command("RETR /other.bin").Code, 150);  // nobody reads
  ReadSome(data, 1024);
  engine.Server().SetActive(false);  // returns only when both session threads have ended
  EXPECT_TRUE(waiting->ClosedByServer());
  EXPECT_TRUE(blocked->ClosedByServer());
}

}  // namespace
}  // namespace kobix::test
