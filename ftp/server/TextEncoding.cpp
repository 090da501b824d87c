#include "ftp/server/TextEncoding.h"

#include "ftp/server/Utf8.h"

#include <cstdint>

namespace kobix::ftp {

std::string DecodeText(std::string_view ABytes, TIdTextEncoding AEncoding) {
  std::string text;
  text.reserve(ABytes.size());
  if (AEncoding != TIdTextEncoding::encUTF8) {
    for (const char c : ABytes) AppendUtf8Character(text, static_cast<uint8_t>(c));
    return text;
  }
  const std::string bytes(ABytes);
  for (size_t i = 0; i < bytes.size();) {
    const size_t start = i;
    char32_t code;
    if (ReadUtf8Character(bytes, i, code))
      text.append(bytes, start, i - start);
    else
      AppendUtf8Character(text, 0xFFFD);
  }
  return text;
}

std::string EncodeText(std::string_view AText, TIdTextEncoding AEncoding) {
  if (AEncoding == TIdTextEncoding::encUTF8) return std::string(AText);
  const char32_t highest = AEncoding == TIdTextEncoding::encLatin1 ? 0xFF : 0x7F;
  const std::string text(AText);
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t code;
    const bool wellFormed = ReadUtf8Character(text, i, code);
    bytes += wellFormed && code <= highest ? static_cast<char>(code) : '?';
  }
  return bytes;
}

}  // namespace kobix::ftp
