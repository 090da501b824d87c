#include "ftp/listing/ListItem.h"

namespace kobix::ftp {

std::string ShownName(const std::string& AFileName) { return std::string(ShownNameView(AFileName)); }

std::string_view ShownNameView(std::string_view AFileName) {
  const size_t end = AFileName.find_last_not_of('/');
  if (end == std::string_view::npos) return AFileName;
  const size_t slash = AFileName.rfind('/', end);
  const size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  return AFileName.substr(start, end + 1 - start);
}

}  // namespace kobix::ftp
