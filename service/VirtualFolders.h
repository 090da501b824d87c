#pragma once

#include <string>
#include <vector>

namespace kobix::service {

/// One virtual folder: the top-level name clients see, and the local folder it maps to.
struct TFTPDirectoryAlias {
  std::string Alias;
  std::string Path;
};

}  // namespace kobix::service
