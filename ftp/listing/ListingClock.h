#pragma once

#include "platform/DateTime.h"

namespace kobix::ftp {

/// The moment a listing is made: the local "now" (for the six-months rule of the long form) and
/// the local offset from UTC (for turning local dates into UTC and back). Formatters take it as a
/// parameter so that they are pure functions of their input.
struct TListingClock {
  platform::TDateTime NowLocal;
  int UTCOffsetMinutes = 0;
};

/// The host's clock and current offset, read once.
TListingClock HostListingClock();

}  // namespace kobix::ftp
