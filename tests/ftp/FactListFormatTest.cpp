#include "ftp/listing/FactListFormat.h"

#include <gtest/gtest.h>

#include <functional>

#include "ListingTestDates.h"

namespace kobix::ftp {
namespace {

using testing::Date;
using testing::FixedClock;

const TIdFTPFactOutputs DefaultFacts{ItemType, Modify, Size};

struct FactCase {
  const char* Name;
  std::function<void(TIdFTPListOutputItem&)> Fill;
  TIdFTPFactOutputs Facts;
  int UTCOffsetMinutes;
  const char* Expected;
};

void PrintTo(const FactCase& ACase, std::ostream* AOut) { *AOut << ACase.Name; }

class FactLineTest : public ::testing::TestWithParam<FactCase> {};

TEST_P(FactLineTest, FormatsTheExactLine) {
  TIdFTPListOutputItem item;  // a file of 1234 bytes changed 5 January 2026 13:45 local time
  item.FileName("a.txt");
  item.Size(1234);
  item.ModifiedDate(Date(2026, 1, 5, 13, 45, 0));
  GetParam().Fill(item);
  TListingClock clock = FixedClock();
  clock.UTCOffsetMinutes = GetParam().UTCOffsetMinutes;
  EXPECT_EQ(FormatFactLine(item, GetParam().Facts, clock), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FactLineTest,
    ::testing::Values(
        FactCase{"LocalDateMovedToUTC", [](auto&) {}, DefaultFacts, 540,
                 "size=1234;type=file;modify=20260105044500; a.txt"},
        FactCase{"WestOfUTCCrossesMidnight", [](auto& i) { i.ModifiedDate(Date(2026, 1, 5, 20, 0)); }, DefaultFacts,
                 -300, "size=1234;type=file;modify=20260106010000; a.txt"},
        FactCase{"UTCDateWinsAsItIs", [](auto& i) { i.FModifiedDateGMT = Date(2020, 2, 29, 23, 59, 58); },
                 DefaultFacts, 540, "size=1234;type=file;modify=20200229235958; a.txt"},
        FactCase{"MillisecondsWhenNotZero", [](auto& i) { i.FModifiedDateGMT = Date(2026, 1, 5, 4, 45, 0, 250); },
                 DefaultFacts, 540, "size=1234;type=file;modify=20260105044500.250; a.txt"},
        FactCase{"MillisecondsThreeDigits", [](auto& i) { i.FModifiedDateGMT = Date(2026, 1, 5, 4, 45, 0, 5); },
                 DefaultFacts, 540, "size=1234;type=file;modify=20260105044500.005; a.txt"},
        FactCase{"FolderShowsItsRealSize", [](auto& i) { i.ItemType(ditDirectory); i.FileName("Music"); i.Size(0); },
                 DefaultFacts, 0, "size=0;type=dir;modify=20260105134500; Music"},
        FactCase{"CurrentDirectory", [](auto& i) { i.ItemType(ditDirectory); i.FileName("."); }, {ItemType}, 0,
                 "type=cdir; ."},
        FactCase{"ParentDirectory", [](auto& i) { i.ItemType(ditDirectory); i.FileName(".."); }, {ItemType}, 0,
                 "type=pdir; .."},
        FactCase{"DotFileIsAFile", [](auto& i) { i.FileName("."); }, {ItemType}, 0, "type=file; ."},
        // MLST of the virtual root: neither size nor date is known.
        FactCase{"VirtualRoot",
                 [](auto& i) {
                   i.ItemType(ditDirectory);
                   i.FileName("/");
                   i.Size(0);
                   i.SizeAvail(false);
                   i.ModifiedAvail(false);
                 },
                 DefaultFacts, 540, "type=dir; /"},
        FactCase{"SizeUnknown", [](auto& i) { i.SizeAvail(false); }, DefaultFacts, 0,
                 "type=file;modify=20260105134500; a.txt"},
        FactCase{"SelectionKeepsFixedOrder", [](auto&) {}, {Modify, Size}, 0, "size=1234;modify=20260105134500; a.txt"},
        FactCase{"EmptySelectionIsTheNameAlone", [](auto&) {}, {}, 0, "a.txt"},
        FactCase{"NameAsItStands", [](auto& i) { i.FileName("sub dir/\xEC\x9D\x8C.mp3"); }, {ItemType}, 0,
                 "type=file; sub dir/\xEC\x9D\x8C.mp3"},
        FactCase{"UnselectableFactsNeverAppear", [](auto&) {}, {Perm, UnixMODE, CreateTime, ItemType}, 0,
                 "type=file; a.txt"}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

}  // namespace
}  // namespace kobix::ftp
