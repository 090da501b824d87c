#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

namespace kobix::ftp {

/// Reads an MLS timestamp "YYYYMMDDHHMMSS[.fraction]". The fields sit at fixed positions; a field
/// that is not all digits (or lies beyond the end of a short text) counts as 0, and everything after
/// the first "." is a whole number of milliseconds (".5" is 5 ms, ".250" is 250 ms). A date or time
/// that does not exist, a fraction of 1000 or more included, raises EConvertError.
platform::TDateTime ParseMLSTimestamp(std::string_view AText);

/// Writes the 14 zero-padded digits, and "." with three digits only when the milliseconds are not 0.
std::string FormatMLSTimestamp(platform::TDateTime AValue);

/// The quick check MDTM and SITE UTIME use to recognise a timestamp: the first 14 characters are
/// digits with month 1-12, day 1-31, hour 0-24, minute 0-59 and second 0-59; anything after them
/// must be a "." followed by digits. It does not check that the date exists (30 February, hour 24):
/// parsing decides that.
bool IsValidMLSTimestamp(std::string_view AText);

/// The offset written after an MDTM timestamp.
struct TMDTMTimestamp {
  std::string Digits;             ///< the 14 digits
  std::optional<int64_t> Offset;  ///< minutes to add ("+N") or subtract ("-N" gives -N); none if absent
};

/// Tells whether the first word of an MDTM argument asks to set the time: 14 digits passing the
/// validity test, optionally followed by "+" or "-" and one to nine digits of minutes. A fraction,
/// an empty offset or any other character makes it an ordinary path.
std::optional<TMDTMTimestamp> ParseMDTMCandidate(std::string_view AWord);

}  // namespace kobix::ftp
