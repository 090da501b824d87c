#include "platform/DateTime.h"

#include <chrono>
#include <ctime>

namespace kobix::platform {

namespace {

// Days between 1970-01-01 and 1899-12-30, the zero point of TDateTime.
constexpr int64_t UnixEpochDays = 25569;
// Days between 1601-01-01 (file time zero) and 1899-12-30.
constexpr int64_t FileTimeEpochDays = 109205;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

bool TryEncodeDateTime(const TDateTimeFields& f, TDateTime& result) {
  if (f.Year < 1 || f.Year > 9999 || f.Month < 1 || f.Month > 12) return false;
  if (f.Day < 1 || f.Day > DaysInMonth(f.Year, f.Month)) return false;
  if (f.Hour < 0 || f.Hour > 23 || f.Minute < 0 || f.Minute > 59 || f.Second < 0 || f.Second > 59 ||
      f.Millisecond < 0 || f.Millisecond > 999)
    return false;
  const int64_t days = DaysFromCivil(f.Year, static_cast<unsigned>(f.Month), static_cast<unsigned>(f.Day)) + UnixEpochDays;
  result.Milliseconds = days * MillisecondsPerDay +
                        ((static_cast<int64_t>(f.Hour) * 60 + f.Minute) * 60 + f.Second) * 1000 + f.Millisecond;
  return true;
}

TDateTimeFields DecodeDateTime(TDateTime value) {
  TDateTimeFields f;
  const int64_t days = FloorDiv(value.Milliseconds, MillisecondsPerDay);
  int64_t rest = value.Milliseconds - days * MillisecondsPerDay;
  CivilFromDays(days - UnixEpochDays, f.Year, f.Month, f.Day);
  f.Millisecond = static_cast<int>(rest % 1000);
  rest /= 1000;
  f.Second = static_cast<int>(rest % 60);
  rest /= 60;
  f.Minute = static_cast<int>(rest % 60);
  f.Hour = static_cast<int>(rest / 60);
  return f;
}

TDateTime DateTimeFromUnixMilliseconds(int64_t unixMs) {
  return TDateTime{unixMs + UnixEpochDays * MillisecondsPerDay};
}

int64_t UnixMillisecondsFromDateTime(TDateTime value) {
  return value.Milliseconds - UnixEpochDays * MillisecondsPerDay;
}

TDateTime DateTimeFromFileTime(int64_t fileTime) {
  return TDateTime{FloorDiv(fileTime, 10000) - FileTimeEpochDays * MillisecondsPerDay};
}

int64_t FileTimeFromDateTime(TDateTime value) {
  return (value.Milliseconds + FileTimeEpochDays * MillisecondsPerDay) * 10000;
}

TDateTime NowUTC() {
  using namespace std::chrono;
  return DateTimeFromUnixMilliseconds(
      duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

TDateTime NowLocal() { return UTCToLocal(NowUTC()); }

int CurrentUTCOffsetMinutes() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<int>(local.tm_gmtoff / 60);
}

TDateTime LocalToUTC(TDateTime local) { return AddMinutes(local, -CurrentUTCOffsetMinutes()); }

TDateTime UTCToLocal(TDateTime utc) { return AddMinutes(utc, CurrentUTCOffsetMinutes()); }

}  // namespace kobix::platform
