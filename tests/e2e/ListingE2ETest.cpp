// Listings through kobix-serverd as a client sees them.

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kobix
