#pragma once

#include <compare>
#include <cstdint>

namespace kobix::platform {

/// A calendar date and time counted in whole milliseconds from 1899-12-30 00:00:00,
/// the zero point the protocol engine compares against ("after 1899-12-30").
/// The value carries no time zone: whether it is local time or UTC is up to the holder.
struct TDateTime {
  int64_t Milliseconds = 0;

  friend bool operator==(TDateTime, TDateTime) = default;
  friend auto operator<=>(TDateTime, TDateTime) = default;
};

/// The broken-down fields of a TDateTime.
struct TDateTimeFields {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

constexpr int64_t MillisecondsPerMinute = 60 * 1000;
constexpr int64_t MillisecondsPerDay = 24 * 60 * MillisecondsPerMinute;

/// Builds a date-time from its fields; false when the fields name no real date or time
/// (month 13, day 0, 30 February, hour 25 and so on). Hour 24 is refused too.
bool TryEncodeDateTime(const TDateTimeFields& AFields, TDateTime& AResult);

/// Splits a date-time into calendar fields (proleptic Gregorian calendar).
TDateTimeFields DecodeDateTime(TDateTime AValue);

/// Conversions to and from the Unix clock (milliseconds since 1970-01-01 UTC).
TDateTime DateTimeFromUnixMilliseconds(int64_t AUnixMilliseconds);
int64_t UnixMillisecondsFromDateTime(TDateTime AValue);

/// Conversions to and from the 64-bit file time: 100-nanosecond units since 1601-01-01.
TDateTime DateTimeFromFileTime(int64_t AFileTime);
int64_t FileTimeFromDateTime(TDateTime AValue);

/// The current time as UTC and as local time.
TDateTime NowUTC();
TDateTime NowLocal();

/// The host's current offset of local time from UTC in whole minutes, negative west of UTC.
int CurrentUTCOffsetMinutes();

/// Shifts by the host's *current* offset from UTC (not the offset in force at that date).
TDateTime LocalToUTC(TDateTime ALocal);
TDateTime UTCToLocal(TDateTime AUTC);

/// Adds a number of minutes.
inline TDateTime AddMinutes(TDateTime AValue, int64_t AMinutes) {
  return TDateTime{AValue.Milliseconds + AMinutes * MillisecondsPerMinute};
}

}  // namespace kobix::platform
