// Listings through kobix-serverd as a client sees them.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/FtpTestClient.h"
#include "common/ServerdProcess.h"
#include "common/TempTree.h"
#include "platform/DateTime.h"
#include "platform/Files.h"

namespace kobix {
namespace {

using Lines = std::vector<std::string>;

// One served folder, a server running 9 hours east of UTC (so that a local date passed off as UTC
// shows), and a logged-in client.
class ListingE2ETest : public ::testing::Test {
 protected:
  ListingE2ETest() {
    FTree.WriteFile("music/a.txt", "abc");
    FTree.WriteFile("music/.hidden", "h");
    FTree.MakeFolder("music/sub");
    FTree.WriteFile("music/\xEC\x9D\x8C\xEC\x95\x85.mp3", "12345");
    platform::TDateTime utc;
    platform::TryEncodeDateTime({2024, 5, 6, 7, 8, 10, 0}, utc);
    platform::SetLastWriteTime(FTree.Path("music/a.txt"), utc);
    FServer = std::make_unique<test::TServerdProcess>(
        std::vector<std::string>{"--folder", "Music=" + FTree.Path("music"), "--user", "u", "--password-env", "PW"},
        std::vector<std::string>{"PW=secret", "TZ=KST-9"});
    FClient = std::make_unique<test::TFtpTestClient>(FServer->Port());
    FClient->ReadReply();
    EXPECT_EQ(FClient->Command("USER u").Code, 331);
    EXPECT_EQ(FClient->Command("PASS secret").Code, 230);
  }

  // Runs a listing command after PASV and gives the preliminary reply, the data and the final reply.
  struct TListing {
    test::TReply Preliminary, Final;
    std::string Data;
  };
  TListing ListOverPassive(const std::string& ALine) {
    const test::TReply pasv = FClient->Command("PASV");
    EXPECT_EQ(pasv.Code, 227);
    int h1 = 0, h2 = 0, h3 = 0, h4 = 0, p1 = 0, p2 = 0;
    const size_t open = pasv.Text().find('(');
    EXPECT_EQ(std::sscanf(pasv.Text().c_str() + (open == std::string::npos ? 0 : open + 1), "%d,%d,%d,%d,%d,%d", &h1, &h2,
                          &h3, &h4, &p1, &p2),
              6);
    const platform::TSocket data = platform::TSocket::Connect(
        {}, false, {"127.0.0.1", static_cast<uint16_t>(p1 * 256 + p2), platform::TIPVersion::IPv4}, nullptr);
    TListing listing;
    listing.Preliminary = FClient->Command(ALine);
    char chunk[65536];
    while (platform::WaitReadable(data.Handle(), nullptr, 10000) != platform::TWaitResult::Timeout) {
      const size_t received = data.Receive(chunk, sizeof chunk);
      if (received == 0) break;
      listing.Data.append(chunk, received);
    }
    listing.Final = FClient->ReadReply();
    return listing;
  }

  testing::TTempTree FTree;
  std::unique_ptr<test::TServerdProcess> FServer;
  std::unique_ptr<test::TFtpTestClient> FClient;
};

TEST_F(ListingE2ETest, MLSTDescribesTheRootAndSingleEntriesInUTC) {
  EXPECT_EQ(FClient->Command("MLST /").Lines, (Lines{"250-Begin", " type=dir; /", "250 End"}));
  EXPECT_EQ(FClient->Command("MLST /music/a.txt").Lines,
            (Lines{"250-Begin", " size=3;type=file;modify=20240506070810; a.txt", "250 End"}));
  const test::TReply folder = FClient->Command("MLST /Music/sub");
  ASSERT_EQ(folder.Lines.size(), 3u);
  EXPECT_EQ(folder.Lines[1].rfind(" size=0;type=dir;modify=", 0), 0u) << folder.Lines[1];
  EXPECT_EQ(folder.Lines[1].substr(folder.Lines[1].size() - 5), "; sub");
}

TEST_F(ListingE2ETest, RefusalsCarryEachCommandsCode) {
  EXPECT_EQ(FClient->Command("MLST /Music/missing").Lines, Lines{"550 Not found."});
  EXPECT_EQ(FClient->Command("MLST /Other").Lines, Lines{"550 Access denied."});
  for (const char* line : {"LIST", "NLST /Music", "MLSD /Music"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(FClient->Command(line).Lines, Lines{"425 Can't open data connection."});
  }
  // The session goes on.
  EXPECT_EQ(FClient->Command("MLST /").Code, 250);
}

TEST_F(ListingE2ETest, LISTShowsTheFolderInLocalTimeWithoutHiddenOrDotEntries) {
  // A file changed an hour ago shows its local time (9 hours ahead of UTC on this server).
  const platform::TDateTime changed{platform::NowUTC().Milliseconds / 60000 * 60000 - 3600 * 1000};
  ASSERT_TRUE(platform::SetLastWriteTime(FTree.Path("music/a.txt"), changed));
  const platform::TDateTimeFields local = platform::DecodeDateTime(platform::AddMinutes(changed, 9 * 60));
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char date[32];
  std::snprintf(date, sizeof date, "%s %02d %02d:%02d", months[local.Month - 1], local.Day, local.Hour, local.Minute);

  const TListing listing = ListOverPassive("LIST /Music");
  EXPECT_EQ(listing.Preliminary.Lines, Lines{"125 Opening ASCII mode data connection for /bin/ls."});
  EXPECT_EQ(listing.Final.Lines, Lines{"226 Closing data connection."});
  const std::string expected = "total 0\r\n"
                               "-rw-rw-r--   1 root     root            3 " + std::string(date) + " a.txt\r\n"
                               "drw-rw-r--   1 root     root          512 " + listing.Data.substr(listing.Data.rfind(" sub\r\n") - 12, 12) + " sub\r\n"
                               "-rw-rw-r--   1 root     root            5 " + listing.Data.substr(listing.Data.rfind(" ??.mp3\r\n") - 12, 12) + " ??.mp3\r\n";
  EXPECT_EQ(listing.Data, expected);
}

TEST_F(ListingE2ETest, NLSTAndMLSDOverPassive) {
  const TListing names = ListOverPassive("NLST /Music");
  EXPECT_EQ(names.Preliminary.Lines, Lines{"125 Opening ASCII mode data connection for file list."});
  EXPECT_EQ(names.Data, "a.txt\r\nsub\r\n??.mp3\r\n");  // byte order of UTF-8: Hangul last
  EXPECT_EQ(names.Final.Lines, Lines{"226 Closing data connection."});

  const TListing facts = ListOverPassive("MLSD /Music");
  EXPECT_EQ(facts.Preliminary.Lines, Lines{"125 File status okay; about to open data connection."});
  EXPECT_EQ(facts.Final.Lines, Lines{"226 Closing data connection."});
  // Every entry but the hidden one, "." and ".." included, in the order of the folder; the
  // file's time is its UTC time again.
  EXPECT_NE(facts.Data.find("size=3;type=file;modify=20240506070810; a.txt\r\n"), std::string::npos) << facts.Data;
  EXPECT_NE(facts.Data.find("type=cdir;"), std::string::npos);
  EXPECT_NE(facts.Data.find("type=pdir;"), std::string::npos);
  EXPECT_NE(facts.Data.find("type=dir;"), std::string::npos);
  EXPECT_NE(facts.Data.find("; ??.mp3\r\n"), std::string::npos);
  EXPECT_EQ(facts.Data.find(".hidden"), std::string::npos);
  size_t lines = 0;
  for (size_t at = facts.Data.find("\r\n"); at != std::string::npos; at = facts.Data.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 5u);

  // A refused listing makes no data connection, and the next one works.
  const test::TReply pasv = FClient->Command("PASV");
  EXPECT_EQ(pasv.Code, 227);
  EXPECT_EQ(FClient->Command("LIST /Music/a.txt").Lines, Lines{"450 Access denied."});
  EXPECT_EQ(FClient->Command("LIST /Music").Lines, Lines{"425 Can't open data connection."});
  EXPECT_EQ(ListOverPassive("NLST /Music/sub").Data, "");
}

}  // namespace
}  // namespace kobix
