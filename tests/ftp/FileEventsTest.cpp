// The file commands against the engine alone, with recording file events: which event gets which
// resolved path and which time (the local-time conversions of MFCT, MFF Create and the MDTM and
// SITE UTIME forms), the replies built from what the events give back, and the answers when an
// event is not bound at all. The process runs nine hours east of UTC.

#include "EngineFixture.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>
#include <vector>

namespace kobix::test {
namespace {

using platform::TDateTime;

TDateTime Stamp(int AYear, int AMonth, int ADay, int AHour, int AMinute, int ASecond, int AMillisecond = 0) {
  TDateTime result;
  EXPECT_TRUE(platform::TryEncodeDateTime({AYear, AMonth, ADay, AHour, AMinute, ASecond, AMillisecond}, result));
  return result;
}

/// One call of a file event: its name, the paths and the time it was given.
struct TCall {
  std::string Event, Path, Other;
  TDateTime Time;
  friend bool operator==(const TCall&, const TCall&) = default;
  friend std::ostream& operator<<(std::ostream& AOut, const TCall& ACall) {
    return AOut << ACall.Event << "(" << ACall.Path << ", " << ACall.Other << ", " << ACall.Time.Milliseconds << ")";
  }
};

class FileEventsTest : public ::testing::Test {
 protected:
  // Binds every file event to a recorder; tests unbind the ones they need absent before Start().
  FileEventsTest() {
    auto& server = Engine.Server();
    server.OnMakeDirectory = [this](ftp::TIdFTPServerContext&, std::string& APath) { Calls.push_back({"MakeDirectory", APath, "", {}}); };
    server.OnRemoveDirectory = [this](ftp::TIdFTPServerContext&, std::string& APath) { Calls.push_back({"RemoveDirectory", APath, "", {}}); };
    server.OnDeleteFile = [this](ftp::TIdFTPServerContext&, const std::string& APath) { Calls.push_back({"DeleteFile", APath, "", {}}); };
    server.OnRenameFile = [this](ftp::TIdFTPServerContext&, const std::string& AFrom, const std::string& ATo) {
      Calls.push_back({"RenameFile", AFrom, ATo, {}});
    };
    server.OnGetFileSize = [this](ftp::TIdFTPServerContext&, const std::string&, int64_t& VSize) {
      if (Size) VSize = *Size;
    };
    server.OnGetFileDate = [this](ftp::TIdFTPServerContext&, const std::string&, TDateTime& VDate) { VDate = Date; };
    server.OnFileExistCheck = [this](ftp::TIdFTPServerContext&, const std::string& APath, bool& VExist) {
      Calls.push_back({"FileExistCheck", APath, "", {}});
      VExist = APath == ExistingFile;
    };
    server.OnSetModifiedTime = [this](ftp::TIdFTPServerContext&, const std::string& APath, TDateTime& ATime) {
      Calls.push_back({"SetModifiedTime", APath, "", ATime});
    };
    server.OnSetCreationTime = [this](ftp::TIdFTPServerContext&, const std::string& APath, TDateTime& ATime) {
      Calls.push_back({"SetCreationTime", APath, "", ATime});
    };
  }

  std::unique_ptr<TFtpTestClient> Start() {
    Engine.Start();
    return Engine.LoggedIn();
  }

  void Expect(TFtpTestClient& AClient, const std::string& ALine, int ACode, const std::string& AText) {
    const TReply reply = AClient.Command(ALine);
    EXPECT_EQ(reply.Code, ACode) << ALine;
    EXPECT_EQ(reply.Text(), AText) << ALine;
  }

  TTimeZone Zone{"KST-9"};  // UTC+9, no daylight saving
  std::vector<TCall> Calls;
  std::optional<int64_t> Size;
  TDateTime Date;
  std::string ExistingFile;
  TEngineFixture Engine;
};

TEST_F(FileEventsTest, EventsReceiveResolvedPaths) {
  auto client = Start();
  Expect(*client, "MKD new", 257, "Requested file action okay, completed.");
  Expect(*client, "XRMD /a/./b/../c", 250, "Requested file action okay, completed.");
  Expect(*client, "DELE a b", 250, "Requested file action okay, completed.");
  Expect(*client, "RNFR from", 350, "Requested file action pending further information.");
  Expect(*client, "RNTO /to", 250, "Ok");
  Expect(*client, "RNTO again", 250, "Ok");
  const std::vector<TCall> expected = {{"MakeDirectory", "/new", "", {}},        {"RemoveDirectory", "/a/./b/../c", "", {}},
                                       {"DeleteFile", "/a b", "", {}},           {"RenameFile", "/from", "/to", {}},
                                       {"RenameFile", "/from", "/again", {}}};
  EXPECT_EQ(Calls, expected);
}

TEST_F(FileEventsTest, SizeAndDateComeFromTheEvents) {
  auto client = Start();
  Expect(*client, "SIZE /f", 550, "Requested action aborted: local error in processing.");  // nothing came back
  Size = 0;
  Expect(*client, "SIZE /f", 213, "0");
  Size = 9'000'000'000'000LL;
  Expect(*client, "SIZE /f", 213, "9000000000000");
  Size = -5;
  Expect(*client, "SIZE /f", 550, "Requested action aborted: local error in processing.");

  Expect(*client, "MDTM /f", 550, "Requested action aborted: local error in processing.");  // zero time
  Date = TDateTime{-1};
  Expect(*client, "MDTM /f", 550, "Requested action aborted: local error in processing.");
  Date = TDateTime{1};
  Expect(*client, "MDTM /f", 213, "18991230000000.001");
  Date = Stamp(2021, 3, 4, 5, 6, 7);
  Expect(*client, "MDTM /f", 213, "20210304050607");
}

TEST_F(FileEventsTest, MdtmSetFormChecksTheWholeArgumentFirst) {
  auto client = Start();
  ExistingFile = "/20200102030405 named";
  Date = Stamp(2001, 1, 1, 0, 0, 0);
  Expect(*client, "MDTM 20200102030405 named", 213, "20010101000000");
  Expect(*client, "MDTM 20200102120000 /f", 253, "Date/time changed okay.");
  Expect(*client, "MDTM 20200102030405+540 /g", 253, "Date/time changed okay.");
  const std::vector<TCall> expected = {{"FileExistCheck", "/20200102030405 named", "", {}},
                                       {"FileExistCheck", "/20200102120000 /f", "", {}},
                                       {"SetModifiedTime", "/f", "", Stamp(2020, 1, 2, 3, 0, 0)},
                                       {"FileExistCheck", "/20200102030405+540 /g", "", {}},
                                       {"SetModifiedTime", "/g", "", Stamp(2020, 1, 2, 12, 4, 5)}};
  EXPECT_EQ(Calls, expected);
}

// MFCT and MFF Create hand the server local time and report the time back in UTC.
TEST_F(FileEventsTest, CreationTimesAreHandedOverAsLocalTime) {
  auto client = Start();
  Expect(*client, "MFCT 20200102030405.250 /f", 213, "CreateTime=20200102030405.250 /f");
  Expect(*client, "MFMT 20200102030405.250 /f", 213, "Modify=20200102030405.250 /f");
  // Applied Modify first whatever the order written; unknown facts are passed over.
  Expect(*client, "MFF Create=20210101000000;Unix.mode=0644;MODIFY=20220101000000; /a b", 213,
         "Modify=20220101000000;Create=20210101000000; /a b");
  const std::vector<TCall> expected = {{"SetCreationTime", "/f", "", Stamp(2020, 1, 2, 12, 4, 5, 250)},
                                       {"SetModifiedTime", "/f", "", Stamp(2020, 1, 2, 3, 4, 5, 250)},
                                       {"SetModifiedTime", "/a b", "", Stamp(2022, 1, 1, 0, 0, 0)},
                                       {"SetCreationTime", "/a b", "", Stamp(2021, 1, 1, 9, 0, 0)}};
  EXPECT_EQ(Calls, expected);
}

TEST_F(FileEventsTest, SiteUtimeSetsModifiedAndCreationTimes) {
  auto client = Start();
  EXPECT_EQ(client->Command("SITE UTIME /p q 20190101000000 20200101000000 20180101000000 UTC").Text(), "CHMOD command successful.");
  // A zero modification time leaves that one alone.
  EXPECT_EQ(client->Command("SITE UTIME /z 20190101000000 18991230000000 20180101000000 UTC").Code, 200);
  EXPECT_EQ(client->Command("SITE UTIME /two 20190101000000 20200101000000 UTC").Code, 200);
  EXPECT_EQ(client->Command("SITE UTIME 20200101120000 /short").Code, 200);
  const std::vector<TCall> expected = {{"SetModifiedTime", "/p q", "", Stamp(2020, 1, 1, 0, 0, 0)},
                                       {"SetCreationTime", "/p q", "", Stamp(2018, 1, 1, 0, 0, 0)},
                                       {"SetCreationTime", "/z", "", Stamp(2018, 1, 1, 0, 0, 0)},
                                       {"SetModifiedTime", "/two", "", Stamp(2020, 1, 1, 0, 0, 0)},
                                       {"SetModifiedTime", "/short", "", Stamp(2020, 1, 1, 3, 0, 0)}};
  EXPECT_EQ(Calls, expected);
}

// With no events bound at all: the commands that need one say so, SIZE and MDTM find no answer,
// MFF has nothing it can apply, and the session goes on.
TEST_F(FileEventsTest, UnboundEvents) {
  auto& server = Engine.Server();
  server.OnMakeDirectory = nullptr;
  server.OnRemoveDirectory = nullptr;
  server.OnDeleteFile = nullptr;
  server.OnRenameFile = nullptr;
  server.OnGetFileSize = nullptr;
  server.OnGetFileDate = nullptr;
  server.OnFileExistCheck = nullptr;
  server.OnSetModifiedTime = nullptr;
  server.OnSetCreationTime = nullptr;
  auto client = Start();
  const std::string localError = "Requested action aborted: local error in processing.";
  const struct {
    const char* Line;
    int Code;
    std::string Text;
  } cases[] = {
      {"MKD /d", 550, "\"MKD\" Command not implemented."},
      {"XMKD /d", 550, "\"XMKD\" Command not implemented."},
      {"RMD /d", 550, "\"RMD\" Command not implemented."},
      {"DELE /f", 550, "\"DELE\" Command not implemented."},
      {"RNFR /f", 350, "Requested file action pending further information."},
      {"RNTO /g", 550, "\"RNTO\" Command not implemented."},
      {"SIZE /f", 550, localError},
      {"MDTM /f", 550, localError},
      {"MDTM 20200101000000 /f", 550, "\"MDTM\" Command not implemented."},
      {"MFMT 20200101000000 /f", 550, "\"MFMT\" Command not implemented."},
      {"MFCT 20200101000000 /f", 550, "\"MFCT\" Command not implemented."},
      {"MFF Modify=20200101000000;Create=20200101000000; /f", 504, "Error in parameters to MFF"},
      {"NOOP", 200, "NOOP Command successful."},
  };
  for (const auto& c : cases) Expect(*client, c.Line, c.Code, c.Text);
  EXPECT_EQ(client->Command("SITE UTIME 20200101000000 /f").Text(), "\"UTIME\" Command not implemented.");
}

}  // namespace
}  // namespace kobix::test
