#include "ftp/server/Utf8.h"

namespace kobix::ftp {

bool ReadUtf8Character(const std::string& AText, size_t& APos, char32_t& ACharacter) {
  const auto lead = static_cast<unsigned char>(AText[APos]);
  if (lead < 0x80) {
    ACharacter = lead;
    ++APos;
    return true;
  }
  int length;
  char32_t value;
  char32_t smallest;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, smallest = 0x10000;
  } else {
    ++APos;
    return false;
  }
  if (AText.size() - APos < static_cast<size_t>(length)) {
    ++APos;
    return false;
  }
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(AText[APos + i]);
    if ((next & 0xC0) != 0x80) {
      ++APos;
      return false;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++APos;
    return false;
  }
  ACharacter = value;
  APos += length;
  return true;
}

void AppendUtf8Character(std::string& AText, char32_t c) {
  if (c < 0x80) {
    AText += static_cast<char>(c);
  } else if (c < 0x800) {
    AText += static_cast<char>(0xC0 | (c >> 6));
    AText += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    AText += static_cast<char>(0xE0 | (c >> 12));
    AText += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    AText += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    AText += static_cast<char>(0xF0 | (c >> 18));
    AText += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    AText += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    AText += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace kobix::ftp
