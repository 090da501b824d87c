#include "ftp/listing/ListingClock.h"

namespace kobix::ftp {

TListingClock HostListingClock() {
  // Read the offset once and derive local time from it, so both halves agree even across a
  // daylight-saving change between two calls.
  const int offset = platform::CurrentUTCOffsetMinutes();
  return TListingClock{platform::AddMinutes(platform::NowUTC(), offset), offset};
}

}  // namespace kobix::ftp
