#pragma once

#include <string>
#include <string_view>

#include "ftp/listing/ListItem.h"
#include "ftp/listing/ListingClock.h"

namespace kobix::ftp {

/// Whether a local date counts as recent in the long form, given today's local date: go back six
/// calendar months from today keeping the day number; the date is recent when it is not before
/// that day. Future dates are recent, and so is the date exactly six months ago today.
bool IsRecentListDate(platform::TDateTime ADateLocal, platform::TDateTime ANowLocal);

/// The long form's date column of a local date: "Jan 05 13:45" when recent, "Jan 05  2019"
/// otherwise; with AWithSeconds (the "T" switch) always "Jan 05 13:45:07 2019".
std::string FormatListDate(platform::TDateTime ADateLocal, bool AWithSeconds, platform::TDateTime ANowLocal);

/// The local date an entry shows: FModifiedDateGMT moved to local time when it is set, else
/// FModifiedDate.
platform::TDateTime ListDateOf(const TIdFTPListOutputItem& AItem, const TListingClock& AClock);

/// One line of the Unix "ls -l" style long form, for example
/// "-rw-rw-r--   1 root     root         1234 Jan 05 13:45 a.txt". Directories show size 512;
/// links without their own permissions show rwxrwxr-x. Column widths are minimums: longer values
/// are kept whole.
std::string FormatLongLine(const TIdFTPListOutputItem& AItem, bool AWithSeconds, const TListingClock& AClock);

/// One line of the names form: the name the entry shows.
std::string FormatNameLine(const TIdFTPListOutputItem& AItem);

/// The long form for many entries of one listing: the clock and the six-months limit are worked
/// out once, and each line is written straight into the string it is given.
class TLongListFormatter {
 public:
  TLongListFormatter(const TListingClock& AClock, bool AWithSeconds);

  /// Appends the line of AItem showing AShownName (the last path component of its name).
  void AppendLine(std::string& ALine, const TIdFTPListOutputItem& AItem, std::string_view AShownName) const;
  /// Appends the date column of a local date.
  void AppendDate(std::string& AText, platform::TDateTime ADateLocal) const;
  bool IsRecent(const platform::TDateTimeFields& ADate) const;

 private:
  TListingClock FClock;
  bool FWithSeconds;
  int FLimitYear, FLimitMonth, FLimitDay;  // six calendar months before today
};

}  // namespace kobix::ftp
