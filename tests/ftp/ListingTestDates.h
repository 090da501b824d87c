#pragma once

#include <stdexcept>

#include "ftp/listing/ListingClock.h"
#include "platform/DateTime.h"

namespace kobix::ftp::testing {

/// A date-time from its fields; throws on a date that does not exist so a typo in a table fails loudly.
inline platform::TDateTime Date(int AYear, int AMonth, int ADay, int AHour = 0, int AMinute = 0, int ASecond = 0,
                                int AMillisecond = 0) {
  platform::TDateTime result;
  if (!platform::TryEncodeDateTime({AYear, AMonth, ADay, AHour, AMinute, ASecond, AMillisecond}, result))
    throw std::invalid_argument("no such date in a test table");
  return result;
}

/// The clock every listing test uses unless it says otherwise: 15 March 2026, 10:00 in Seoul.
inline TListingClock FixedClock() { return TListingClock{Date(2026, 3, 15, 10, 0, 0), 9 * 60}; }

}  // namespace kobix::ftp::testing
