#include "ftp/data/NumberText.h"

#include "ftp/server/Command.h"
#include "ftp/server/Errors.h"

#include <charconv>
#include <string>

namespace kobix::ftp {

bool TryStrToInt(std::string_view AText, int32_t& AValue) {
  const std::string text = TrimBlanks(AText);
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  if (first == last) return false;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return false;
  AValue = value;
  return true;
}

int32_t StrToInt(std::string_view AText) {
  int32_t value = 0;
  if (!TryStrToInt(AText, value)) throw EConvertError("'" + std::string(AText) + "' is not a valid integer value");
  return value;
}

int64_t IntOrDefault(std::string_view AText, int64_t ADefault) {
  int32_t value = 0;
  return TryStrToInt(AText, value) ? value : ADefault;
}

}  // namespace kobix::ftp
