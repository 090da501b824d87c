#include "ftp/listing/LongListFormat.h"

#include <gtest/gtest.h>

#include <functional>

#include "ListingTestDates.h"

namespace kobix::ftp {
namespace {

using testing::Date;
using testing::FixedClock;

struct LongLineCase {
  const char* Name;
  std::function<void(TIdFTPListOutputItem&)> Fill;
  bool WithSeconds;
  const char* Expected;
};

TIdFTPListOutputItem File(const char* AName, int64_t ASize, platform::TDateTime ALocal) {
  TIdFTPListOutputItem item;
  item.FileName(AName);
  item.Size(ASize);
  item.ModifiedDate(ALocal);
  return item;
}

void PrintTo(const LongLineCase& ACase, std::ostream* AOut) { *AOut << ACase.Name; }

class LongLineTest : public ::testing::TestWithParam<LongLineCase> {};

TEST_P(LongLineTest, FormatsTheExactLine) {
  TIdFTPListOutputItem item = File("a.txt", 1234, Date(2026, 1, 5, 13, 45, 7));
  GetParam().Fill(item);
  EXPECT_EQ(FormatLongLine(item, GetParam().WithSeconds, FixedClock()), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LongLineTest,
    ::testing::Values(
        LongLineCase{"RecentFile", [](auto&) {}, false,
                     "-rw-rw-r--   1 root     root         1234 Jan 05 13:45 a.txt"},
        LongLineCase{"FolderShows512", [](auto& i) { i.ItemType(ditDirectory); i.FileName("Music"); i.Size(0); },
                     false, "drw-rw-r--   1 root     root          512 Jan 05 13:45 Music"},
        LongLineCase{"FolderSizeIgnored", [](auto& i) { i.ItemType(ditDirectory); i.Size(99999); }, false,
                     "drw-rw-r--   1 root     root          512 Jan 05 13:45 a.txt"},
        LongLineCase{"OldFileShowsYear", [](auto& i) { i.ModifiedDate(Date(2019, 1, 5, 13, 45)); }, false,
                     "-rw-rw-r--   1 root     root         1234 Jan 05  2019 a.txt"},
        LongLineCase{"SecondsForm", [](auto&) {}, true,
                     "-rw-rw-r--   1 root     root         1234 Jan 05 13:45:07 2026 a.txt"},
        LongLineCase{"SecondsFormOfOldFile", [](auto& i) { i.ModifiedDate(Date(2019, 12, 31, 23, 59, 59)); }, true,
                     "-rw-rw-r--   1 root     root         1234 Dec 31 23:59:59 2019 a.txt"},
        LongLineCase{"FutureDateIsRecent", [](auto& i) { i.ModifiedDate(Date(2027, 6, 1, 12, 0)); }, false,
                     "-rw-rw-r--   1 root     root         1234 Jun 01 12:00 a.txt"},
        LongLineCase{"SixMonthsAgoTodayIsRecent", [](auto& i) { i.ModifiedDate(Date(2025, 9, 15, 0, 0)); }, false,
                     "-rw-rw-r--   1 root     root         1234 Sep 15 00:00 a.txt"},
        LongLineCase{"DayBeforeSixMonthsIsOld", [](auto& i) { i.ModifiedDate(Date(2025, 9, 14, 23, 59)); }, false,
                     "-rw-rw-r--   1 root     root         1234 Sep 14  2025 a.txt"},
        // A UTC date is shown in local time (+09:00 here) and wins over the local date.
        LongLineCase{"UTCDateMovedToLocal",
                     [](auto& i) { i.FModifiedDateGMT = Date(2026, 1, 5, 20, 30); i.ModifiedDate(Date(2000, 1, 1)); },
                     false, "-rw-rw-r--   1 root     root         1234 Jan 06 05:30 a.txt"},
        LongLineCase{"LastPathComponent", [](auto& i) { i.FileName("/Music/sub/b.mp3"); }, false,
                     "-rw-rw-r--   1 root     root         1234 Jan 05 13:45 b.mp3"},
        LongLineCase{"LinkPermissions", [](auto& i) { i.ItemType(ditSymbolicLink); }, false,
                     "lrwxrwxr-x   1 root     root         1234 Jan 05 13:45 a.txt"},
        LongLineCase{"WideValuesAreNotCut",
                     [](auto& i) {
                       i.FOwnerName = "administrator";
                       i.Size(123456789012);
                       i.FLinkCount = 1234;
                     },
                     false, "-rw-rw-r-- 1234 administrator administrator 123456789012 Jan 05 13:45 a.txt"},
        LongLineCase{"OwnDetails",
                     [](auto& i) {
                       i.FUnixOwnerPermissions = "rwx";
                       i.FUnixGroupPermissions = "r-";
                       i.FUnixOtherPermissions = "---";
                       i.FOwnerName = "kim";
                       i.FGroupName = "staff";
                       i.FLinkCount = 2;
                     },
                     false, "-rwx r----   2 kim      staff        1234 Jan 05 13:45 a.txt"},
        LongLineCase{"ZeroDate", [](auto& i) { i.ModifiedDate({}); }, false,
                     "-rw-rw-r--   1 root     root         1234 Dec 30  1899 a.txt"}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

struct RecentCase {
  platform::TDateTime Now;
  platform::TDateTime Date;
  bool Recent;
};

void PrintTo(const RecentCase& ACase, std::ostream* AOut) {
  const auto now = platform::DecodeDateTime(ACase.Now), date = platform::DecodeDateTime(ACase.Date);
  *AOut << "now " << now.Year << "-" << now.Month << "-" << now.Day << ", date " << date.Year << "-" << date.Month
        << "-" << date.Day << " " << date.Hour << ":" << date.Minute;
}

class SixMonthRuleTest : public ::testing::TestWithParam<RecentCase> {};

TEST_P(SixMonthRuleTest, DecidesByCalendarMonthsKeepingTheDay) {
  EXPECT_EQ(IsRecentListDate(GetParam().Date, GetParam().Now), GetParam().Recent);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, SixMonthRuleTest,
    ::testing::Values(
        // Now in March: the limit is 15 September of the year before.
        RecentCase{Date(2026, 3, 15, 10), Date(2025, 9, 15, 0, 0), true},
        RecentCase{Date(2026, 3, 15, 10), Date(2025, 9, 14, 23, 59), false},
        RecentCase{Date(2026, 3, 15, 10), Date(2025, 8, 31), false},
        RecentCase{Date(2026, 3, 15, 10), Date(2025, 10, 1), true},
        RecentCase{Date(2026, 3, 15, 10), Date(2024, 12, 31), false},
        RecentCase{Date(2026, 3, 15, 10), Date(2026, 3, 15, 23, 59), true},
        RecentCase{Date(2026, 3, 15, 10), Date(2031, 1, 1), true},
        // Now in June goes back to December of the year before.
        RecentCase{Date(2026, 6, 10), Date(2025, 12, 10), true},
        RecentCase{Date(2026, 6, 10), Date(2025, 12, 9), false},
        // Now in July stays in the same year.
        RecentCase{Date(2026, 7, 10), Date(2026, 1, 10), true},
        RecentCase{Date(2026, 7, 10), Date(2026, 1, 9), false},
        RecentCase{Date(2026, 7, 10), Date(2025, 12, 31), false},
        // The day number is kept even where it names no real day (31 February): all of
        // February is then old and 1 March is recent.
        RecentCase{Date(2026, 8, 31), Date(2026, 2, 28, 23, 59), false},
        RecentCase{Date(2026, 8, 31), Date(2026, 3, 1), true}));

}  // namespace
}  // namespace kobix::ftp
