#include "ftp/listing/ListItem.h"

namespace kobix::ftp {

std::string ShownName(const std::string& AFileName) {
  const size_t end = AFileName.find_last_not_of('/');
  if (end == std::string::npos) return AFileName;
  const size_t slash = AFileName.rfind('/', end);
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  return AFileName.substr(start, end + 1 - start);
}

}  // namespace kobix::ftp
