// Creating, removing, deleting, renaming and sizing entries through a real server: the replies, what
// happens on disk, the login rules and the server's refusals with each command's own error code.

#include "FileServerFixture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace kobix::test {
namespace {

struct TChangeCase {
  friend std::ostream& operator<<(std::ostream& AOut, const TChangeCase& ACase) { return AOut << ACase.Name; }
  const char* Name;
  std::string Line;
  int Code;
  std::string Text;
  std::vector<std::string> Present;  // entries (below the tree) that must exist afterwards
  std::vector<std::string> Absent;   // entries that must not
};

class ChangeCommandTest : public ::testing::TestWithParam<TChangeCase> {};

TEST_P(ChangeCommandTest, RepliesAndChangesTheTree) {
  TFileServerFixture fixture;
  auto client = fixture.LoggedIn();
  const TReply reply = client->Command(GetParam().Line);
  EXPECT_EQ(reply.Code, GetParam().Code);
  EXPECT_EQ(reply.Text(), GetParam().Text);
  for (const std::string& entry : GetParam().Present) EXPECT_TRUE(fixture.Tree.Exists(entry)) << entry;
  for (const std::string& entry : GetParam().Absent) EXPECT_FALSE(fixture.Tree.Exists(entry)) << entry;
  EXPECT_EQ(fixture.Tree.ReadFile("outside.txt"), "sentinel");
  EXPECT_EQ(client->Command("NOOP").Code, 200);  // the session goes on
}

const std::string Done = "Requested file action okay, completed.";

INSTANTIATE_TEST_SUITE_P(
    Table, ChangeCommandTest,
    ::testing::Values(
        TChangeCase{"MkdNew", "MKD /A/new", 257, Done, {"a/new"}, {}},
        TChangeCase{"MkdCreatesEveryParent", "MKD /A/x/y/z", 257, Done, {"a/x/y/z"}, {}},
        TChangeCase{"MkdExistingSucceeds", "MKD /A/sub", 257, Done, {"a/sub"}, {}},
        TChangeCase{"MkdRelativeToTheRoot", "MKD A/rel", 257, Done, {"a/rel"}, {}},
        TChangeCase{"MkdTrailingSeparator", "MKD /A/trail/", 257, Done, {"a/trail"}, {}},
        TChangeCase{"MkdNameWithSpaces", "MKD /A/two  words ", 257, Done, {"a/two  words "}, {}},
        TChangeCase{"XmkdSameAsMkd", "XMKD /B/made", 257, Done, {"b/made"}, {}},
        TChangeCase{"MkdUnknownAlias", "MKD /Nope/x", 550, "Access denied.", {}, {}},
        TChangeCase{"XmkdRefusalCarries551", "XMKD /Nope/x", 551, "Access denied.", {}, {}},
        TChangeCase{"MkdAtTheRoot", "MKD /newalias", 550, "Access denied.", {}, {}},
        TChangeCase{"MkdParentStepsStayInsideTheAlias", "MKD /A/../../escape", 257, Done, {"a/escape"}, {"escape"}},
        TChangeCase{"RmdFolder", "RMD /A/sub", 250, Done, {"a"}, {"a/sub"}},
        TChangeCase{"RmdOfAFileIsNotFound", "RMD /A/file.txt", 550, "Not found.", {"a/file.txt"}, {}},
        TChangeCase{"XrmdMissingCarries551", "XRMD /A/missing", 551, "Not found.", {}, {}},
        TChangeCase{"DeleFile", "DELE /A/file.txt", 250, Done, {"a/sub"}, {"a/file.txt"}},
        TChangeCase{"DeleFolderDeletesIt", "DELE /A/sub", 250, Done, {"a/file.txt"}, {"a/sub"}},
        TChangeCase{"DeleMissing", "DELE /A/missing", 550, "Not found.", {"a/file.txt"}, {}},
        TChangeCase{"DeleUnknownAlias", "DELE /Nope/file.txt", 550, "Access denied.", {"a/file.txt"}, {}},
        TChangeCase{"DeleCannotReachOutside", "DELE /A/../../outside.txt", 550, "Not found.", {"outside.txt"}, {}}),
    ::testing::PrintToStringParamName());

// On a read-only server every change is refused with the command's own code and nothing moves;
// setting a time is not a change of content and is still served.
TEST(FileCommandsReadOnly, RefusesChangesButSetsTimes) {
  TFileServerFixture fixture(/*AReadOnly=*/true);
  const std::string before = fixture.Tree.Snapshot();
  auto client = fixture.LoggedIn();
  const struct {
    const char* Line;
    int Code;
    std::string Text;
  } cases[] = {
      {"MKD /A/new", 550, "Access denied."},
      {"XMKD /A/new", 551, "Access denied."},
      {"RMD /A/sub", 550, "Access denied."},
      {"XRMD /A/sub", 551, "Access denied."},
      {"DELE /A/file.txt", 550, "Access denied."},
      {"RNFR /A/file.txt", 350, "Requested file action pending further information."},
      {"RNTO /A/renamed.txt", 550, "Access denied."},
      {"SIZE /A/file.txt", 213, "5"},
  };
  for (const auto& c : cases) {
    const TReply reply = client->Command(c.Line);
    EXPECT_EQ(reply.Code, c.Code) << c.Line;
    EXPECT_EQ(reply.Text(), c.Text) << c.Line;
  }
  EXPECT_EQ(fixture.Tree.Snapshot(), before);

  EXPECT_EQ(client->Command("MFMT 20200102030405 /A/file.txt").Code, 213);
  EXPECT_EQ(WriteTimeOnDisk(fixture.Tree.Path("a/file.txt")), UTC(2020, 1, 2, 3, 4, 5));
}

TEST(FileCommandsRename, RemembersTheSourceUntilTheNextRNFR) {
  TFileServerFixture fixture;
  auto client = fixture.LoggedIn();

  // Nothing remembered yet: the rename starts from an empty path, the virtual root, which is no
  // entry that could be moved.
  const std::string before = fixture.Tree.Snapshot();
  TReply reply = client->Command("RNTO /A/moved.txt");
  EXPECT_EQ(reply.Code, 550);
  EXPECT_EQ(reply.Text(), "Not found.");
  EXPECT_EQ(fixture.Tree.Snapshot(), before);

  reply = client->Command("RNFR /A/file.txt");
  EXPECT_EQ(reply.Code, 350);
  EXPECT_EQ(reply.Text(), "Requested file action pending further information.");
  reply = client->Command("RNTO /B/moved.txt");  // across two aliases
  EXPECT_EQ(reply.Code, 250);
  EXPECT_EQ(reply.Text(), "Ok");
  EXPECT_FALSE(fixture.Tree.Exists("a/file.txt"));
  EXPECT_EQ(fixture.Tree.ReadFile("b/moved.txt"), "hello");

  // A second RNTO renames from the same source again.
  fixture.Tree.WriteFile("a/file.txt", "second");
  EXPECT_EQ(client->Command("RNTO /A/again.txt").Code, 250);
  EXPECT_EQ(fixture.Tree.ReadFile("a/again.txt"), "second");
  EXPECT_FALSE(fixture.Tree.Exists("a/file.txt"));

  // Now the source is gone, and the same RNTO is refused.
  reply = client->Command("RNTO /A/third.txt");
  EXPECT_EQ(reply.Code, 550);
  EXPECT_EQ(reply.Text(), "Not found.");

  // A relative source is resolved against the working directory when RNFR runs.
  fixture.EnterFolder(*client, "/A");
  EXPECT_EQ(client->Command("RNFR again.txt").Code, 350);
  fixture.EnterFolder(*client, "/B");
  EXPECT_EQ(client->Command("RNTO back.txt").Code, 250);
  EXPECT_EQ(fixture.Tree.ReadFile("b/back.txt"), "second");
  EXPECT_FALSE(fixture.Tree.Exists("a/again.txt"));
}

TEST(FileCommandsRename, SameNameInOtherCaseIsRefused) {
  TFileServerFixture fixture;
  auto client = fixture.LoggedIn();
  EXPECT_EQ(client->Command("RNFR /A/file.txt").Code, 350);
  const TReply reply = client->Command("RNTO /A/FILE.TXT");
  EXPECT_EQ(reply.Code, 550);
  EXPECT_EQ(reply.Text(), "Access denied.");
  EXPECT_EQ(fixture.Tree.ReadFile("a/file.txt"), "hello");
}

TEST(FileCommandsSize, FileFolderMissing) {
  TFileServerFixture fixture;
  fixture.Tree.WriteFile("a/big.bin", std::string(70000, 'x'));
  auto client = fixture.LoggedIn();
  const struct {
    const char* Line;
    int Code;
    std::string Text;
  } cases[] = {
      {"SIZE /A/file.txt", 213, "5"},
      {"SIZE /A/big.bin", 213, "70000"},
      {"SIZE A/file.txt", 213, "5"},
      {"SIZE /A/sub", 213, "0"},
      {"SIZE /A/missing", 550, "Not found."},
      {"SIZE /Nope/file.txt", 550, "Access denied."},
  };
  for (const auto& c : cases) {
    const TReply reply = client->Command(c.Line);
    EXPECT_EQ(reply.Code, c.Code) << c.Line;
    EXPECT_EQ(reply.Text(), c.Text) << c.Line;
  }
}

// Before login: most commands answer 530 and do nothing; DELE and the unserved file actions answer
// 550; COMB is unserved even then; MFF checks its argument first.
TEST(FileCommandsLogin, RepliesBeforeLogin) {
  TFileServerFixture fixture;
  const std::string before = fixture.Tree.Snapshot();
  auto client = fixture.Connect();
  const std::string notTaken = "Requested file action not taken.";
  const struct {
    const char* Line;
    int Code;
    std::string Text;
  } cases[] = {
      {"DELE /A/file.txt", 550, notTaken},
      {"RMDA /A/sub", 550, notTaken},
      {"AVBL /A", 550, notTaken},
      {"DSIZ /A", 550, notTaken},
      {"COMB \"x\" 1 2", 550, "\"COMB\" Command not implemented."},
      {"MFF", 501, "Invalid number of arguments MFF"},
      {"MFF Modify=20200102030405; /A/file.txt", 530, "Not logged in."},
      {"MKD /A/new", 530, "Not logged in."},
      {"XMKD /A/new", 530, "Not logged in."},
      {"RMD /A/sub", 530, "Not logged in."},
      {"RNFR /A/file.txt", 530, "Not logged in."},
      {"RNTO /A/renamed.txt", 530, "Not logged in."},
      {"SIZE /A/file.txt", 530, "Not logged in."},
      {"MDTM /A/file.txt", 530, "Not logged in."},
      {"MFMT 20200102030405 /A/file.txt", 530, "Not logged in."},
      {"MFCT 20200102030405 /A/file.txt", 530, "Not logged in."},
      {"SITE UTIME 20200102030405 /A/file.txt", 530, "Not logged in."},
      {"SITE CHMOD 777 /A/file.txt", 530, "Not logged in."},
      {"SITE UMASK", 530, "Not logged in."},
  };
  const platform::TDateTime stamp = WriteTimeOnDisk(fixture.Tree.Path("a/file.txt"));
  for (const auto& c : cases) {
    const TReply reply = client->Command(c.Line);
    EXPECT_EQ(reply.Code, c.Code) << c.Line;
    EXPECT_EQ(reply.Text(), c.Text) << c.Line;
  }
  EXPECT_EQ(fixture.Tree.Snapshot(), before);
  EXPECT_EQ(WriteTimeOnDisk(fixture.Tree.Path("a/file.txt")), stamp);
}

TEST(FileCommandsUnserved, AnswerNotImplementedWithTheirWord) {
  TFileServerFixture fixture;
  auto client = fixture.LoggedIn();
  for (const char* word : {"RMDA", "AVBL", "DSIZ", "COMB"}) {
    const TReply reply = client->Command(std::string(word) + " /A/sub");
    EXPECT_EQ(reply.Code, 550) << word;
    EXPECT_EQ(reply.Text(), "\"" + std::string(word) + "\" Command not implemented.") << word;
  }
  EXPECT_TRUE(fixture.Tree.Exists("a/sub"));
}

TEST(FileCommandsSite, AttributesOwnersAndMask) {
  TFileServerFixture fixture;
  auto client = fixture.LoggedIn();
  const struct {
    const char* Line;
    int Code;
    std::string Text;
  } cases[] = {
      {"ATTRIB +R /A/file.txt", 500, "Invalid SITE command."},
      {"CHMOD 777 /A/file.txt", 500, "Invalid SITE command."},
      {"chmod 777 /A/file.txt", 500, "Invalid SITE command."},
      {"UMASK", 550, "\"UMASK\" Command not implemented."},
      {"UMASK 077", 550, "\"UMASK\" Command not implemented."},
      {"CHOWN root /A/file.txt", 200, "Ok"},
      {"CHGRP root /A/file.txt", 200, "Ok"},
  };
  for (const auto& c : cases) {
    const TReply reply = fixture.Site(*client, c.Line);
    EXPECT_EQ(reply.Code, c.Code) << c.Line;
    EXPECT_EQ(reply.Text(), c.Text) << c.Line;
  }
  EXPECT_EQ(fixture.Tree.ReadFile("a/file.txt"), "hello");
}

}  // namespace
}  // namespace kobix::test
