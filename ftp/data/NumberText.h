#pragma once

#include <cstdint>
#include <string_view>

namespace kobix::ftp {

/// The decimal value of a text (blanks around it ignored, an optional sign) when it is a 32-bit
/// signed number; false otherwise.
bool TryStrToInt(std::string_view AText, int32_t& AValue);
/// As TryStrToInt, but a text that is no such number raises EConvertError.
int32_t StrToInt(std::string_view AText);
/// As TryStrToInt, with ADefault for a text that is no such number.
int64_t IntOrDefault(std::string_view AText, int64_t ADefault);

}  // namespace kobix::ftp
