#pragma once

#include <string>
#include <vector>

namespace kobix::ftp {

/// The bytes one listing line goes out as on a data connection (or in STAT's listing). With
/// AUtf8 (the session sent OPTS UTF8 ON) the UTF-8 text goes out unchanged. Otherwise it goes out
/// as US-ASCII: every character without an ASCII form becomes one "?", whatever its length in
/// UTF-8, and so does every byte that is not part of a well-formed UTF-8 character.
std::string EncodeListingLine(const std::string& ALine, bool AUtf8);

/// EncodeListingLine applied to every line in place; lines that are plain ASCII stay untouched.
void EncodeListingLines(std::vector<std::string>& ALines, bool AUtf8);

}  // namespace kobix::ftp
