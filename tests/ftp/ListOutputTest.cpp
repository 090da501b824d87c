#include "ftp/listing/ListOutput.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <random>

#include "ListingTestDates.h"
#include "ftp/listing/DirEntry.h"

namespace kobix::ftp {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::Date;
using testing::FixedClock;

// A listing as the folder handler would fill it for a folder below a drive root.
class ListOutputTest : public ::testing::Test {
 protected:
  void SetUp() override { FOutput.ExportTotalLine = true; }

  TIdFTPListOutputItem& Add(const char* AName, TIdDirItemType AType, int64_t ASize = 0) {
    TIdFTPListOutputItem& item = FOutput.Add();
    item.FileName(AName);
    item.ItemType(AType);
    item.Size(ASize);
    item.ModifiedDate(Date(2026, 1, 5, 13, 45));
    return item;
  }

  std::vector<std::string> Names() { return FOutput.NLISTOutputDir(FixedClock()); }

  TIdFTPListOutput FOutput;
};

TEST_F(ListOutputTest, EmptyFolderGivesOnlyTheTotalLine) {
  EXPECT_THAT(FOutput.LISTOutputDir(FixedClock()), ElementsAre("total 0"));
  EXPECT_THAT(Names(), IsEmpty());
  FOutput.Switches = "l";
  EXPECT_THAT(Names(), ElementsAre("total 0"));
  FOutput.ExportTotalLine = false;
  EXPECT_THAT(FOutput.LISTOutputDir(FixedClock()), IsEmpty());
}

TEST_F(ListOutputTest, LongFormListsSortedWithTotalOfListedBlocks) {
  Add("b.txt", ditFile, 10).FNumberBlocks = 3;
  Add("Music", ditDirectory);
  Add("..", ditDirectory).FNumberBlocks = 100;  // hidden without "a", so not counted
  Add("a.txt", ditFile, 20).FNumberBlocks = 4;
  EXPECT_THAT(FOutput.LISTOutputDir(FixedClock()),
              ElementsAre("total 7",
                          "drw-rw-r--   1 root     root          512 Jan 05 13:45 Music",
                          "-rw-rw-r--   1 root     root           20 Jan 05 13:45 a.txt",
                          "-rw-rw-r--   1 root     root           10 Jan 05 13:45 b.txt"));
}

TEST_F(ListOutputTest, LongSwitchChangesNothingForLIST) {
  Add("b", ditFile);
  Add("a", ditDirectory);
  const auto plain = FOutput.LISTOutputDir(FixedClock());
  FOutput.Switches = "l";
  EXPECT_EQ(FOutput.LISTOutputDir(FixedClock()), plain);
}

TEST_F(ListOutputTest, NamesFormGivesBareSortedNamesAndLongWithL) {
  Add("/Music/zeta.mp3", ditFile);
  Add("/Music/alpha", ditDirectory);
  EXPECT_THAT(Names(), ElementsAre("alpha", "zeta.mp3"));
  FOutput.Switches = "l";
  EXPECT_THAT(Names(), ElementsAre("total 0", "drw-rw-r--   1 root     root          512 Jan 05 13:45 alpha",
                                   "-rw-rw-r--   1 root     root            0 Jan 05 13:45 zeta.mp3"));
}

TEST_F(ListOutputTest, DotEntriesOnlyWithA_AndThenFirst) {
  Add("zz", ditFile);
  Add(".profile", ditFile);
  Add("..", ditDirectory);
  Add(".cache", ditDirectory);
  Add(".", ditDirectory);
  Add("Album", ditDirectory);
  EXPECT_THAT(Names(), ElementsAre(".cache", ".profile", "Album", "zz"));
  for (const char* switches : {"a", "la", "laT"}) {
    FOutput.Switches = switches;
    const auto lines = FOutput.NLISTOutputDir(FixedClock());
    std::vector<std::string> names;
    for (const auto& line : lines) names.push_back(line.substr(line.rfind(' ') + 1));
    if (FOutput.Switches.find('l') != std::string::npos) names.erase(names.begin());  // "total 0"
    EXPECT_THAT(names, ElementsAre(".", "..", ".cache", ".profile", "Album", "zz")) << switches;
  }
}

TEST_F(ListOutputTest, CaseDuplicatesAppearOnceInLISTAndNLSTButTwiceInMLSD) {
  Add("readme", ditFile, 1);
  Add("Music", ditDirectory);
  Add("MUSIC", ditDirectory);
  Add("README", ditDirectory);  // directories are added first, so this one wins over the file
  Add("music", ditFile);
  EXPECT_THAT(Names(), ElementsAre("Music", "README"));
  EXPECT_THAT(FOutput.LISTOutputDir(FixedClock()),
              ElementsAre("total 0", "drw-rw-r--   1 root     root          512 Jan 05 13:45 Music",
                          "drw-rw-r--   1 root     root          512 Jan 05 13:45 README"));
  EXPECT_EQ(FOutput.MLISTOutputDir({ItemType}, FixedClock()).size(), 5u);
}

TEST_F(ListOutputTest, OnlyFilesDirectoriesAndLinksAreListed) {
  Add("pipe", ditFIFO);
  Add("sock", ditSocket);
  Add("disk", ditBlockDev);
  Add("tty", ditCharDev);
  Add("link", ditSymbolicLink);
  Add("dirlink", ditSymbolicLinkDir);
  EXPECT_THAT(Names(), ElementsAre("dirlink", "link"));
}

TEST_F(ListOutputTest, MLSDKeepsCollectionOrderAndDotEntries) {
  Add("b.txt", ditFile, 5);
  Add(".", ditDirectory);
  Add("..", ditDirectory);
  Add("A", ditDirectory);
  EXPECT_THAT(FOutput.MLISTOutputDir({ItemType, Size}, FixedClock()),
              ElementsAre("size=5;type=file; b.txt", "size=0;type=cdir; .", "size=0;type=pdir; ..",
                          "size=0;type=dir; A"));
}

TEST_F(ListOutputTest, AddedEntriesKeepTheirAddressWhileMoreAreAdded) {
  TIdFTPListOutputItem& first = FOutput.Add();
  for (int i = 0; i < 1000; ++i) FOutput.Add();
  first.FileName("first");
  EXPECT_EQ(FOutput[0].FFileName, "first");
  EXPECT_EQ(FOutput.Count(), 1001u);
}

// The reference order: the exchange sort of neighbours that the listing order is defined by,
// comparing with the locale's strcoll. SortAscendFName must give exactly this order.
bool ReferenceLess(const std::string& A, const std::string& B) {
  const auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : s[0] == '.' ? 2 : 3; };
  if (rank(A) != rank(B)) return rank(A) < rank(B);
  return std::strcoll(A.c_str(), B.c_str()) < 0;
}

std::vector<std::string> ReferenceSort(std::vector<std::string> ANames) {
  for (size_t pass = 0; pass < ANames.size(); ++pass)
    for (size_t i = 0; i + 1 < ANames.size(); ++i)
      if (ReferenceLess(ANames[i + 1], ANames[i])) std::swap(ANames[i], ANames[i + 1]);
  return ANames;
}

class SortOrderTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    FSaved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, GetParam()) == nullptr) GTEST_SKIP() << GetParam() << " is not installed";
  }
  void TearDown() override { std::setlocale(LC_ALL, FSaved.c_str()); }
  std::string FSaved;
};

TEST_P(SortOrderTest, MatchesTheStableExchangeSort) {
  // Random names over an alphabet with dots, both cases, digits, "_" and a Korean syllable, so
  // dot names, case pairs and multi-byte characters all meet.
  const std::vector<std::string> pieces = {".", "a", "A", "b", "B", "1", "_", "\xEC\x9D\x8C", "z", "-"};
  std::mt19937 random(12345);
  TDirEntry directory;
  TIdFTPListOutputItem item;
  std::vector<std::string> added;
  for (int i = 0; i < 400; ++i) {
    std::string name;
    const int length = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < length; ++k) name += pieces[random() % pieces.size()];
    if (directory.AddFileName(name, item)) added.push_back(name);
  }
  for (const char* dots : {"..", "."})
    if (directory.AddFileName(dots, item)) added.push_back(dots);
  directory.SortAscendFName();
  std::vector<std::string> sorted;
  for (const auto& entry : directory.FileList()) sorted.push_back(entry.FName);
  EXPECT_EQ(sorted, ReferenceSort(added));
  EXPECT_EQ(sorted.front(), ".");
  EXPECT_EQ(sorted[1], "..");
}

INSTANTIATE_TEST_SUITE_P(Locales, SortOrderTest, ::testing::Values("C", "C.UTF-8"),
                         [](const auto& AInfo) { return std::string(AInfo.index == 0 ? "C" : "CUtf8"); });

TEST(DirEntryTest, CLocaleSortsByBytesCaseSensitive) {
  TDirEntry directory;
  TIdFTPListOutputItem item;
  for (const char* name : {"a", "\xEC\x9D\x8C", "_x", "Z", "B", ".b", ".a"}) directory.AddFileName(name, item);
  directory.SortAscendFName();
  std::vector<std::string> sorted;
  for (const auto& entry : directory.FileList()) sorted.push_back(entry.FName);
  EXPECT_THAT(sorted, ElementsAre(".a", ".b", "B", "Z", "_x", "a", "\xEC\x9D\x8C"));
}

TEST(DirEntryTest, EqualKeysKeepTheirOrder) {
  // Text after an embedded NUL does not take part in the collation, so these two compare equal
  // and must stay in the order they were added.
  TDirEntry directory;
  TIdFTPListOutputItem first, second;
  directory.AddFileName(std::string("n\0y", 3), first);
  directory.AddFileName(std::string("n\0x", 3), second);
  directory.AddFileName("m", first);
  directory.SortAscendFName();
  ASSERT_EQ(directory.FileList().size(), 3u);
  EXPECT_EQ(directory.FileList()[1].FItem, &first);
  EXPECT_EQ(directory.FileList()[2].FItem, &second);
}

TEST(DirEntryTest, FirstOfACaseDuplicateWins) {
  TDirEntry directory;
  TIdFTPListOutputItem first, second;
  EXPECT_TRUE(directory.AddFileName("Photos", first));
  EXPECT_FALSE(directory.AddFileName("pHOTOS", second));
  EXPECT_TRUE(directory.AddFileName("Photos2", second));
  ASSERT_EQ(directory.FileList().size(), 2u);
  EXPECT_EQ(directory.FileList()[0].FItem, &first);
  EXPECT_EQ(directory.FileList()[0].FName, "Photos");
}

TEST(DirEntryTest, NonAsciiLettersFoldUnderAUtf8Locale) {
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "C.UTF-8 is not installed";
  EXPECT_EQ(FoldNameCase("\xC3\x89t\xC3\xA9"), FoldNameCase("\xC3\xA9T\xC3\x89"));  // Été / éTÉ
  EXPECT_NE(FoldNameCase("\xEC\x9D\x8C"), FoldNameCase("\xEC\x9D\x8D"));
  EXPECT_EQ(FoldNameCase("a\xFF" "B"), "a\xFF" "b");  // a malformed byte stays as it is
  std::setlocale(LC_CTYPE, saved.c_str());
}

}  // namespace
}  // namespace kobix::ftp
