#include "service/ListingHandler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <set>

#include "common/TempTree.h"
#include "ftp/server/Errors.h"

namespace kobix::service {
namespace {

using kobix::testing::TTempTree;
using platform::TDateTime;

TDateTime Date(int AYear, int AMonth, int ADay, int AHour, int AMinute, int ASecond, int AMillisecond = 0) {
  TDateTime result;
  EXPECT_TRUE(platform::TryEncodeDateTime({AYear, AMonth, ADay, AHour, AMinute, ASecond, AMillisecond}, result));
  return result;
}

// The refusal text ListDirectory raises (always with 550), or "" when it succeeds.
std::string RefusalOf(const std::function<void()>& AOperation) {
  try {
    AOperation();
  } catch (const ftp::EIdReplyError& error) {
    EXPECT_EQ(error.Code(), 550);
    return error.what();
  }
  return "";
}

std::set<std::string> NamesOf(const ftp::TIdFTPListOutput& AListing) {
  std::set<std::string> names;
  for (const auto& item : AListing) names.insert(item.FFileName);
  return names;
}

const ftp::TIdFTPListOutputItem* Find(const ftp::TIdFTPListOutput& AListing, const std::string& AName) {
  const auto found = std::find_if(AListing.begin(), AListing.end(), [&](const auto& AItem) { return AItem.FFileName == AName; });
  return found == AListing.end() ? nullptr : &*found;
}

// One served folder with a file, a subfolder, a hidden file and a named pipe (a system entry),
// and a sentinel beside it that no listing may ever show.
class ListingHandlerTest : public ::testing::Test {
 protected:
  ListingHandlerTest() {
    FTree.WriteFile("secret.txt", "top secret");
    FTree.WriteFile("music-folder/a.txt", "aaa");
    FTree.WriteFile("music-folder/.hidden", "h");
    FTree.MakeFolder("music-folder/sub");
    EXPECT_EQ(mkfifo(FTree.Path("music-folder/pipe").c_str(), 0600), 0);
    FSettings.Aliases = {{"Music", FTree.Path("music-folder")}};
  }

  ftp::TIdFTPListOutput List(const std::string& APath, const std::string& ACommand = "LIST") const {
    ftp::TIdFTPListOutput listing;
    ListDirectory(FSettings, APath, listing, ACommand);
    return listing;
  }

  TTempTree FTree;
  TFileHandlerSettings FSettings;
};

TEST_F(ListingHandlerTest, RootWithoutAliasesIsEmpty) {
  FSettings.Aliases.clear();
  for (const char* command : {"LIST", "NLST", "MLSD", "STAT"}) {
    SCOPED_TRACE(command);
    const ftp::TIdFTPListOutput listing = List("/", command);
    EXPECT_EQ(listing.Count(), 0u);
    EXPECT_EQ(listing.DirFormat, ftp::doUnix);
  }
}

TEST_F(ListingHandlerTest, RootListsEveryAliasAsAFolderEvenMissingOrHidden) {
  FTree.MakeFolder(".hidden-folder");
  FSettings.Aliases = {{"Zeta", FTree.Path(".hidden-folder")},
                       {"Music", FTree.Path("music-folder/")},
                       {"Gone", FTree.Path("no-such-folder")}};
  const ftp::TIdFTPListOutput listing = List("/");
  ASSERT_EQ(listing.Count(), 3u);
  const char* expected[] = {"Zeta", "Music", "Gone"};  // list order, not sorted
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(expected[i]);
    const auto& item = listing[i];
    EXPECT_EQ(item.FFileName, expected[i]);
    EXPECT_EQ(item.FLocalFileName, FSettings.Aliases[i].Path);
    EXPECT_EQ(item.FItemType, ftp::ditDirectory);
    EXPECT_FALSE(item.FSizeAvail);
    EXPECT_TRUE(item.FModifiedAvail);
  }
  const platform::TDateTimeFields missing = platform::DecodeDateTime(listing[2].FModifiedDateGMT);
  EXPECT_EQ(missing.Year, 1601);
  EXPECT_EQ(missing.Month, 1);
  EXPECT_EQ(missing.Day, 1);
  EXPECT_EQ(listing[2].FSize, 0);
  EXPECT_EQ(platform::DecodeDateTime(listing[0].FModifiedDateGMT).Year, platform::DecodeDateTime(platform::NowUTC()).Year);
}

TEST_F(ListingHandlerTest, MLSTOfTheRootDescribesTheRootWithoutSizeOrDate) {
  for (const char* command : {"MLST", "mlst"}) {
    SCOPED_TRACE(command);
    const TDateTime before = platform::NowLocal();
    const ftp::TIdFTPListOutput listing = List("/", command);
    const TDateTime after = platform::NowLocal();
    ASSERT_EQ(listing.Count(), 1u);
    const auto& root = listing[0];
    EXPECT_EQ(root.FFileName, "/");
    EXPECT_EQ(root.FItemType, ftp::ditDirectory);
    EXPECT_EQ(root.FSize, 0);
    EXPECT_FALSE(root.FSizeAvail);
    EXPECT_FALSE(root.FModifiedAvail);
    EXPECT_GE(root.FModifiedDate, before);
    EXPECT_LE(root.FModifiedDate, after);
  }
}

TEST_F(ListingHandlerTest, MLSTDescribesTheEntryUnderTheFileSystemsOwnName) {
  // The alias is matched ignoring case; the name shown is the entry's own, and for the alias
  // folder itself that is the local folder's name, not the alias.
  struct Case {
    const char* Path;
    const char* Name;
    ftp::TIdDirItemType Type;
    int64_t Size;
  };
  for (const Case& c : {Case{"/music/a.txt/", "a.txt", ftp::ditFile, 3}, Case{"/MUSIC/sub/", "sub", ftp::ditDirectory, 0},
                        Case{"/Music/", "music-folder", ftp::ditDirectory, 0}}) {
    SCOPED_TRACE(c.Path);
    const ftp::TIdFTPListOutput listing = List(c.Path, "MLST");
    ASSERT_EQ(listing.Count(), 1u);
    EXPECT_EQ(listing[0].FFileName, c.Name);
    EXPECT_EQ(listing[0].FItemType, c.Type);
    EXPECT_EQ(listing[0].FSize, c.Size);
    EXPECT_TRUE(listing[0].FSizeAvail);
    EXPECT_TRUE(listing[0].FModifiedAvail);
  }
}

TEST_F(ListingHandlerTest, HiddenAndSystemEntriesFollowTheSwitchesDotEntriesAlwaysShow) {
  struct Case {
    bool Hidden, System;
    std::set<std::string> Names;
  };
  const Case cases[] = {
      {false, false, {".", "..", "a.txt", "sub"}},
      {true, false, {".", "..", "a.txt", "sub", ".hidden"}},
      {false, true, {".", "..", "a.txt", "sub", "pipe"}},
      {true, true, {".", "..", "a.txt", "sub", ".hidden", "pipe"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.Hidden) + std::to_string(c.System));
    FSettings.ShowHiddenFiles = c.Hidden;
    FSettings.ShowSystemFiles = c.System;
    const ftp::TIdFTPListOutput listing = List("/Music/");
    EXPECT_EQ(NamesOf(listing), c.Names);
  }
  FSettings.ShowHiddenFiles = FSettings.ShowSystemFiles = false;
  const ftp::TIdFTPListOutput listing = List("/Music/");
  for (const char* folder : {".", "..", "sub"}) {
    SCOPED_TRACE(folder);
    ASSERT_NE(Find(listing, folder), nullptr);
    EXPECT_EQ(Find(listing, folder)->FItemType, ftp::ditDirectory);
  }
  const auto* file = Find(listing, "a.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->FItemType, ftp::ditFile);
  EXPECT_EQ(file->FSize, 3);
  EXPECT_TRUE(file->FSizeAvail);
  EXPECT_TRUE(file->FModifiedAvail);
}

TEST_F(ListingHandlerTest, FolderDatesAreLocalInTwoSecondStepsRootAndMLSTDatesAreUTC) {
  const TDateTime utc = Date(2024, 5, 6, 7, 8, 9, 500);
  ASSERT_TRUE(platform::SetLastWriteTime(FTree.Path("music-folder/a.txt"), utc));
  ASSERT_TRUE(platform::SetLastWriteTime(FTree.Path("music-folder"), utc));
  const int offset = platform::CurrentUTCOffsetMinutes();

  const ftp::TIdFTPListOutput folder = List("/Music");
  const auto* listed = Find(folder, "a.txt");
  ASSERT_NE(listed, nullptr);
  EXPECT_EQ(listed->FModifiedDate, platform::AddMinutes(Date(2024, 5, 6, 7, 8, 8), offset));
  EXPECT_EQ(listed->FModifiedDateGMT, TDateTime{});

  // Read straight from the file system, UTC, in the UTC field.
  const ftp::TIdFTPListOutput root = List("/");
  ASSERT_EQ(root.Count(), 1u);
  EXPECT_EQ(root[0].FModifiedDateGMT, utc);

  const ftp::TIdFTPListOutput entry = List("/Music/a.txt/", "MLST");
  ASSERT_EQ(entry.Count(), 1u);
  EXPECT_EQ(entry[0].FModifiedDateGMT, utc);
}

TEST_F(ListingHandlerTest, RefusalsNameTheReason) {
  struct Case {
    const char* Path;
    const char* Command;
    const char* Refusal;
  };
  const Case cases[] = {
      {"/Music/a.txt/", "LIST", "Access denied."},  // a file is not listed
      {"/Music/a.txt/", "NLST", "Access denied."},
      {"/Music/a.txt/", "MLSD", "Access denied."},
      {"/Music/a.txt/", "STAT", "Access denied."},
      {"/Music/missing/", "LIST", "Not found."},
      {"/Music/missing/", "MLST", "Not found."},
      {"/Other/", "LIST", "Access denied."},  // no such alias
      {"/Other/", "MLST", "Access denied."},
      {"/Music/../secret.txt/", "MLST", "Not found."},  // ".." stays inside the alias folder
      {"/Music/../secret.txt/", "LIST", "Not found."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Command) + " " + c.Path);
    ftp::TIdFTPListOutput listing;
    EXPECT_EQ(RefusalOf([&] { ListDirectory(FSettings, c.Path, listing, c.Command); }), c.Refusal);
    for (const auto& item : listing) EXPECT_NE(item.FFileName, "secret.txt");
  }
}

TEST_F(ListingHandlerTest, AFolderThatCannotBeReadIsRefusedNotShownEmpty) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser reads every folder";
  FTree.MakeFolder("music-folder/locked");
  ASSERT_EQ(chmod(FTree.Path("music-folder/locked").c_str(), 0), 0);
  EXPECT_EQ(RefusalOf([&] { List("/Music/locked/"); }), "Access denied.");
  chmod(FTree.Path("music-folder/locked").c_str(), 0700);
}

TEST_F(ListingHandlerTest, AnEmptyFolderGivesJustItsDotEntries) {
  FTree.MakeFolder("music-folder/empty");
  EXPECT_EQ(NamesOf(List("/Music/empty/")), (std::set<std::string>{".", ".."}));
}

}  // namespace
}  // namespace kobix::service
