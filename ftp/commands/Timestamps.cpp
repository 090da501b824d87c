#include "ftp/commands/Timestamps.h"

#include <cstdio>

#include "ftp/server/Errors.h"

namespace kobix::ftp {

namespace {

bool IsDigit(char AChar) { return AChar >= '0' && AChar <= '9'; }

bool AllDigits(std::string_view AText) {
  if (AText.empty()) return false;
  for (char c : AText)
    if (!IsDigit(c)) return false;
  return true;
}

// The field at [AStart, AStart + ALength) as a number; 0 when it is cut short or not all digits.
int FieldAt(std::string_view AText, size_t AStart, size_t ALength) {
  if (AStart >= AText.size()) return 0;
  const std::string_view field = AText.substr(AStart, ALength);
  if (field.size() != ALength || !AllDigits(field)) return 0;
  int value = 0;
  for (char c : field) value = value * 10 + (c - '0');
  return value;
}

// A digit string read as milliseconds. Values past 999 are all equally impossible, so reading
// stops growing there instead of overflowing on a hostile fraction of thousands of digits.
int FractionMilliseconds(std::string_view AText) {
  if (!AllDigits(AText)) return 0;
  int value = 0;
  for (char c : AText) {
    value = value * 10 + (c - '0');
    if (value > 999) return 1000;
  }
  return value;
}

}  // namespace

platform::TDateTime ParseMLSTimestamp(std::string_view AText) {
  platform::TDateTimeFields fields;
  fields.Year = FieldAt(AText, 0, 4);
  fields.Month = FieldAt(AText, 4, 2);
  fields.Day = FieldAt(AText, 6, 2);
  fields.Hour = FieldAt(AText, 8, 2);
  fields.Minute = FieldAt(AText, 10, 2);
  fields.Second = FieldAt(AText, 12, 2);
  fields.Millisecond = 0;
  if (const size_t dot = AText.find('.'); dot != std::string_view::npos)
    fields.Millisecond = FractionMilliseconds(AText.substr(dot + 1));
  platform::TDateTime result;
  if (!platform::TryEncodeDateTime(fields, result)) throw EConvertError("Invalid argument to date encode");
  return result;
}

std::string FormatMLSTimestamp(platform::TDateTime AValue) {
  const platform::TDateTimeFields f = platform::DecodeDateTime(AValue);
  char text[64];
  int length = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", f.Year, f.Month, f.Day, f.Hour,
                             f.Minute, f.Second);
  if (f.Millisecond != 0 && length > 0 && static_cast<size_t>(length) < sizeof text)
    length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length), ".%03d", f.Millisecond);
  return std::string(text, static_cast<size_t>(length > 0 ? length : 0));
}

bool IsValidMLSTimestamp(std::string_view AText) {
  if (AText.size() < 14 || !AllDigits(AText.substr(0, 14))) return false;
  const std::string_view rest = AText.substr(14);
  if (!rest.empty() && (rest[0] != '.' || !AllDigits(rest.substr(1)))) return false;
  const int month = FieldAt(AText, 4, 2), day = FieldAt(AText, 6, 2), hour = FieldAt(AText, 8, 2);
  const int minute = FieldAt(AText, 10, 2), second = FieldAt(AText, 12, 2);
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 24 && minute <= 59 && second <= 59;
}

std::optional<TMDTMTimestamp> ParseMDTMCandidate(std::string_view AWord) {
  std::string_view digits = AWord;
  std::optional<int64_t> offset;
  if (const size_t sign = AWord.find_first_of("+-"); sign != std::string_view::npos) {
    const std::string_view minutes = AWord.substr(sign + 1);
    if (!AllDigits(minutes) || minutes.size() > 9) return std::nullopt;
    int64_t value = 0;
    for (char c : minutes) value = value * 10 + (c - '0');
    offset = AWord[sign] == '-' ? -value : value;
    digits = AWord.substr(0, sign);
  }
  if (digits.size() != 14 || !IsValidMLSTimestamp(digits)) return std::nullopt;
  return TMDTMTimestamp{std::string(digits), offset};
}

}  // namespace kobix::ftp
