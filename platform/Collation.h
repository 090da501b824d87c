#pragma once

#include <string>

namespace kobix::platform {

/// A sort key for a text under the process's collation (LC_COLLATE): comparing two keys bytewise
/// orders the texts exactly as the locale's case-sensitive comparison does. Computing keys once and
/// comparing them is much faster than comparing the texts under the locale again and again.
/// In the "C" locale the key is the text itself, so the order is byte order.
/// A text with an embedded NUL is keyed up to that NUL.
std::string CollationKey(const std::string& AText);

}  // namespace kobix::platform
