#include "platform/Collation.h"

#include <cstring>

namespace kobix::platform {

std::string CollationKey(const std::string& AText) {
  const char* text = AText.c_str();
  // A first guess that fits most locales' keys; strxfrm reports the length it needs when the
  // buffer is too small, and one retry with that length always succeeds.
  std::string key(AText.size() * 4 + 16, '\0');
  size_t needed = std::strxfrm(key.data(), text, key.size());
  if (needed == static_cast<size_t>(-1)) return AText;  // the locale cannot key it: byte order
  if (needed >= key.size()) {
    key.assign(needed + 1, '\0');
    needed = std::strxfrm(key.data(), text, key.size());
  }
  key.resize(needed);
  return key;
}

}  // namespace kobix::platform
