#pragma once

#include <string>

namespace kobix::ftp {

/// Reads the character that starts at APos in a UTF-8 text and moves APos past it. Returns false
/// (and moves one byte on) when the bytes there are not a well-formed UTF-8 character: a stray
/// continuation byte, a truncated or overlong sequence, a surrogate or a value above U+10FFFF.
bool ReadUtf8Character(const std::string& AText, size_t& APos, char32_t& ACharacter);

/// Appends one character in UTF-8.
void AppendUtf8Character(std::string& AText, char32_t ACharacter);

}  // namespace kobix::ftp
