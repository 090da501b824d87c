#include "ftp/listing/ListEncoding.h"

#include "ftp/listing/Utf8Reader.h"

namespace kobix::ftp {

std::string EncodeListingLine(const std::string& ALine, bool AUtf8) {
  if (AUtf8) return ALine;
  std::string result;
  result.reserve(ALine.size());
  size_t pos = 0;
  while (pos < ALine.size()) {
    char32_t character = 0;
    const bool wellFormed = ReadUtf8Character(ALine, pos, character);
    result += wellFormed && character < 0x80 ? static_cast<char>(character) : '?';
  }
  return result;
}

}  // namespace kobix::ftp
