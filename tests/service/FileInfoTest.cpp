#include "service/FileInfoUnit.h"

#include <gtest/gtest.h>

#include "common/TempTree.h"

namespace kobix::service {
namespace {

using kobix::testing::TTempTree;

TEST(FileInfoTest, MissingEntriesAreNeitherFilesNorFoldersAndDateFromFileTimeZero) {
  TTempTree tree;
  const TFileInfo info(tree.Path("missing"));
  EXPECT_FALSE(info.IsExists());
  EXPECT_FALSE(info.IsFile());
  EXPECT_FALSE(info.IsDirectory());
  const platform::TDateTimeFields fields = platform::DecodeDateTime(info.LastWriteDateTime());
  EXPECT_EQ(fields.Year, 1601);
  EXPECT_EQ(fields.Month, 1);
  EXPECT_EQ(fields.Day, 1);
  EXPECT_FALSE(info.Delete());
  EXPECT_FALSE(info.MoveTo(tree.Path("elsewhere")));
  EXPECT_FALSE(info.SetLastWriteTime(platform::NowUTC()));
  EXPECT_FALSE(tree.Exists("missing"));
}

TEST(FileInfoTest, TrailingSeparatorIsStrippedOnlyByTheHelper) {
  TTempTree tree;
  tree.MakeFolder("Folder");
  EXPECT_FALSE(TFileInfo(tree.Path("Folder/")).IsExists());
  const TFileInfo info = FileInfoWithoutTrailingSeparator(tree.Path("Folder/"));
  ASSERT_TRUE(info.IsExists());
  EXPECT_TRUE(info.IsDirectory());
  EXPECT_EQ(info.RelativeFileName(), "Folder");
  EXPECT_EQ(info.Size(), 0);
  EXPECT_TRUE(FileInfoWithoutTrailingSeparator("/").IsDirectory());
}

TEST(FileInfoTest, TimesInBothFormsAgreeAndSettingTakesUtc) {
  TTempTree tree;
  tree.WriteFile("f", "xy");
  platform::TDateTime when;
  ASSERT_TRUE(platform::TryEncodeDateTime({2010, 6, 7, 8, 9, 10, 0}, when));
  ASSERT_TRUE(TFileInfo(tree.Path("f")).SetLastWriteTime(when));
  ASSERT_TRUE(TFileInfo(tree.Path("f")).SetLastAccessTime(when));
  const TFileInfo info(tree.Path("f"));
  EXPECT_TRUE(info.IsFile());
  EXPECT_EQ(info.Size(), 2);
  EXPECT_EQ(info.LastWriteDateTime(), when);
  EXPECT_EQ(info.LastAccessDateTime(), when);
  EXPECT_EQ(info.LastWriteTime(), platform::FileTimeFromDateTime(when));
  EXPECT_EQ(info.CreationDateTime(), platform::DateTimeFromFileTime(info.CreationTime()));
  EXPECT_FALSE(info.SetCreationTime(when));
}

}  // namespace
}  // namespace kobix::service
