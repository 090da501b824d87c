#include "platform/Files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "common/TempTree.h"

namespace kobix::platform {
namespace {

using kobix::testing::TTempTree;

class FilesTest : public ::testing::Test {
 protected:
  TTempTree FTree;
};

TEST_F(FilesTest, FindEntryDescribesFilesFoldersAndSpecialEntries) {
  FTree.WriteFile("file.txt", "12345");
  FTree.WriteFile(".hidden", "x");
  FTree.MakeFolder("folder");
  ASSERT_EQ(mkfifo(FTree.Path("pipe").c_str(), 0600), 0);
  std::filesystem::create_symlink(FTree.Path("folder"), FTree.Path("link"));
  std::filesystem::create_symlink(FTree.Path("nowhere"), FTree.Path("dangling"));

  struct Row {
    const char* Name;
    uint32_t Attributes;
    int64_t Size;
  };
  for (const Row& row : {Row{"file.txt", 0, 5}, Row{".hidden", faHidden, 1}, Row{"folder", faDirectory, 0},
                         Row{"pipe", faSysFile, 0}, Row{"link", faDirectory, 0}, Row{"dangling", faSysFile, -1}}) {
    SCOPED_TRACE(row.Name);
    TFindData data;
    ASSERT_TRUE(FindEntry(FTree.Path(row.Name), data));
    EXPECT_EQ(data.Name, row.Name);
    EXPECT_EQ(data.Attributes, row.Attributes);
    if (row.Size >= 0) {
      EXPECT_EQ(data.Size, row.Size);
    }
    EXPECT_NE(data.LastWriteTime, 0);
    EXPECT_NE(data.CreationTime, 0);
  }
}

TEST_F(FilesTest, FindEntryReportsTheLastWriteTimeAsFileTime) {
  FTree.WriteFile("file.txt", "x");
  // 2021-03-04 05:06:07.5 UTC
  struct timespec times[2] = {{1614834367, 500000000}, {1614834367, 500000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, FTree.Path("file.txt").c_str(), times, 0), 0);
  TFindData data;
  ASSERT_TRUE(FindEntry(FTree.Path("file.txt"), data));
  EXPECT_EQ(data.LastWriteTime, (1614834367LL + 11644473600LL) * 10000000 + 5000000);
  EXPECT_EQ(data.LastAccessTime, data.LastWriteTime);
}

TEST_F(FilesTest, FindEntryDoesNotFindTrailingSeparatorsMissingEntriesOrNul) {
  FTree.MakeFolder("folder");
  for (const std::string& path :
       {FTree.Path("folder/"), FTree.Path("missing"), std::string(), FTree.Path("folder") + std::string(1, '\0')}) {
    TFindData data;
    data.Name = "stale";
    EXPECT_FALSE(FindEntry(path, data)) << path;
    EXPECT_TRUE(data.Name.empty());
  }
}

TEST_F(FilesTest, EnumerateFolderGivesEveryEntryOnceWithDotEntries) {
  FTree.WriteFile("a.txt", "abc");
  FTree.WriteFile(".b", "");
  FTree.MakeFolder("c");
  std::map<std::string, TFindData> seen;
  int calls = 0;
  ASSERT_TRUE(EnumerateFolder(FTree.Root(), [&](const TFindData& data) {
    ++calls;
    seen[data.Name] = data;
  }));
  EXPECT_EQ(calls, 5);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen["."].Attributes, faDirectory);
  EXPECT_EQ(seen[".."].Attributes, faDirectory);
  EXPECT_EQ(seen["a.txt"].Size, 3);
  EXPECT_EQ(seen[".b"].Attributes, faHidden);
  EXPECT_EQ(seen["c"].Attributes, faDirectory);
  EXPECT_FALSE(EnumerateFolder(FTree.Path("missing"), [](const TFindData&) {}));
}

TEST_F(FilesTest, StreamReadsWritesSeeksAndResizes) {
  {
    TFileStream stream(FTree.Path("f"), TFileOpenMode::fomCreate);
    stream.Write("hello world", 11);
    EXPECT_EQ(stream.Size(), 11);
    EXPECT_EQ(stream.Position(), 11);
    stream.SetSize(5);
    EXPECT_EQ(stream.PathName(), FTree.Path("f"));
    EXPECT_GE(stream.Handle(), 0);
  }
  TFileStream stream(FTree.Path("f"), TFileOpenMode::fomRead);
  stream.Seek(1);
  char buffer[16] = {};
  EXPECT_EQ(stream.Read(buffer, sizeof buffer), 4u);
  EXPECT_STREQ(buffer, "ello");
  EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0u);
}

TEST_F(FilesTest, OpenModesTreatExistingAndMissingFilesAsDocumented) {
  FTree.WriteFile("f", "old content");
  { TFileStream stream(FTree.Path("f"), TFileOpenMode::fomOpenOrCreate); }
  EXPECT_EQ(FTree.ReadFile("f"), "old content");
  { TFileStream stream(FTree.Path("f"), TFileOpenMode::fomAppend); }
  EXPECT_EQ(FTree.ReadFile("f"), "old content");
  { TFileStream stream(FTree.Path("f"), TFileOpenMode::fomCreate); }
  EXPECT_EQ(FTree.ReadFile("f"), "");
  { TFileStream stream(FTree.Path("new"), TFileOpenMode::fomOpenOrCreate); }
  EXPECT_TRUE(FTree.Exists("new"));

  for (TFileOpenMode mode : {TFileOpenMode::fomRead, TFileOpenMode::fomAppend}) {
    try {
      TFileStream stream(FTree.Path("missing"), mode);
      ADD_FAILURE() << "opened a missing file";
    } catch (const EFileOpenError& error) {
      EXPECT_EQ(error.Description(), std::strerror(ENOENT));
      EXPECT_EQ(error.PathName(), FTree.Path("missing"));
    }
  }
  EXPECT_FALSE(FTree.Exists("missing"));
}

TEST_F(FilesTest, SecondOpenOfALockedFileFailsAndNeverTruncatesIt) {
  FTree.WriteFile("f", "being read");
  TFileStream reader(FTree.Path("f"), TFileOpenMode::fomRead);
  for (TFileOpenMode mode : {TFileOpenMode::fomRead, TFileOpenMode::fomCreate, TFileOpenMode::fomAppend,
                             TFileOpenMode::fomOpenOrCreate}) {
    try {
      TFileStream second(FTree.Path("f"), mode);
      ADD_FAILURE() << "second open succeeded";
    } catch (const EFileOpenError& error) {
      EXPECT_EQ(error.Description(), std::strerror(EWOULDBLOCK));
    }
  }
  EXPECT_EQ(FTree.ReadFile("f"), "being read");
}

TEST_F(FilesTest, StreamsRefuseFoldersAndFifosWithoutBlocking) {
  FTree.MakeFolder("folder");
  ASSERT_EQ(mkfifo(FTree.Path("pipe").c_str(), 0600), 0);
  for (const char* name : {"folder", "pipe"})
    for (TFileOpenMode mode : {TFileOpenMode::fomRead, TFileOpenMode::fomCreate, TFileOpenMode::fomAppend}) {
      SCOPED_TRACE(name);
      EXPECT_THROW(TFileStream(FTree.Path(name), mode), EFileOpenError);
    }
}

TEST_F(FilesTest, DeleteEntryRemovesFoldersButNotWhatLinksInsidePointTo) {
  FTree.MakeFolder("outside");
  FTree.WriteFile("outside/keep.txt", "keep");
  FTree.MakeFolder("victim/sub");
  FTree.WriteFile("victim/sub/f", "x");
  std::filesystem::create_symlink(FTree.Path("outside"), FTree.Path("victim/link"));
  EXPECT_TRUE(DeleteEntry(FTree.Path("victim")));
  EXPECT_FALSE(FTree.Exists("victim"));
  EXPECT_EQ(FTree.ReadFile("outside/keep.txt"), "keep");
  EXPECT_FALSE(DeleteEntry(FTree.Path("victim")));
}

TEST_F(FilesTest, MoveEntryReplacesFileAndFolderTargets) {
  FTree.WriteFile("a", "new");
  FTree.WriteFile("b", "old");
  EXPECT_TRUE(MoveEntry(FTree.Path("a"), FTree.Path("b")));
  EXPECT_EQ(FTree.ReadFile("b"), "new");
  EXPECT_FALSE(FTree.Exists("a"));

  FTree.MakeFolder("target/inner");
  FTree.WriteFile("target/inner/x", "x");
  EXPECT_TRUE(MoveEntry(FTree.Path("b"), FTree.Path("target")));
  EXPECT_EQ(FTree.ReadFile("target"), "new");

  FTree.MakeFolder("src");
  FTree.WriteFile("src/y", "y");
  FTree.MakeFolder("dst/z");
  EXPECT_TRUE(MoveEntry(FTree.Path("src"), FTree.Path("dst")));
  EXPECT_EQ(FTree.ReadFile("dst/y"), "y");
  EXPECT_FALSE(FTree.Exists("dst/z"));
  EXPECT_EQ(FTree.Snapshot(), "dst\ndst/y\ntarget\n");
}

TEST_F(FilesTest, FailedMoveLosesNothing) {
  FTree.MakeFolder("parent/child");
  FTree.WriteFile("parent/child/f", "f");
  const std::string before = FTree.Snapshot();
  // Into its own subtree, and onto its own ancestor (the target is in the way and holds the source).
  EXPECT_FALSE(MoveEntry(FTree.Path("parent"), FTree.Path("parent/child/inside")));
  EXPECT_FALSE(MoveEntry(FTree.Path("parent/child"), FTree.Path("parent")));
  EXPECT_FALSE(MoveEntry(FTree.Path("missing"), FTree.Path("x")));
  EXPECT_EQ(FTree.Snapshot(), before);
}

TEST_F(FilesTest, MoveEntryCopiesAcrossFileSystems) {
  const std::string other = "/dev/shm";
  struct stat here {}, there {};
  if (stat(FTree.Root().c_str(), &here) != 0 || stat(other.c_str(), &there) != 0 || here.st_dev == there.st_dev)
    GTEST_SKIP() << "no second file system to move to";
  FTree.MakeFolder("tree/sub");
  FTree.WriteFile("tree/sub/f", "payload");
  const std::string target = other + "/kobix-move-" + std::to_string(getpid());
  ASSERT_TRUE(MoveEntry(FTree.Path("tree"), target));
  EXPECT_FALSE(FTree.Exists("tree"));
  TFindData data;
  EXPECT_TRUE(FindEntry(target + "/sub/f", data));
  EXPECT_EQ(data.Size, 7);
  ASSERT_TRUE(MoveEntry(target, FTree.Path("back")));
  EXPECT_EQ(FTree.ReadFile("back/sub/f"), "payload");
}

TEST_F(FilesTest, MakeDirectoriesCreatesParentsAndAcceptsExistingFolders) {
  EXPECT_TRUE(MakeDirectories(FTree.Path("a/b/c")));
  EXPECT_TRUE(std::filesystem::is_directory(FTree.Path("a/b/c")));
  EXPECT_TRUE(MakeDirectories(FTree.Path("a/b")));
  FTree.WriteFile("file", "");
  EXPECT_FALSE(MakeDirectories(FTree.Path("file")));
  EXPECT_FALSE(MakeDirectories(FTree.Path("file/sub")));
}

TEST_F(FilesTest, SettingTimesWritesUtcAndCreationTimeIsRefused) {
  FTree.WriteFile("f", "");
  TDateTime when;
  ASSERT_TRUE(TryEncodeDateTime({2020, 2, 29, 23, 59, 58, 250}, when));
  ASSERT_TRUE(SetLastWriteTime(FTree.Path("f"), when));
  TDateTime before1970;
  ASSERT_TRUE(TryEncodeDateTime({1960, 1, 1, 0, 0, 0, 500}, before1970));
  ASSERT_TRUE(SetLastAccessTime(FTree.Path("f"), before1970));
  TFindData data;
  ASSERT_TRUE(FindEntry(FTree.Path("f"), data));
  EXPECT_EQ(DateTimeFromFileTime(data.LastWriteTime), when);
  EXPECT_EQ(DateTimeFromFileTime(data.LastAccessTime), before1970);
  EXPECT_FALSE(SetCreationTime(FTree.Path("f"), when));
  EXPECT_FALSE(SetLastWriteTime(FTree.Path("missing"), when));
  EXPECT_FALSE(FTree.Exists("missing"));
}

}  // namespace
}  // namespace kobix::platform
