#include "ftp/server/TextEncoding.h"

#include <cstdint>

namespace kobix::ftp {

namespace {

void AppendUTF8(std::string& AOut, char32_t ACode) {
  if (ACode < 0x80) {
    AOut += static_cast<char>(ACode);
  } else if (ACode < 0x800) {
    AOut += static_cast<char>(0xC0 | (ACode >> 6));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  } else if (ACode < 0x10000) {
    AOut += static_cast<char>(0xE0 | (ACode >> 12));
    AOut += static_cast<char>(0x80 | ((ACode >> 6) & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  } else {
    AOut += static_cast<char>(0xF0 | (ACode >> 18));
    AOut += static_cast<char>(0x80 | ((ACode >> 12) & 0x3F));
    AOut += static_cast<char>(0x80 | ((ACode >> 6) & 0x3F));
    AOut += static_cast<char>(0x80 | (ACode & 0x3F));
  }
}

// Reads one UTF-8 sequence at APos; returns its length, or 0 when the bytes there are not valid.
size_t ReadUTF8(std::string_view AText, size_t APos, char32_t& ACode) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(AText[i]); };
  const uint8_t lead = byte(APos);
  size_t length;
  char32_t code;
  if (lead < 0x80) return ACode = lead, 1;
  if ((lead & 0xE0) == 0xC0) length = 2, code = lead & 0x1F;
  else if ((lead & 0xF0) == 0xE0) length = 3, code = lead & 0x0F;
  else if ((lead & 0xF8) == 0xF0) length = 4, code = lead & 0x07;
  else return 0;
  if (APos + length > AText.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(APos + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(APos + i) & 0x3F);
  }
  static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  ACode = code;
  return length;
}

}  // namespace

std::string DecodeText(std::string_view ABytes, TIdTextEncoding AEncoding) {
  std::string text;
  text.reserve(ABytes.size());
  if (AEncoding != TIdTextEncoding::encUTF8) {
    for (const char c : ABytes) AppendUTF8(text, static_cast<uint8_t>(c));
    return text;
  }
  for (size_t i = 0; i < ABytes.size();) {
    char32_t code;
    const size_t length = ReadUTF8(ABytes, i, code);
    if (length == 0) {
      AppendUTF8(text, 0xFFFD);
      ++i;
    } else {
      text.append(ABytes.substr(i, length));
      i += length;
    }
  }
  return text;
}

std::string EncodeText(std::string_view AText, TIdTextEncoding AEncoding) {
  if (AEncoding == TIdTextEncoding::encUTF8) return std::string(AText);
  const char32_t highest = AEncoding == TIdTextEncoding::encLatin1 ? 0xFF : 0x7F;
  std::string bytes;
  bytes.reserve(AText.size());
  for (size_t i = 0; i < AText.size();) {
    char32_t code;
    const size_t length = ReadUTF8(AText, i, code);
    bytes += length != 0 && code <= highest ? static_cast<char>(code) : '?';
    i += length != 0 ? length : 1;
  }
  return bytes;
}

}  // namespace kobix::ftp
