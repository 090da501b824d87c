#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace kobix::testing {

/// A fresh temporary folder, removed with everything in it when the object goes.
class TTempTree {
 public:
  TTempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kobix-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    FRoot = pattern;
  }
  ~TTempTree() {
    std::error_code ignored;
    std::filesystem::remove_all(FRoot, ignored);
  }
  TTempTree(const TTempTree&) = delete;
  TTempTree& operator=(const TTempTree&) = delete;

  const std::string& Root() const { return FRoot; }
  std::string Path(const std::string& ARelative) const { return FRoot + "/" + ARelative; }

  /// Writes a file, creating its missing parent folders.
  void WriteFile(const std::string& ARelative, const std::string& AContent) const {
    std::filesystem::create_directories(std::filesystem::path(Path(ARelative)).parent_path());
    std::ofstream out(Path(ARelative), std::ios::binary | std::ios::trunc);
    out << AContent;
    if (!out.flush()) throw std::runtime_error("cannot write " + Path(ARelative));
  }
  std::string ReadFile(const std::string& ARelative) const {
    std::ifstream in(Path(ARelative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void MakeFolder(const std::string& ARelative) const { std::filesystem::create_directories(Path(ARelative)); }
  bool Exists(const std::string& ARelative) const {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(Path(ARelative), ignored));
  }

  /// Every path below the root, relative and sorted: a snapshot to compare before and after.
  std::string Snapshot() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(FRoot))
      names.insert(std::filesystem::relative(entry.path(), FRoot).string());
    std::ostringstream out;
    for (const std::string& name : names) out << name << "\n";
    return out.str();
  }

 private:
  std::string FRoot;
};

}  // namespace kobix::testing
