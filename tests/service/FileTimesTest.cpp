// Reading and setting file times through a real server: MDTM (both forms, with and without an
// offset), MFMT, MFCT, MFF and SITE UTIME, with the time read back from the file system. The
// server runs nine hours east of UTC so that every local-time conversion shows.

#include "FileServerFixture.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <optional>
#include <ostream>
#include <string>

namespace kobix::test {
namespace {

using platform::TDateTime;

// UTC+9 all year, no daylight saving: local 12:00 is 03:00 UTC.
constexpr const char* Seoul = "KST-9";

const TDateTime Before = UTC(2011, 11, 11, 11, 11, 11);  // every test file starts with this time

class FileTimesTest : public ::testing::Test {
 protected:
  FileTimesTest() {
    SetWriteTimeOnDisk(File(), Before);
    Client = Fixture.LoggedIn();
  }
  std::string File() const { return Fixture.Tree.Path("a/file.txt"); }
  TDateTime FileTime() const { return WriteTimeOnDisk(File()); }

  void ExpectReply(const std::string& ALine, int ACode, const std::string& AText) {
    const TReply reply = Client->Command(ALine);
    EXPECT_EQ(reply.Code, ACode) << ALine;
    EXPECT_EQ(reply.Text(), AText) << ALine;
  }

  TTimeZone Zone{Seoul};
  TFileServerFixture Fixture;
  std::unique_ptr<TFtpTestClient> Client;
};

TEST_F(FileTimesTest, MdtmReportsTheUTCTimeWithMillisecondsOnlyWhenThereAreAny) {
  ExpectReply("MDTM /A/file.txt", 213, "20111111111111");
  SetWriteTimeOnDisk(File(), UTC(2021, 3, 4, 5, 6, 7, 250));
  ExpectReply("MDTM /A/file.txt", 213, "20210304050607.250");
  ExpectReply("MDTM A/file.txt", 213, "20210304050607.250");
  ExpectReply("MDTM /A/missing.txt", 550, "Not found.");
  ExpectReply("MDTM /Nope/file.txt", 550, "Access denied.");
  ExpectReply("MDTM /", 550, "Not found.");
}

struct TMdtmSetCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TMdtmSetCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  std::string Line;  // sent in /A
  TDateTime Expected;
  std::string Echo;  // what MDTM reports afterwards
};

class MdtmSetTest : public FileTimesTest, public ::testing::WithParamInterface<TMdtmSetCase> {};

TEST_P(MdtmSetTest, SetsTheTime) {
  Fixture.EnterFolder(*Client, "/A");
  ExpectReply(GetParam().Line, 253, "Date/time changed okay.");
  EXPECT_EQ(FileTime(), GetParam().Expected);
  ExpectReply("MDTM file.txt", 213, GetParam().Echo);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MdtmSetTest,
    ::testing::Values(
        // Without an offset the time is the server's local time.
        TMdtmSetCase{"LocalTime", "MDTM 20200102120000 file.txt", UTC(2020, 1, 2, 3, 0, 0), "20200102030000"},
        TMdtmSetCase{"PlusMinutes", "MDTM 20200102030405+60 file.txt", UTC(2020, 1, 2, 4, 4, 5), "20200102040405"},
        TMdtmSetCase{"MinusMinutes", "MDTM 20200102030405-90 file.txt", UTC(2020, 1, 2, 1, 34, 5), "20200102013405"},
        TMdtmSetCase{"ZeroOffsetIsUTC", "MDTM 20200102030405+0 file.txt", UTC(2020, 1, 2, 3, 4, 5), "20200102030405"},
        TMdtmSetCase{"OffsetAcrossMidnight", "MDTM 20200101000000-1 file.txt", UTC(2019, 12, 31, 23, 59, 0), "20191231235900"},
        TMdtmSetCase{"AbsolutePath", "MDTM 20200102030405+0 /A/file.txt", UTC(2020, 1, 2, 3, 4, 5), "20200102030405"}),
    ::testing::PrintToStringParamName());

TEST_F(FileTimesTest, MdtmSetFormAtTheRootIsRefused) {
  // At the root the whole argument starts with "20200102030405 " as if it were an alias; the
  // server's existence check refuses that path, so nothing is set.
  const TReply reply = Client->Command("MDTM 20200102030405+0 /A/file.txt");
  EXPECT_EQ(reply.Code, 550);
  EXPECT_EQ(reply.Text(), "Access denied.");
  EXPECT_EQ(FileTime(), Before);
}

TEST_F(FileTimesTest, MdtmArgumentsThatStayQueries) {
  Fixture.EnterFolder(*Client, "/A");
  // A file named like a timestamp and a path: the whole argument names it, so it is reported.
  Fixture.Tree.WriteFile("a/20200102030405 x.txt", "x");
  SetWriteTimeOnDisk(Fixture.Tree.Path("a/20200102030405 x.txt"), UTC(2001, 2, 3, 4, 5, 6));
  ExpectReply("MDTM 20200102030405 x.txt", 213, "20010203040506");
  EXPECT_EQ(WriteTimeOnDisk(Fixture.Tree.Path("a/20200102030405 x.txt")), UTC(2001, 2, 3, 4, 5, 6));

  const TDateTime folderBefore = WriteTimeOnDisk(Fixture.Tree.Path("a"));
  const struct {
    const char* Line;
    const char* Why;
  } queries[] = {
      {"MDTM 20200102030405", "a timestamp with no path is a file name, not a change of the folder"},
      {"MDTM 20200102030405.5 file.txt", "a fraction makes it a file name"},
      {"MDTM 20201302030405 file.txt", "month 13 is no timestamp"},
      {"MDTM 2020010203040 file.txt", "13 digits"},
      {"MDTM 20200102030405+ file.txt", "an empty offset"},
      {"MDTM 20200102030405+1234567890 file.txt", "an offset of ten digits"},
      {"MDTM 2020010203040x file.txt", "a letter"},
  };
  for (const auto& q : queries) ExpectReply(q.Line, 550, "Not found.");
  EXPECT_EQ(FileTime(), Before);
  EXPECT_EQ(WriteTimeOnDisk(Fixture.Tree.Path("a")), folderBefore);
}

TEST_F(FileTimesTest, MdtmSetFormErrorsLeaveTheFileAlone) {
  Fixture.EnterFolder(*Client, "/A");
  ExpectReply("MDTM 20200102030405 missing.txt", 550, "Not found.");
  // Passes the quick check but names no day: the conversion error becomes the reply.
  const TReply reply = Client->Command("MDTM 20200230000000 file.txt");
  EXPECT_EQ(reply.Code, 550);
  EXPECT_FALSE(reply.Text().empty());
  EXPECT_EQ(FileTime(), Before);
  EXPECT_EQ(Client->Command("NOOP").Code, 200);
}

struct TStampCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TStampCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  std::string Stamp;  // as sent
  TDateTime Expected;
  std::string Echo;  // the timestamp in the reply
};

class MfmtTest : public FileTimesTest, public ::testing::WithParamInterface<TStampCase> {};

TEST_P(MfmtTest, SetsTheUTCTimeAndEchoesIt) {
  ExpectReply("MFMT " + GetParam().Stamp + " /A/file.txt", 213, "Modify=" + GetParam().Echo + " /A/file.txt");
  EXPECT_EQ(FileTime(), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MfmtTest,
    ::testing::Values(TStampCase{"Whole", "20200102030405", UTC(2020, 1, 2, 3, 4, 5), "20200102030405"},
                      TStampCase{"Fraction250", "20200102030405.250", UTC(2020, 1, 2, 3, 4, 5, 250), "20200102030405.250"},
                      TStampCase{"FractionFiveIsFiveMilliseconds", "20200102030405.5", UTC(2020, 1, 2, 3, 4, 5, 5), "20200102030405.005"},
                      TStampCase{"FractionZero", "20200102030405.000", UTC(2020, 1, 2, 3, 4, 5), "20200102030405"},
                      TStampCase{"LeapDay", "20240229235959.999", UTC(2024, 2, 29, 23, 59, 59, 999), "20240229235959.999"}),
    ::testing::PrintToStringParamName());

TEST_F(FileTimesTest, MfmtResolvesAgainstTheWorkingDirectory) {
  Fixture.EnterFolder(*Client, "/A");
  ExpectReply("MFMT 20200102030405 sub/../file.txt", 213, "Modify=20200102030405 /A/file.txt");
  EXPECT_EQ(FileTime(), UTC(2020, 1, 2, 3, 4, 5));
}

// Impossible timestamps are answered with the conversion error; the session goes on and nothing
// changes.
TEST_F(FileTimesTest, ImpossibleTimestampsAreErrorReplies) {
  const char* stamps[] = {"20201302030405", "20200002030405", "20200100030405", "20200230030405", "20200102250405",
                          "20200102036005", "2020AB02030405", "abcdefghijklmn", "99999999999999", "20200102030405.1000",
                          "20200102030405.99999999999999999999"};
  for (const char* stamp : stamps) {
    for (const std::string command : {"MFMT ", "MFCT "}) {
      const TReply reply = Client->Command(command + stamp + " /A/file.txt");
      EXPECT_EQ(reply.Code, 550) << command << stamp;
      EXPECT_FALSE(reply.Text().empty()) << command << stamp;
    }
    const TReply mff = Client->Command(std::string("MFF Modify=") + stamp + "; /A/file.txt");
    EXPECT_EQ(mff.Code, 550) << stamp;
  }
  EXPECT_EQ(FileTime(), Before);
  EXPECT_EQ(Client->Command("NOOP").Code, 200);
}

TEST_F(FileTimesTest, MfmtOfAMissingFileIsNotFound) {
  ExpectReply("MFMT 20200102030405 /A/missing.txt", 550, "Not found.");
  ExpectReply("MFMT 20200102030405 /Nope/file.txt", 550, "Access denied.");
}

// The host keeps no settable creation time, so the server refuses MFCT and MFF Create.
TEST_F(FileTimesTest, CreationTimeIsRefusedByThisHost) {
  ExpectReply("MFCT 20200102030405 /A/file.txt", 550, "Unknown error.");
  ExpectReply("MFCT 20200102030405 /A/missing.txt", 550, "Not found.");
  ExpectReply("MFF Create=20200102030405; /A/file.txt", 550, "Unknown error.");
  EXPECT_EQ(FileTime(), Before);
}

TEST_F(FileTimesTest, MffAppliesModifyAndNothingElse) {
  ExpectReply("MFF Modify=20200102030405; /A/file.txt", 213, "Modify=20200102030405; /A/file.txt");
  EXPECT_EQ(FileTime(), UTC(2020, 1, 2, 3, 4, 5));
  ExpectReply("MFF modify=20200102030405.250;Unix.mode=0644;UNIX.owner=root;Unix.group=wheel;Win32.ea=0;Windows.lastaccesstime=20200101000000 /A/file.txt",
              213, "Modify=20200102030405.250; /A/file.txt");
  EXPECT_EQ(FileTime(), UTC(2020, 1, 2, 3, 4, 5, 250));
  ExpectReply("MFF Modify=20190101000000 /A/file.txt", 213, "Modify=20190101000000; /A/file.txt");  // no final ";"
  EXPECT_EQ(FileTime(), UTC(2019, 1, 1, 0, 0, 0));
}

TEST_F(FileTimesTest, MffWithNothingToApply) {
  const char* arguments[] = {"Unix.mode=0644; /A/file.txt", "Modify=; /A/file.txt", "; /A/file.txt", ";;; /A/file.txt",
                             "=20200102030405; /A/file.txt", "Bogus=1;Other=2; /A/file.txt", "/A/file.txt"};
  for (const char* argument : arguments) ExpectReply(std::string("MFF ") + argument, 504, "Error in parameters to MFF");
  ExpectReply("MFF", 501, "Invalid number of arguments MFF");
  ExpectReply("MFF   ", 501, "Invalid number of arguments MFF");
  EXPECT_EQ(FileTime(), Before);
}

TEST_F(FileTimesTest, SiteUtimeLongAndShortForms) {
  const std::string ok = "CHMOD command successful.";
  EXPECT_EQ(Fixture.Site(*Client, "UTIME /A/file.txt 20190101000000 20200102030405 UTC").Text(), ok);
  EXPECT_EQ(FileTime(), UTC(2020, 1, 2, 3, 4, 5));

  Fixture.Tree.WriteFile("a/my file.txt", "spaces");
  TReply reply = Fixture.Site(*Client, "UTIME /A/my file.txt 20190101000000 20210101000000 utc");
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(reply.Text(), ok);
  EXPECT_EQ(WriteTimeOnDisk(Fixture.Tree.Path("a/my file.txt")), UTC(2021, 1, 1, 0, 0, 0));

  // The short form takes the server's local time.
  reply = Fixture.Site(*Client, "UTIME 20220101120000 /A/file.txt");
  EXPECT_EQ(reply.Code, 200);
  EXPECT_EQ(reply.Text(), ok);
  EXPECT_EQ(FileTime(), UTC(2022, 1, 1, 3, 0, 0));

  // With a creation time too the modification time is set first; the creation time is refused by
  // this host with the sub-command's error code.
  reply = Fixture.Site(*Client, "UTIME /A/file.txt 20190101000000 20230101000000 20180101000000 UTC");
  EXPECT_EQ(reply.Code, 530);
  EXPECT_EQ(reply.Text(), "Unknown error.");
  EXPECT_EQ(FileTime(), UTC(2023, 1, 1, 0, 0, 0));
}

TEST_F(FileTimesTest, SiteUtimeFormsItDoesNotKnow) {
  const char* lines[] = {"UTIME", "UTIME /A/file.txt", "UTIME junk /A/file.txt", "UTIME /A/file.txt UTC",
                         "UTIME /A/file.txt 20200102030405 UTC", "UTIME 20201301000000 /A/file.txt", "UTIME 2020 /A/file.txt",
                         "UTIME /A/file.txt 20201301000000 20200102030405 UTC"};
  for (const char* line : lines) {
    const TReply reply = Fixture.Site(*Client, line);
    EXPECT_EQ(reply.Code, 500) << line;
    EXPECT_NE(reply.Text().find("command not understood."), std::string::npos) << line << ": " << reply.Text();
  }
  // The right shape but no such day: the conversion error, with the sub-command's error code.
  const TReply reply = Fixture.Site(*Client, "UTIME 20200230000000 /A/file.txt");
  EXPECT_EQ(reply.Code, 530);
  EXPECT_FALSE(reply.Text().empty());
  EXPECT_EQ(FileTime(), Before);
  EXPECT_EQ(Client->Command("NOOP").Code, 200);
}

// Hostile arguments to every time and file query command: each gets one reply, the session goes
// on, and nothing outside the served folders changes.
TEST_F(FileTimesTest, JunkArgumentsGetRepliesAndTheSessionGoesOn) {
  Fixture.EnterFolder(*Client, "/A");
  const std::string junk[] = {"",
                              " ",
                              "2020",
                              "20200102030405",
                              "20200102030405 ",
                              "abcdefghijklmn file.txt",
                              "20201301000000 file.txt",
                              "20200100000000 file.txt",
                              "99999999999999 file.txt",
                              "00000000000000 file.txt",
                              "00010101000000 file.txt",
                              "20200102030405.99999999999999999999 file.txt",
                              "20200102030405+999999999 file.txt",
                              "20200102030405-999999999 file.txt",
                              "20200102030405+99999999999 file.txt",
                              "Modify=20200102030405;Create=;Modify=x; file.txt",
                              "=;=;=; file.txt",
                              ";;;;",
                              "../../../../outside.txt",
                              "20200102030405 ../../outside.txt",
                              "%s%s%n%d file.txt",
                              "\xff\xfe\x80 file.txt",
                              std::string(3000, '9') + " file.txt",
                              std::string(3000, ';'),
                              "20200102030405 " + std::string(3000, '/')};
  const char* commands[] = {"MDTM ", "MFMT ", "MFCT ", "MFF ", "SIZE ", "RNFR "};
  for (const std::string& argument : junk) {
    for (const char* command : commands) {
      const TReply reply = Client->Command(command + argument);
      EXPECT_GE(reply.Code, 200) << command << argument;
      EXPECT_LT(reply.Code, 600) << command << argument;
    }
    const TReply site = Fixture.Site(*Client, "UTIME " + argument);
    EXPECT_GE(site.Code, 200) << argument;
    EXPECT_LT(site.Code, 600) << argument;
  }
  EXPECT_EQ(Client->Command("NOOP").Code, 200);
  EXPECT_EQ(Fixture.Tree.ReadFile("outside.txt"), "sentinel");
  EXPECT_EQ(Fixture.Tree.ReadFile("a/file.txt"), "hello");
}

}  // namespace
}  // namespace kobix::test
