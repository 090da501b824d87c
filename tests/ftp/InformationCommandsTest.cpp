// The informational commands, OPTS with its sub-commands, SITE with its own, and the checksum
// refusals, over a real loopback connection. Each case is a short dialogue on a fresh connection.

#include "EngineFixture.h"
#include "ftp/commands/InformationCommands.h"
#include "ftp/server/Command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>

namespace kobix::test {
namespace {

struct TStep {
  std::string Sent;
  std::vector<std::string> Reply;  // every line of the reply, without CR LF
};

struct TDialogueCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TDialogueCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  bool LogIn;
  std::vector<TStep> Steps;
};

// The engine reports the session's text encoding, NLST flag and MODE Z level through its STAT
// event, with leading blanks the status form must remove.
std::vector<std::string> Status(const std::string& AEncoding, const std::string& ANlst, int ALevel) {
  return {"211-System status", "211-    session encoding=" + AEncoding + " nlst=" + ANlst + " level=" + std::to_string(ALevel),
          "211 End of Status"};
}

std::vector<std::string> ModeZReport(int ALevel) {
  return {"200-MODE Z ENGINE set to ZLIB.", "200-MODE Z LEVEL set to " + std::to_string(ALevel) + ".", "200 MODE Z METHOD set to 8."};
}

std::vector<std::string> Features(const std::string& AMLSTLine) {
  return {"211-Extensions supported:",
          " EPRT",
          " EPSV",
          " LIST -laT",
          " MDTM",
          " MDTM YYYYMMDDHHMMSS filename",
          " MFCT",
          " MFF Create;Modify;",
          " MFMT",
          " MLSD",
          " " + AMLSTLine,
          " MODE Z",
          " OPTS MLST;MODE;UTF8",
          " REST STREAM",
          " SITE ZONE;UTIME",
          " SIZE",
          " SPSV",
          " STAT -laT",
          " TVFS",
          " UTF8",
          " RFC 959 2389 2577 3659",
          "211 End of extentions."};
}

class InformationDialogueTest : public testing::TestWithParam<TDialogueCase> {
 protected:
  static void SetUpTestSuite() {
    Engine = new TEngineFixture;
    Engine->Server().OnStat = [](ftp::TIdFTPServerContext& AContext, std::vector<std::string>& AInfo) {
      const bool utf8 = AContext.Connection().Encoding() == ftp::TIdTextEncoding::encUTF8;
      AInfo.push_back(" \t  session encoding=" + std::string(utf8 ? "UTF-8" : "Latin-1") + " nlst=" + (AContext.FNLSTUtf8 ? "on" : "off") +
                      " level=" + std::to_string(AContext.FZLibCompressionLevel));
    };
    Engine->Start();
  }
  static void TearDownTestSuite() { delete Engine; }
  static TEngineFixture* Engine;
};

TEngineFixture* InformationDialogueTest::Engine = nullptr;

TEST_P(InformationDialogueTest, AnswersEveryStep) {
  auto client = GetParam().LogIn ? Engine->LoggedIn() : Engine->Connect();
  for (const auto& step : GetParam().Steps) EXPECT_EQ(client->Command(step.Sent).Lines, step.Reply) << step.Sent;
  // Nothing more was sent: the next reply is the next command's.
  EXPECT_EQ(client->Command("NOOP").Lines, std::vector<std::string>{"200 NOOP Command successful."});
}

const std::vector<std::string> NotLoggedIn = {"530 Not logged in."};
const std::vector<std::string> NotRecognised = {"501 Option not recognized."};
const std::vector<std::string> Ok = {"200 Ok"};

INSTANTIATE_TEST_SUITE_P(
    Feat, InformationDialogueTest,
    testing::Values(
        TDialogueCase{"BeforeLoginAllStars", false, {{"FEAT", Features("MLST size*;Type*;Modify*;")}}},
        TDialogueCase{"ParametersIgnored", true, {{"feat anything at all", Features("MLST size*;Type*;Modify*;")}}},
        TDialogueCase{"AfterTypeOnly", false, {{"OPTS MLST type;;", {"200 MLST OPTS type;"}}, {"FEAT", Features("MLST size;Type*;Modify;")}}},
        TDialogueCase{"AfterNothingSelected", false, {{"OPTS MLST", {"200 MLST OPTS"}}, {"FEAT", Features("MLST size;Type;Modify;")}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    OptsMLST, InformationDialogueTest,
    testing::Values(
        TDialogueCase{"EchoInFactOrder",
                      false,
                      {{"OPTS MLST modify;SIZE;bogus;;", {"200 MLST OPTS size;modify;"}}, {"FEAT", Features("MLST size*;Type;Modify*;")}}},
        TDialogueCase{"TypeSizeEchoedSizeFirst", false, {{"opts mlst type;size;", {"200 MLST OPTS size;type;"}}}},
        TDialogueCase{"UnservedFactsSelectNothing", false, {{"OPTS MLST perm;UNIX.mode;unique;win32.ea;", {"200 MLST OPTS"}}}},
        TDialogueCase{"NoSemicolonStillAFact", false, {{"OPTS MLST Modify", {"200 MLST OPTS modify;"}}}},
        TDialogueCase{"SpaceRefusedSelectionKept",
                      false,
                      {{"OPTS MLST type;", {"200 MLST OPTS type;"}},
                       {"OPTS MLST size; modify;", {"501 Invalid MLST options"}},
                       {"OPTS MLST  size;", {"501 Invalid MLST options"}},
                       {"OPTS MLST size;modify; ", {"501 Invalid MLST options"}},
                       {"FEAT", Features("MLST size;Type*;Modify;")}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    OptsUTF8, InformationDialogueTest,
    testing::Values(
        TDialogueCase{"NewSessionIsLatin1", true, {{"STAT", Status("Latin-1", "off", 7)}}},
        TDialogueCase{"OnLowerCase", true, {{"OPTS UTF8 on", Ok}, {"STAT", Status("UTF-8", "on", 7)}}},
        TDialogueCase{"OnWithBlanks", true, {{"opts utf8   ON  ", Ok}, {"STAT", Status("UTF-8", "on", 7)}}},
        TDialogueCase{"OffReturnsToLatin1", true, {{"OPTS UTF8 ON", Ok}, {"OPTS UTF8 off", Ok}, {"STAT", Status("Latin-1", "off", 7)}}},
        TDialogueCase{"MaybeRefused", true, {{"OPTS UTF8 MAYBE", {"501 Invalid MAYBE options"}}, {"STAT", Status("Latin-1", "off", 7)}}},
        TDialogueCase{"EmptyRefusedTwoSpaces", false, {{"OPTS UTF8", {"501 Invalid  options"}}, {"OPTS UTF8 ", {"501 Invalid  options"}}}},
        TDialogueCase{"BeforeLoginAccepted", false, {{"OPTS UTF8 ON", Ok}}},
        TDialogueCase{"DashEmptyIsUTF8WithoutNLST", true, {{"OPTS UTF8 ON", Ok}, {"OPTS UTF-8", Ok}, {"STAT", Status("UTF-8", "off", 7)}}},
        TDialogueCase{"DashNLST", true, {{"OPTS UTF-8 nlst", Ok}, {"STAT", Status("UTF-8", "on", 7)}}},
        TDialogueCase{"DashOtherRefused", true, {{"OPTS UTF-8 x", {"501 Invalid x options"}}, {"OPTS UTF-8 ON", {"501 Invalid ON options"}}}},
        TDialogueCase{"DashedWordsAreNotSwapped", true, {{"OPTS UTF8 NLST", {"501 Invalid NLST options"}}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    Opts, InformationDialogueTest,
    testing::Values(TDialogueCase{"Alone", false, {{"OPTS", NotRecognised}, {"OPTS ", NotRecognised}}},
                    TDialogueCase{"UnknownWord", false, {{"OPTS FOO", NotRecognised}, {"OPTS MLSTX a;", NotRecognised}}},
                    TDialogueCase{"LeadingBlank", false, {{"OPTS  UTF8 ON", NotRecognised}}},
                    TDialogueCase{"TabIsNoDelimiter", false, {{"OPTS UTF8\tON", NotRecognised}}},
                    TDialogueCase{"ModeWithoutZ", false, {{"OPTS MODE", NotRecognised}, {"OPTS MODE  Z", NotRecognised}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    OptsModeZ, InformationDialogueTest,
    testing::Values(
        TDialogueCase{"EmptyReportsDefault", false, {{"OPTS MODE Z", ModeZReport(7)}}},
        TDialogueCase{"Level5", true, {{"OPTS MODE Z LEVEL 5", ModeZReport(5)}, {"STAT", Status("Latin-1", "off", 5)}}},
        TDialogueCase{"Level0", false, {{"opts mode z level 0", ModeZReport(0)}}},
        TDialogueCase{"EngineResetsLevel", false, {{"OPTS MODE Z LEVEL 3", ModeZReport(3)}, {"OPTS MODE Z ENGINE ZLIB", ModeZReport(7)}}},
        TDialogueCase{"EmptyResetsLevel", false, {{"OPTS MODE Z LEVEL 2", ModeZReport(2)}, {"OPTS MODE Z", ModeZReport(7)}}},
        TDialogueCase{"Level9RefusedLevelKept",
                      true,
                      {{"OPTS MODE Z LEVEL 4", ModeZReport(4)},
                       {"OPTS MODE Z LEVEL 9", {"501 Invalid Z LEVEL 9 options"}},
                       {"OPTS MODE Z LEVEL 8", {"501 Invalid Z LEVEL 8 options"}},
                       {"STAT", Status("Latin-1", "off", 4)}}},
        TDialogueCase{"LevelWithoutValue", false, {{"OPTS MODE Z LEVEL", {"501 Invalid Z LEVEL options"}}}},
        TDialogueCase{"UnknownSingleOption", false, {{"OPTS MODE Z SPEED 1", {"501 Invalid Z SPEED 1 options"}}}},
        TDialogueCase{"RefusalKeepsReceivedCase", false, {{"OPTS mode z level x", {"501 Invalid z level x options"}}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    Help, InformationDialogueTest,
    testing::Values(
        TDialogueCase{"OneCommand", false, {{"HELP CWD", {"214 Syntax: CWD [ <sp> directory-name ]"}}}},
        TDialogueCase{"FirstParameterOnly", false, {{"help cwd pwd", {"214 Syntax: CWD [ <sp> directory-name ]"}}}},
        TDialogueCase{"UnimplementedIsListed", false, {{"HELP acct", {"214 ACCT        (specify account); unimplemented."}}}},
        TDialogueCase{"NotOffered", false, {{"HELP XSHA1", {"502 Unknown command XSHA1."}}, {"HELP md5", {"502 Unknown command MD5."}}}},
        TDialogueCase{"NotOfferedUpperCased", false, {{"HELP auth", {"502 Unknown command AUTH."}}}},
        TDialogueCase{"HiddenEntry", false, {{"HELP p@sw", {"502 Unknown command P@SW."}}}},
        TDialogueCase{"SiteWordsAreNotMain", false, {{"HELP ZONE", {"502 Unknown command ZONE."}}}},
        TDialogueCase{"LongWord", false, {{"HELP " + std::string(3000, 'q'), {"502 Unknown command " + std::string(3000, 'Q') + "."}}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

const std::vector<std::string> SiteHelp = {"214-The following SITE commands are supported:", "214     ZONE      "};
const std::vector<std::string> InvalidSite = {"500 Invalid SITE command."};

INSTANTIATE_TEST_SUITE_P(
    Site, InformationDialogueTest,
    testing::Values(TDialogueCase{"HelpBeforeLogin", false, {{"SITE HELP", NotLoggedIn}}},
                    TDialogueCase{"HelpAfterLogin", true, {{"SITE HELP", SiteHelp}, {"site help zone", SiteHelp}}},
                    TDialogueCase{"DirstyleBeforeLogin", false, {{"SITE DIRSTYLE", InvalidSite}, {"SITE DIRSTYLE on", InvalidSite}}},
                    TDialogueCase{"DirstyleAfterLogin", true, {{"site dirstyle", InvalidSite}}},
                    TDialogueCase{"Alone", false, {{"SITE", {"500 'SITE ': command not understood."}}}},
                    TDialogueCase{"UnknownSubCommand", false, {{"site foo Bar", {"500 'SITE foo Bar': command not understood."}}}},
                    TDialogueCase{"TrailingTab", false, {{"SITE ZONE\t", {"500 'SITE ZONE\t': command not understood."}}}},
                    TDialogueCase{"TabAfterSite", false, {{"SITE\tZONE", {"500 'SITE\tZONE': command not understood."}}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    Session, InformationDialogueTest,
    testing::Values(TDialogueCase{"SystBeforeLogin", false, {{"SYST", NotLoggedIn}}},
                    TDialogueCase{"Syst", true, {{"syst", {"215 UNIX Type: L8"}}}},
                    TDialogueCase{"StatBeforeLogin", false, {{"STAT", NotLoggedIn}, {"STAT /", NotLoggedIn}}},
                    TDialogueCase{"StatBlanksOnlyIsStatus", true, {{"STAT   ", Status("Latin-1", "off", 7)}}},
                    TDialogueCase{"ClntBeforeLogin", false, {{"CLNT curl/8.0 (x86_64)", {"200 Noted."}}, {"CLNT", {"200 Noted."}}}},
                    TDialogueCase{"ClntAfterLogin", true, {{"clnt lftp", {"200 Noted."}}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    Checksum, InformationDialogueTest,
    testing::Values(
        TDialogueCase{"XcrcBeforeLogin", false, {{"xcrc \"a b.txt\" 0 10", {"500 'XCRC \"a b.txt\" 0 10': command not understood."}}}},
        TDialogueCase{"XcrcAfterLogin", true, {{"XCRC \"a.txt\"", {"500 'XCRC \"a.txt\"': command not understood."}}}},
        TDialogueCase{"Xmd5AndXsha1", false, {{"xmd5 f", {"500 'XMD5 f': command not understood."}}, {"XSHA1", {"500 'XSHA1': command not understood."}}}},
        TDialogueCase{"Md5BeforeLogin", false, {{"MD5 file", NotLoggedIn}, {"MMD5 a, b", NotLoggedIn}}},
        TDialogueCase{"Md5AfterLogin", true, {{"md5 file", {"500 'MD5 file': command not understood."}}, {"MMD5 a, b", {"500 'MMD5 a, b': command not understood."}}}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(HelpListTest, WholeReplyOnTheWire) {
  TEngineFixture engine;
  engine.Start();
  auto client = engine.Connect();
  const std::string expected =
      "214-The following commands are recognized (* => unimplemented, + => extension).\r\n"
      "214-    ABOR      EPSV      MKD       MSOM*     REIN      SPSV      XCWD      \r\n"
      "214-    ACCT*     FEAT      MLFL*     NLST      REST      STAT      XMKD      \r\n"
      "214-    ALLO      HELP      MLSD      NOOP      RETR      STOR      XPWD      \r\n"
      "214-    APPE      LIST      MLST      OPTS      RMD       STOU      XRMD      \r\n"
      "214-    CDUP      MAIL*     MODE      PASS      RNFR      STRU      \r\n"
      "214-    CLNT      MDTM      MRCP*     PASV      RNTO      SYST      \r\n"
      "214-    CWD       MFCT      MRSQ*     PORT      SITE      TYPE      \r\n"
      "214-    DELE      MFF       MSAM*     PWD       SIZE      USER      \r\n"
      "214-    EPRT      MFMT      MSND*     QUIT      SMNT*     XCUP      \r\n"
      "214 \r\n";
  client->SendLine("HELP");
  EXPECT_EQ(client->ReadBytes(expected.size()), expected);
  EXPECT_TRUE(client->Silent(100));
  // Blanks alone are no parameter.
  client->SendLine("help   ");
  EXPECT_EQ(client->ReadBytes(expected.size()), expected);
}

TEST(StatStatusTest, TwoLinesWithoutStatusEvent) {
  TEngineFixture engine;
  engine.Start();
  auto client = engine.LoggedIn();
  EXPECT_EQ(client->Command("STAT").Lines, (std::vector<std::string>{"211-System status", "211 End of Status"}));
}

// A STAT read while a transfer runs is matched in the data-channel table; even with a path it
// reports the status and lists nothing. The greeting event runs that entry on a live session.
TEST(StatStatusTest, DataChannelEntryAlwaysReportsStatus) {
  TEngineFixture engine;
  engine.Server().OnGreeting = [&engine](ftp::TIdFTPServerContext& AContext, ftp::TIdReply&) {
    const ftp::TIdCommandHandler* entry = engine.Server().DataChannelCommands().FindByName("STAT");
    ASSERT_NE(entry, nullptr);
    AContext.FAuthenticated = true;
    ftp::DoCommand(AContext, *entry, "STAT /some/path", "/some/path");
    AContext.FAuthenticated = false;
  };
  engine.Start();
  TFtpTestClient client(engine.Port());
  EXPECT_EQ(client.ReadReply().Lines, (std::vector<std::string>{"211-System status", "211 End of Status"}));
  EXPECT_EQ(client.ReadReply().Code, 220);
}

class SiteZoneTest : public testing::TestWithParam<std::pair<const char*, const char*>> {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) FSavedTZ = tz;
    setenv("TZ", GetParam().first, 1);
    tzset();
  }
  void TearDown() override {
    if (FSavedTZ)
      setenv("TZ", FSavedTZ->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  std::optional<std::string> FSavedTZ;
};

TEST_P(SiteZoneTest, AnswersOffsetInMinutesBeforeLogin) {
  TEngineFixture engine;
  engine.Start();
  auto client = engine.Connect();
  EXPECT_EQ(client->Command("SITE ZONE").Lines, std::vector<std::string>{GetParam().second});
  EXPECT_EQ(client->Command("site zone ignored words").Lines, std::vector<std::string>{GetParam().second});
}

// POSIX zone strings count west as positive: "XXX5" is five hours behind UTC.
INSTANTIATE_TEST_SUITE_P(Zones, SiteZoneTest,
                         testing::Values(std::pair{"UTC0", "210 UTC+0"}, std::pair{"KST-9", "210 UTC+540"}, std::pair{"EST5", "210 UTC-300"},
                                         std::pair{"IST-5:30", "210 UTC+330"}, std::pair{"NST3:30", "210 UTC-210"}));

// Junk after every prefix these commands parse; each line gets one reply and the session goes on.
TEST(InformationHostileInputTest, JunkLinesAreAnsweredAndSessionContinues) {
  TEngineFixture engine;
  engine.Start();
  auto client = engine.LoggedIn();
  const std::vector<std::string> prefixes = {"OPTS ", "OPTS MLST ", "OPTS MLST", "OPTS MODE Z ", "OPTS UTF8 ", "OPTS UTF-8 ", "OPTS  ",
                                             "HELP ", "SITE ",      "SITE HELP ", "SITE ZONE ",   "SITE DIRSTYLE ", "SYST ",
                                             "FEAT ", "XCRC ",      "MD5 ",       "CLNT ",       "SITE"};
  constexpr char Alphabet[] = " ;;;==  \t\t\x01\x7f\x80\xc3\xa9\xfe sizetypemodifyLEVEL5ENGINEZLIBONOFFNLSTZONEHELP0123456789";
  std::mt19937 random(20261211);
  for (int i = 0; i < 400; ++i) {
    std::string line = prefixes[random() % prefixes.size()];
    const size_t length = random() % 5 == 0 ? 2000 : random() % 40;
    for (size_t k = 0; k < length; ++k) line += Alphabet[random() % (sizeof Alphabet - 1)];
    client->SendLine(line);
    const TReply reply = client->ReadReply();
    ASSERT_GE(reply.Code, 200) << line;
    ASSERT_LT(reply.Code, 600) << line;
  }
  EXPECT_EQ(client->Command("NOOP").Code, 200);
  EXPECT_EQ(client->Command("SYST").Lines, std::vector<std::string>{"215 UNIX Type: L8"});
}

struct TColumnsCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TColumnsCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  std::vector<std::string> Names;
  std::string Text;
};

class HelpColumnsTest : public testing::TestWithParam<TColumnsCase> {};

TEST_P(HelpColumnsTest, LaysOutColumnByColumn) { EXPECT_EQ(ftp::HelpColumns(GetParam().Names), GetParam().Text); }

INSTANTIATE_TEST_SUITE_P(
    Layouts, HelpColumnsTest,
    testing::Values(
        TColumnsCase{"OneName", {"ZONE"}, "    ZONE      \r"},
        TColumnsCase{"FiveNamesOneRow", {"a", "b", "c", "d", "e"}, "    a         b         c         d         e         \r"},
        TColumnsCase{"SixNamesOneRow", {"a", "b", "c", "d", "e", "f"}, "    a         b         c         d         e         f         \r"},
        TColumnsCase{"SevenNamesSeventhColumn",
                     {"a", "b", "c", "d", "e", "f", "g"},
                     "    a         b         c         d         e         f         g         \r"},
        TColumnsCase{"ThirteenNames",
                     {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m"},
                     "    a         c         e         g         i         k         m         \r"
                     "    b         d         f         h         j         l         \r"},
        TColumnsCase{"LongNameNotCut", {"ABCDEFGHIJKL", "B"}, "    ABCDEFGHIJKLB         \r"}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
}  // namespace kobix::test
