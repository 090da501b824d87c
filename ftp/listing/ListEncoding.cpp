#include "ftp/listing/ListEncoding.h"

#include "ftp/server/Utf8.h"

namespace kobix::ftp {

namespace {

bool IsASCII(const std::string& AText) {
  for (const char c : AText)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

std::string EncodeListingLine(const std::string& ALine, bool AUtf8) {
  if (AUtf8 || IsASCII(ALine)) return ALine;
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

void EncodeListingLines(std::vector<std::string>& ALines, bool AUtf8) {
  if (AUtf8) return;
  for (std::string& line : ALines)
    if (!IsASCII(line)) line = EncodeListingLine(line, false);
}

}  // namespace kobix::ftp
