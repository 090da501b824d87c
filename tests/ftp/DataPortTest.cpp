// Arranging data connections: PORT, EPRT, PASV, EPSV, SPSV and their refusals, over a live session.

#include "TransferFixture.h"

#include "platform/Socket.h"

#include <gtest/gtest.h>

namespace kobix::test {
namespace {

class DataPortEngine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Engine = new TTransferEngine;
    Engine->Tree.WriteFile("f.txt", "file body");
    Engine->Start();
  }
  static void TearDownTestSuite() { delete Engine; }
  static TTransferEngine* Engine;
};

TTransferEngine* DataPortEngine::Engine = nullptr;

struct TPortCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TPortCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  std::string Line;
  std::string Reply;  // the whole reply line
};

class DataPortReplies : public DataPortEngine, public ::testing::WithParamInterface<TPortCase> {};

TEST_P(DataPortReplies, AnswersExactly) {
  auto client = Engine->LoggedIn();
  client->SendLine(GetParam().Line);
  EXPECT_EQ(client->ReadLine(), GetParam().Reply);
}

const std::string IPv6Mismatch = platform::IPv6Supported() ? "522 Network protocol mismatch, use (1)" : "522 Network protocol not supported, use (1)";
const std::string EPSVNotNumber = platform::IPv6Supported() ? "522 Network protocol not supported, use (1,2)" : "522 Network protocol not supported, use (1)";

INSTANTIATE_TEST_SUITE_P(
    Table, DataPortReplies,
    ::testing::Values(
        TPortCase{"PortReservedTop", "PORT 127,0,0,1,4,0", "504 PORT/EPRT Command disabled for reserved port range (1-1024)."},
        TPortCase{"PortFirstFree", "PORT 127,0,0,1,4,1", "200 PORT Command successful."},
        TPortCase{"PortFieldsTrimmed", "PORT 127,0,0,1, 4 , 1 ", "200 PORT Command successful."},
        TPortCase{"PortAddressComparedAsText", "PORT 127,000,0,1,20,0", "504 Data port can only be used by the same IP address used by the control connection."},
        TPortCase{"PortOtherHost", "PORT 10,0,0,1,20,0", "504 Data port can only be used by the same IP address used by the control connection."},
        TPortCase{"PortAbove65535", "PORT 127,0,0,1,256,0", "501 Error in parameters to PORT"},
        TPortCase{"PortFarAbove65535", "PORT 127,0,0,1,1000,1000", "501 Error in parameters to PORT"},
        TPortCase{"PortNotANumber", "PORT 127,0,0,1,x,1", "500 'x' is not a valid integer value"},
        TPortCase{"PortMissingFields", "PORT 127,0,0,1", "500 '' is not a valid integer value"},
        TPortCase{"EprtAccepted", "EPRT |1|127.0.0.1|5000|", "200 EPRT Command successful."},
        TPortCase{"EprtOtherDelimiter", "EPRT !1!127.0.0.1!5000!", "200 EPRT Command successful."},
        TPortCase{"EprtIPv6OnIPv4", "EPRT |2|::1|5000|", IPv6Mismatch},
        TPortCase{"EprtUnknownProtocol", "EPRT |3|x|5000|", "522 Network protocol mismatch, use (1)"},
        TPortCase{"EprtPortZero", "EPRT |1|127.0.0.1|0|", "500 Invalid port number"},
        TPortCase{"EprtPortNotANumber", "EPRT |1|127.0.0.1|x|", "500 Invalid port number"},
        TPortCase{"EprtAbove65535", "EPRT |1|127.0.0.1|70000|", "501 Error in parameters to EPRT"},
        TPortCase{"EprtReserved", "EPRT |1|127.0.0.1|1024|", "504 PORT/EPRT Command disabled for reserved port range (1-1024)."},
        TPortCase{"EprtNoAddress", "EPRT |1||5000|", "500 Invalid IP Address"},
        TPortCase{"EprtOtherHost", "EPRT |1|10.0.0.1|5000|", "504 Data port can only be used by the same IP address used by the control connection."},
        TPortCase{"EprtNoParameter", "EPRT", "501 Invalid number of arguments EPRT"},
        TPortCase{"EpsvUnknownProtocol", "EPSV 3", "522 Protocol not supported, use (1)"},
        TPortCase{"EpsvNotANumber", "EPSV x", EPSVNotNumber},
        TPortCase{"EpsvIPv6OnIPv4", "EPSV 2", IPv6Mismatch},
        TPortCase{"EpsvAll", "EPSV ALL", "200  EPSV ALL sent, now only accepting EPSV connections"},
        TPortCase{"EpsvAllLowerCase", "epsv all", "200  EPSV ALL sent, now only accepting EPSV connections"},
        TPortCase{"SscnWithoutTLS", "SSCN ON", "550 \"SSCN\" Command not implemented."},
        TPortCase{"CpsvWithoutTLS", "CPSV", "500 'CPSV': command not understood."},
        TPortCase{"RetrWithoutDataPort", "RETR /f.txt", "425 Can't open data connection."},
        TPortCase{"StorWithoutDataPort", "STOR /g.txt", "425 Can't open data connection."}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(DataPortEngine, PassiveRepliesAnnounceTheListener) {
  auto client = Engine->LoggedIn();
  const TReply pasv = client->Command("PASV");
  EXPECT_TRUE(std::regex_match(pasv.Lines[0], std::regex(R"(227 Entering Passive Mode \(127,0,0,1,\d+,\d+\)\.)"))) << pasv.Lines[0];
  const TReply epsv = client->Command("EPSV");
  EXPECT_TRUE(std::regex_match(epsv.Lines[0], std::regex(R"(229 Entering Extended Passive Mode \(\|\|\|\d+\|\))"))) << epsv.Lines[0];
  const TReply spsv = client->Command("SPSV");
  EXPECT_TRUE(std::regex_match(spsv.Lines[0], std::regex(R"(227 \d+)"))) << spsv.Lines[0];
  EXPECT_EQ(client->Command("EPSV 1").Code, 229);
  // The announced port is the one that serves the transfer.
  platform::TSocket data = ConnectData(static_cast<uint16_t>(std::stoi(spsv.Text())));
  EXPECT_EQ(client->Command("SPSV").Code, 227);  // and a new setup replaces it
}

TEST_F(DataPortEngine, EveryOtherSetupIsRefusedAfterEpsvAll) {
  auto client = Engine->LoggedIn();
  ASSERT_EQ(client->Command("EPSV ALL").Code, 200);
  for (const std::string line : {"PASV", "P@SW", "SPSV", "PORT 127,0,0,1,4,1", "EPRT |1|127.0.0.1|5000|"}) {
    const std::string word = line.substr(0, line.find(' '));
    EXPECT_EQ(client->Command(line).Lines[0], "501 " + word + " not allowed after EPSV ALL");
  }
  const TReply epsv = client->Command("EPSV");
  ASSERT_EQ(epsv.Code, 229);
  platform::TSocket data = ConnectData(AnnouncedPort(epsv));
  EXPECT_EQ(client->Command("RETR /f.txt").Code, 150);
  EXPECT_EQ(ReadAll(data), "file body");
  EXPECT_EQ(client->ReadReply().Lines[0], "226 Closing data connection.");
}

TEST_F(DataPortEngine, SecondPasvClosesTheFirstListener) {
  auto client = Engine->LoggedIn();
  const TReply first = client->Command("PASV");
  platform::TSocket waiting = ConnectData(AnnouncedPort(first));  // sits in the first listener's queue
  const TReply second = client->Command("PASV");
  ASSERT_EQ(second.Code, 227);
  EXPECT_EQ(ReadAll(waiting), "");  // reset when its listener closed, never served
  platform::TSocket data = ConnectData(AnnouncedPort(second));
  EXPECT_EQ(client->Command("RETR /f.txt").Code, 150);
  EXPECT_EQ(ReadAll(data), "file body");
  EXPECT_EQ(client->ReadReply().Code, 226);
}

TEST_F(DataPortEngine, RefusedPortLeaves425UntilANewSetup) {
  auto client = Engine->LoggedIn();
  ASSERT_EQ(client->Command("PASV").Code, 227);
  ASSERT_EQ(client->Command("PORT 127,0,0,1,4,0").Code, 504);  // refusal also wins over an earlier setup
  EXPECT_EQ(client->Command("RETR /f.txt").Lines[0], "425 Can't open data connection.");
  platform::TSocket data = OpenPassive(*client);
  EXPECT_EQ(client->Command("RETR /f.txt").Code, 150);
  EXPECT_EQ(ReadAll(data), "file body");
  EXPECT_EQ(client->ReadReply().Code, 226);
}

TEST_F(DataPortEngine, SetupCommandsNeedALogin) {
  auto client = std::make_unique<TFtpTestClient>(Engine->Server().BoundPort());
  client->ReadReply();
  for (const char* line : {"PORT 127,0,0,1,4,1", "EPRT |1|127.0.0.1|5000|", "PASV", "EPSV", "SPSV", "RETR x", "ABOR"})
    EXPECT_EQ(client->Command(line).Lines[0], "530 Not logged in.") << line;
  EXPECT_EQ(client->Command("SSCN").Code, 550);
}

}  // namespace
}  // namespace kobix::test
