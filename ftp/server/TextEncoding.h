#pragma once

#include <string>
#include <string_view>

namespace kobix::ftp {

/// The text encoding of a control connection, used in both directions. Inside the program text is
/// always UTF-8; bytes become text, and text bytes, only here.
enum class TIdTextEncoding { encASCII, encLatin1, encUTF8 };

/// Turns received bytes into UTF-8 text. ISO-8859-1 maps each byte to one character; UTF-8 input
/// keeps its valid sequences and turns each byte of an invalid one into U+FFFD.
std::string DecodeText(std::string_view ABytes, TIdTextEncoding AEncoding);

/// Turns UTF-8 text into bytes. A character the encoding cannot represent becomes "?".
std::string EncodeText(std::string_view AText, TIdTextEncoding AEncoding);

}  // namespace kobix::ftp
