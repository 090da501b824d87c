#include "service/FileHandlers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "common/TempTree.h"
#include "ftp/server/Errors.h"

namespace kobix::service {
namespace {

using kobix::testing::TTempTree;
using platform::TDateTime;

// The text of the refusal an operation raises: a 550 reply error's text, "!" + the message of any
// other engine error, or "" when it succeeds.
std::string RefusalOf(const std::function<void()>& AOperation) {
  try {
    AOperation();
  } catch (const ftp::EIdReplyError& error) {
    EXPECT_EQ(error.Code(), 550);
    return error.what();
  } catch (const ftp::EIdException& error) {
    return std::string("!") + error.what();
  }
  return "";
}

TDateTime Date(int AYear, int AMonth, int ADay) {
  TDateTime result;
  EXPECT_TRUE(platform::TryEncodeDateTime({AYear, AMonth, ADay, 12, 0, 0, 0}, result));
  return result;
}

// Two served folders and, beside them, a sentinel file that no client may ever reach.
class FileHandlersTest : public ::testing::Test {
 protected:
  FileHandlersTest() {
    FTree.WriteFile("secret.txt", "top secret");
    FTree.WriteFile("music/a.txt", "aaa");
    FTree.WriteFile("music/.hidden", "h");
    FTree.MakeFolder("music/sub/deep");
    FTree.WriteFile("music/sub/deep/f", "f");
    FTree.WriteFile("video/a.txt", "video-a");
    FSettings.Aliases = {{"Music", FTree.Path("music")}, {"Video", FTree.Path("video/")}};
  }

  TTempTree FTree;
  TFileHandlerSettings FSettings;
};

TEST_F(FileHandlersTest, ReadOnlyRefusesEveryChangeBeforeLookingAtThePath) {
  FSettings.ReadOnly = true;
  const std::string before = FTree.Snapshot();
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"STOR", [&] { StoreFile(FSettings, "/Music/a.txt", false); }},
      {"STOR resumed", [&] { StoreFile(FSettings, "/Music/new.txt", false, true); }},
      {"APPE", [&] { StoreFile(FSettings, "/Music/a.txt", true); }},
      {"DELE", [&] { DeleteFile(FSettings, "/Music/a.txt"); }},
      {"RNTO", [&] { RenameFile(FSettings, "/Music/a.txt", "/Music/b.txt"); }},
      {"MKD", [&] { MakeDirectory(FSettings, "/Music/new"); }},
      {"RMD", [&] { RemoveDirectory(FSettings, "/Music/sub"); }},
      {"DELE unknown alias", [&] { DeleteFile(FSettings, "/Nope/a.txt"); }},
  };
  for (const auto& [name, change] : changes) EXPECT_EQ(RefusalOf(change), "Access denied.") << name;
  EXPECT_EQ(FTree.Snapshot(), before);
  EXPECT_EQ(FTree.ReadFile("music/a.txt"), "aaa");

  // Reading, querying and setting times stay allowed.
  EXPECT_EQ(RetrieveFile(FSettings, "/Music/a.txt")->Size(), 3);
  EXPECT_EQ(RefusalOf([&] { ChangeDirectory(FSettings, "/Music/sub"); }), "");
  EXPECT_EQ(GetFileSize(FSettings, "/Music/a.txt"), 3);
  EXPECT_TRUE(FileExistCheck(FSettings, "/Music/a.txt"));
  SetModifiedTime(FSettings, "/Music/a.txt", Date(2001, 2, 3));
  EXPECT_EQ(GetFileDate(FSettings, "/Music/a.txt"), Date(2001, 2, 3));
}

struct RefusalCase {
  const char* Name;
  std::function<void(const TFileHandlerSettings&)> Operation;
  const char* Text;
};

std::ostream& operator<<(std::ostream& AOut, const RefusalCase& ACase) { return AOut << ACase.Name; }

class FileHandlerRefusalTest : public FileHandlersTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(FileHandlerRefusalTest, RefusesWithTheTextOfTheFirstFailingCheck) {
  const std::string before = FTree.Snapshot();
  EXPECT_EQ(RefusalOf([&] { GetParam().Operation(FSettings); }), GetParam().Text);
  EXPECT_EQ(FTree.Snapshot(), before);
}

using S = const TFileHandlerSettings&;
INSTANTIATE_TEST_SUITE_P(
    Checks, FileHandlerRefusalTest,
    ::testing::Values(
        RefusalCase{"cwd_root", [](S s) { ChangeDirectory(s, "/"); }, ""},
        RefusalCase{"cwd_alias", [](S s) { ChangeDirectory(s, "/music/"); }, ""},
        RefusalCase{"cwd_unknown_alias", [](S s) { ChangeDirectory(s, "/Nope"); }, "Access denied."},
        RefusalCase{"cwd_missing", [](S s) { ChangeDirectory(s, "/Music/none"); }, "Not found."},
        RefusalCase{"cwd_file", [](S s) { ChangeDirectory(s, "/Music/a.txt"); }, "Not found."},
        RefusalCase{"retr_unknown_alias", [](S s) { RetrieveFile(s, "/Nope/a.txt"); }, "Access denied."},
        RefusalCase{"retr_folder", [](S s) { RetrieveFile(s, "/Music/sub"); }, "Not found."},
        RefusalCase{"retr_root", [](S s) { RetrieveFile(s, "/"); }, "Not found."},
        RefusalCase{"stor_root", [](S s) { StoreFile(s, "/", false); }, "Access denied."},
        RefusalCase{"stor_unknown_alias", [](S s) { StoreFile(s, "/Nope/x", false); }, "Access denied."},
        RefusalCase{"dele_missing", [](S s) { DeleteFile(s, "/Music/none"); }, "Not found."},
        RefusalCase{"dele_root", [](S s) { DeleteFile(s, "/"); }, "Access denied."},
        RefusalCase{"rmd_file", [](S s) { RemoveDirectory(s, "/Music/a.txt"); }, "Not found."},
        RefusalCase{"rmd_missing", [](S s) { RemoveDirectory(s, "/Music/none"); }, "Not found."},
        RefusalCase{"rmd_root", [](S s) { RemoveDirectory(s, "/"); }, "Access denied."},
        RefusalCase{"mkd_root", [](S s) { MakeDirectory(s, "/"); }, "Access denied."},
        RefusalCase{"mkd_over_file", [](S s) { MakeDirectory(s, "/Music/a.txt"); }, "Unknown error."},
        RefusalCase{"mkd_existing", [](S s) { MakeDirectory(s, "/Music/sub"); }, ""},
        RefusalCase{"rename_case_only", [](S s) { RenameFile(s, "/Music/a.txt", "/Music/A.TXT"); }, "Access denied."},
        RefusalCase{"rename_same", [](S s) { RenameFile(s, "/Music/a.txt", "/music/./a.txt"); }, "Access denied."},
        RefusalCase{"rename_unknown_target", [](S s) { RenameFile(s, "/Music/a.txt", "/Nope/a"); }, "Access denied."},
        RefusalCase{"rename_unknown_before_missing", [](S s) { RenameFile(s, "/Music/none", "/Nope/a"); },
                    "Access denied."},
        RefusalCase{"rename_missing", [](S s) { RenameFile(s, "/Music/none", "/Music/b"); }, "Not found."},
        RefusalCase{"rename_into_itself", [](S s) { RenameFile(s, "/Music/sub", "/Music/sub/deep/x"); },
                    "Unknown error."},
        RefusalCase{"rename_from_root", [](S s) { RenameFile(s, "/", "/Music/x"); }, "Not found."},
        RefusalCase{"rename_to_root", [](S s) { RenameFile(s, "/Music/a.txt", "/"); }, "Access denied."},
        RefusalCase{"size_missing", [](S s) { GetFileSize(s, "/Music/none"); }, "Not found."},
        RefusalCase{"size_root", [](S s) { GetFileSize(s, "/"); }, "Not found."},
        RefusalCase{"size_unknown_before_missing", [](S s) { GetFileSize(s, "/Nope/none"); }, "Access denied."},
        RefusalCase{"date_missing", [](S s) { GetFileDate(s, "/Music/none"); }, "Not found."},
        RefusalCase{"mfct_existing", [](S s) { SetCreationTime(s, "/Music/a.txt", Date(2000, 1, 1)); },
                    "Unknown error."},
        RefusalCase{"mfct_missing", [](S s) { SetCreationTime(s, "/Music/none", Date(2000, 1, 1)); }, "Not found."},
        RefusalCase{"mfmt_missing", [](S s) { SetModifiedTime(s, "/Music/none", Date(2000, 1, 1)); }, "Not found."},
        RefusalCase{"mfmt_unknown_alias", [](S s) { SetModifiedTime(s, "/Nope/a", Date(2000, 1, 1)); },
                    "Access denied."}));

TEST_F(FileHandlersTest, QueriesDescribeFilesAndFolders) {
  EXPECT_EQ(GetFileSize(FSettings, "/Music/a.txt"), 3);
  EXPECT_EQ(GetFileSize(FSettings, "/Music/sub"), 0);
  EXPECT_TRUE(FileExistCheck(FSettings, "/Music/a.txt"));
  EXPECT_FALSE(FileExistCheck(FSettings, "/Music/sub"));
  EXPECT_FALSE(FileExistCheck(FSettings, "/Music/none"));
  EXPECT_EQ(RefusalOf([&] { FileExistCheck(FSettings, "/Nope/a.txt"); }), "Access denied.");
  EXPECT_FALSE(FileExistCheck(FSettings, "/"));
  SetModifiedTime(FSettings, "/Music/sub", Date(1999, 12, 31));
  EXPECT_EQ(GetFileDate(FSettings, "/Music/sub"), Date(1999, 12, 31));
}

TEST_F(FileHandlersTest, HiddenFilesCanBeRetrievedByName) {
  auto stream = RetrieveFile(FSettings, "/Music/.hidden");
  char c = 0;
  EXPECT_EQ(stream->Read(&c, 1), 1u);
  EXPECT_EQ(c, 'h');
}

TEST_F(FileHandlersTest, StoreCreatesReplacesAppendsAndResumes) {
  StoreFile(FSettings, "/Music/new.txt", false)->Write("new", 3);
  EXPECT_EQ(FTree.ReadFile("music/new.txt"), "new");
  StoreFile(FSettings, "/Music/a.txt", false)->Write("b", 1);
  EXPECT_EQ(FTree.ReadFile("music/a.txt"), "b");
  {
    auto stream = StoreFile(FSettings, "/Music/a.txt", true);
    stream->Seek(stream->Size());
    stream->Write("cd", 2);
  }
  EXPECT_EQ(FTree.ReadFile("music/a.txt"), "bcd");
  {
    auto stream = StoreFile(FSettings, "/Music/a.txt", false, true);
    EXPECT_EQ(stream->Size(), 3);
    stream->Seek(1);
    stream->Write("XY", 2);
  }
  EXPECT_EQ(FTree.ReadFile("music/a.txt"), "bXY");
  StoreFile(FSettings, "/Music/resumed.txt", false, true)->Write("r", 1);
  EXPECT_EQ(FTree.ReadFile("music/resumed.txt"), "r");
}

TEST_F(FileHandlersTest, StreamOpenFailuresCarryTheLocalPathAndTheSystemText) {
  const std::string missing = FTree.Path("music/none");
  EXPECT_EQ(RefusalOf([&] { StoreFile(FSettings, "/Music/none", true); }),
            "!Cannot open file \"" + missing + "\". " + std::strerror(ENOENT));
  EXPECT_FALSE(FTree.Exists("music/none"));
  EXPECT_EQ(RefusalOf([&] { StoreFile(FSettings, "/Music/sub", false); }),
            "!Cannot create file \"" + FTree.Path("music/sub") + "\". " + std::strerror(EISDIR));
  EXPECT_EQ(RefusalOf([&] { StoreFile(FSettings, "/Music/no/such/folder", false); }),
            "!Cannot create file \"" + FTree.Path("music/no/such/folder") + "\". " + std::strerror(ENOENT));
}

TEST_F(FileHandlersTest, AFileInTransferIsLockedAgainstEveryOtherSession) {
  auto first = RetrieveFile(FSettings, "/Music/a.txt");
  const std::string local = FTree.Path("music/a.txt");
  const std::string busy = std::string("\". ") + std::strerror(EWOULDBLOCK);
  EXPECT_EQ(RefusalOf([&] { RetrieveFile(FSettings, "/Music/a.txt"); }), "!Cannot open file \"" + local + busy);
  EXPECT_EQ(RefusalOf([&] { StoreFile(FSettings, "/Music/a.txt", true); }), "!Cannot open file \"" + local + busy);
  EXPECT_EQ(RefusalOf([&] { StoreFile(FSettings, "/music/A.txt/../a.txt", false); }),
            "!Cannot create file \"" + local + busy);
  EXPECT_EQ(FTree.ReadFile("music/a.txt"), "aaa");
  first.reset();
  EXPECT_EQ(RetrieveFile(FSettings, "/Music/a.txt")->Size(), 3);
}

TEST_F(FileHandlersTest, DeleteAndRemoveTakeFoldersWithTheirContents) {
  DeleteFile(FSettings, "/Music/a.txt");
  EXPECT_FALSE(FTree.Exists("music/a.txt"));
  DeleteFile(FSettings, "/Music/sub");
  EXPECT_FALSE(FTree.Exists("music/sub"));
  FTree.MakeFolder("music/other/inner");
  RemoveDirectory(FSettings, "/Music/other");
  EXPECT_FALSE(FTree.Exists("music/other"));
  EXPECT_TRUE(FTree.Exists("secret.txt"));
}

TEST_F(FileHandlersTest, DeletingAnAliasFolderLeavesTheAliasWithoutAFolder) {
  DeleteFile(FSettings, "/Music");
  EXPECT_FALSE(FTree.Exists("music"));
  EXPECT_TRUE(FTree.Exists("video/a.txt"));
  EXPECT_TRUE(FTree.Exists("secret.txt"));
  EXPECT_EQ(RefusalOf([&] { ChangeDirectory(FSettings, "/Music"); }), "Not found.");
}

TEST_F(FileHandlersTest, RenameMovesAcrossAliasesAndOverwrites) {
  RenameFile(FSettings, "/Music/a.txt", "/Video/a.txt");
  EXPECT_FALSE(FTree.Exists("music/a.txt"));
  EXPECT_EQ(FTree.ReadFile("video/a.txt"), "aaa");
  RenameFile(FSettings, "/Music/sub", "/Video/moved");
  EXPECT_EQ(FTree.ReadFile("video/moved/deep/f"), "f");
}

TEST_F(FileHandlersTest, MakeDirectoryCreatesEveryMissingParent) {
  MakeDirectory(FSettings, "/Music/a/b/c");
  EXPECT_EQ(RefusalOf([&] { ChangeDirectory(FSettings, "/Music/a/b/c"); }), "");
}

// Paths that try to climb out of the served folders towards the sentinel beside them.
class TraversalTest : public FileHandlersTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(TraversalTest, NoHandlerEverReachesOutsideTheAliasFolders) {
  const std::string path = GetParam();
  const std::string before = FTree.Snapshot();
  const std::vector<std::pair<const char*, std::function<void()>>> operations = {
      {"CWD", [&] { ChangeDirectory(FSettings, path); }},
      {"RETR", [&] { RetrieveFile(FSettings, path); }},
      {"STOR", [&] { StoreFile(FSettings, path, false); }},
      {"STOR resumed", [&] { StoreFile(FSettings, path, false, true); }},
      {"APPE", [&] { StoreFile(FSettings, path, true); }},
      {"DELE", [&] { DeleteFile(FSettings, path); }},
      {"RNFR", [&] { RenameFile(FSettings, path, "/Music/stolen"); }},
      {"RNTO", [&] { RenameFile(FSettings, "/Music/a.txt", path); }},
      {"MKD", [&] { MakeDirectory(FSettings, path); }},
      {"RMD", [&] { RemoveDirectory(FSettings, path); }},
      {"SIZE", [&] { GetFileSize(FSettings, path); }},
      {"MDTM", [&] { GetFileDate(FSettings, path); }},
      {"MFMT", [&] { SetModifiedTime(FSettings, path, Date(1990, 1, 1)); }},
      {"MFCT", [&] { SetCreationTime(FSettings, path, Date(1990, 1, 1)); }},
  };
  for (const auto& [name, operation] : operations) EXPECT_EQ(RefusalOf(operation), "Access denied.") << name;
  EXPECT_EQ(RefusalOf([&] { FileExistCheck(FSettings, path); }), "Access denied.");
  EXPECT_EQ(FTree.Snapshot(), before);
  EXPECT_EQ(FTree.ReadFile("secret.txt"), "top secret");
  platform::TFindData secret;
  ASSERT_TRUE(platform::FindEntry(FTree.Path("secret.txt"), secret));
  EXPECT_NE(platform::DateTimeFromFileTime(secret.LastWriteTime), Date(1990, 1, 1));
}

INSTANTIATE_TEST_SUITE_P(Climbs, TraversalTest,
                         ::testing::Values("/Music/'/../../secret.txt", "/Music/\"/../../secret.txt\"",
                                           "/Music/'\\..\\..\\secret.txt", "/Music/sub/'/../../../secret.txt",
                                           "/Music/x/'/../../../secret.txt'", "/Video/'/../../secret.txt",
                                           "/Music/'/../../../../../../etc/passwd",
                                           std::string("/Music/\0/../secret.txt", 22), "/../secret.txt",
                                           "/secret.txt"));

}  // namespace
}  // namespace kobix::service
