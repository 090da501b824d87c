// Command dispatch over a real loopback connection: matching, unknown commands, Telnet sequences,
// the table's fixed replies and the line bound.

#include "EngineFixture.h"

#include <gtest/gtest.h>

namespace kobix::test {
namespace {

struct TLineCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TLineCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  std::string Sent;  // raw bytes, CR LF included
  std::string Reply; // the whole first reply line
};

class DispatchTest : public testing::TestWithParam<TLineCase> {
 protected:
  static void SetUpTestSuite() {
    Engine = new TEngineFixture;
    Engine->Start();
  }
  static void TearDownTestSuite() { delete Engine; }
  static TEngineFixture* Engine;
};

TEngineFixture* DispatchTest::Engine = nullptr;

TEST_P(DispatchTest, AnswersTheLine) {
  auto client = Engine->Connect();
  client->SendRaw(GetParam().Sent);
  EXPECT_EQ(client->ReadLine(), GetParam().Reply);
}

const std::string IAC = "\xff";

INSTANTIATE_TEST_SUITE_P(
    Table, DispatchTest,
    testing::Values(
        TLineCase{"NoopLowerCase", "noop\r\n", "200 NOOP Command successful."},
        TLineCase{"NoopTrailingSpace", "NOOP \r\n", "200 NOOP Command successful."},
        TLineCase{"UnknownWithParameter", "foo bar\r\n", "500 'FOO bar': command not understood."},
        TLineCase{"UnknownAlone", "foo\r\n", "500 'FOO': command not understood."},
        TLineCase{"LeadingBlankUpperCasesAll", " foo bar\r\n", "500 ' FOO BAR': command not understood."},
        TLineCase{"TabDoesNotDelimit", "USER\tname\r\n", "500 'USER\tname': command not understood."},
        TLineCase{"BareLFIsPartOfTheLine", "NOOP\nNOOP\r\n", "500 'NOOP\nNOOP': command not understood."},
        TLineCase{"EmptyLineGetsNoAnswer", "\r\nNOOP\r\n", "200 NOOP Command successful."},
        TLineCase{"InterruptThenAbort", "xx" + IAC + "\xf4" + IAC + "\xf2" + "ABOR\r\n", "530 Not logged in."},
        TLineCase{"DoubledIACIsOneCharacter", "A" + IAC + IAC + "\r\n", "500 'A\xff': command not understood."},
        TLineCase{"AcctIsUnimplemented", "ACCT x\r\n", "502 \"ACCT\" Command not implemented."},
        TLineCase{"MailIsUnimplemented", "MRCP\r\n", "502 \"MRCP\" Command not implemented."},
        TLineCase{"AuthIsNotUnderstood", "auth TLS\r\n", "500 'AUTH TLS': command not understood."},
        TLineCase{"HostIsNotUnderstood", "host example\r\n", "500 'HOST example': command not understood."},
        TLineCase{"ProtIsNotImplemented", "PROT P\r\n", "550 \"PROT\" Command not implemented."},
        TLineCase{"GuardedBeforeLogin", "CWD /\r\n", "530 Not logged in."},
        TLineCase{"ReinBeforeLogin", "REIN\r\n", "530 Not logged in."},
        TLineCase{"PassBeforeUser", "PASS x\r\n", "503 Login with USER first."},
        TLineCase{"ClntBeforeLogin", "CLNT curl\r\n", "200 Noted."}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(DispatchOptionTest, TelnetOptionsAreRefusedWithoutALine) {
  TEngineFixture engine;
  engine.Start();
  auto client = engine.Connect();
  client->SendRaw("\xff\xfb\x01");
  EXPECT_EQ(client->ReadBytes(3), "\xff\xfe\x01");
  client->SendRaw("\xff\xfd\x01");
  EXPECT_EQ(client->ReadBytes(3), "\xff\xfc\x01");
  EXPECT_EQ(client->Command("NOOP").Code, 200);
}

TEST(GreetingTest, EmptyGreetingIsCompletedWithOk) {
  TEngineFixture engine;
  engine.Start();
  TFtpTestClient client(engine.Port());
  EXPECT_EQ(client.ReadReply().Lines, std::vector<std::string>{"220 Ok"});
}

TEST(GreetingTest, GreetingEventGivesMultiLineReply) {
  TEngineFixture engine;
  engine.Server().OnGreeting = [](ftp::TIdFTPServerContext&, ftp::TIdReply& AReply) { AReply.SetText("Hello\nWorld"); };
  engine.Start();
  TFtpTestClient client(engine.Port());
  EXPECT_EQ(client.ReadReply().Lines, (std::vector<std::string>{"220-Hello", "220 World"}));
}

TEST(LineBoundTest, LongLinesAreServedOverlongOnesEndTheSession) {
  TEngineFixture engine;
  engine.Start();
  auto other = engine.Connect();
  auto client = engine.Connect();
  EXPECT_EQ(client->Command("NOOP " + std::string(8192, 'x')).Code, 200);
  client->SendRaw(std::string(ftp::MaxCommandLineLength + 100, 'y'));
  const auto reply = client->ReadReply();
  EXPECT_EQ(reply.Code, 500);
  EXPECT_NE(reply.Text().find("too long"), std::string::npos);
  EXPECT_TRUE(client->ClosedByServer());
  EXPECT_EQ(other->Command("NOOP").Code, 200);
}

TEST(QuitTest, QuitAnswersAndCloses) {
  TEngineFixture engine;
  engine.Start();
  auto client = engine.Connect();
  EXPECT_EQ(client->Command("QUIT").Lines, std::vector<std::string>{"221 Goodbye."});
  EXPECT_TRUE(client->ClosedByServer());
}

}  // namespace
}  // namespace kobix::test
