#include "platform/UserFolders.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kobix::platform {

std::string DocumentsFolder() {
  if (const char* xdg = std::getenv("XDG_DOCUMENTS_DIR"); xdg && *xdg) return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/Documents";
}

bool ForceDirectories(const std::string& APath) {
  std::error_code error;
  std::filesystem::create_directories(APath, error);
  return !error && std::filesystem::is_directory(APath, error);
}

bool FolderExists(const std::string& APath) {
  std::error_code error;
  return std::filesystem::is_directory(APath, error);
}

}  // namespace kobix::platform
