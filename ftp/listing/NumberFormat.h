#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kobix::ftp {

// Small appenders for the listing formatters: they write straight into the line being built, with
// no temporary strings, and give exactly what printf would for the same value.

/// The decimal digits of AValue ("-" first when negative), written at the end of ABuffer; the
/// view points into ABuffer.
std::string_view DecimalText(int64_t AValue, char (&ABuffer)[24]);

/// AValue in decimal, right-aligned in AWidth ("%*lld").
void AppendDecimalPadded(std::string& AText, int64_t AValue, size_t AWidth);

/// AValue with leading zeros to at least ADigits digits ("%0*d"; ADigits is 2 or 4 here).
void AppendZeroPadded(std::string& AText, int AValue, int ADigits);

/// AText padded with blanks to AWidth on the left / on the right; longer text is kept whole.
void AppendPadLeft(std::string& AText, std::string_view AValue, size_t AWidth);
void AppendPadRight(std::string& AText, std::string_view AValue, size_t AWidth);

}  // namespace kobix::ftp
