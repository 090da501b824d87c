#pragma once

#include <string>

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

}  // namespace kobix::ftp
