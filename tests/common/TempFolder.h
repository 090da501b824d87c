#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kobix::test {

/// A temporary folder removed with everything in it at the end of the test.
class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kobix-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    FPath = pattern;
  }
  ~TTempFolder() {
    std::error_code error;
    std::filesystem::remove_all(FPath, error);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& AName) const { return FPath + "/" + AName; }

  /// Writes a file below the folder, creating its parent folders.
  void WriteFile(const std::string& AName, const std::string& AContent) const {
    const std::filesystem::path path = *this / AName;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << AContent;
  }

  std::string ReadFile(const std::string& AName) const {
    std::ifstream in(*this / AName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string FPath;
};

}  // namespace kobix::test
