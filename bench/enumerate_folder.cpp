// Measures how long one enumeration of a folder of 100,000 files takes (the listing of a large
// folder waits for it), next to a bare readdir + fstatat loop, the floor any one-lookup-per-entry
// enumeration pays on this host. Prints the times; asserts nothing.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Files.h"

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::string root = (std::filesystem::temp_directory_path() / "kobix-bench-XXXXXX").string();
  if (mkdtemp(root.data()) == nullptr) return 1;
  for (int i = 0; i < count; ++i) std::ofstream(root + "/file-" + std::to_string(i) + ".dat") << "x";
  for (int round = 0; round < 3; ++round) {
    size_t entries = 0;
    const auto start = std::chrono::steady_clock::now();
    kobix::platform::EnumerateFolder(root, [&](const kobix::platform::TFindData&) { ++entries; });
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    size_t bare = 0;
    const auto bareStart = std::chrono::steady_clock::now();
    if (DIR* folder = opendir(root.c_str())) {
      while (const dirent* entry = readdir(folder)) {
        struct stat st {};
        bare += fstatat(dirfd(folder), entry->d_name, &st, 0) == 0;
      }
      closedir(folder);
    }
    const std::chrono::duration<double> bareElapsed = std::chrono::steady_clock::now() - bareStart;
    std::printf("round %d: EnumerateFolder %zu entries in %.3f s; bare readdir+fstatat %zu in %.3f s\n", round + 1,
                entries, elapsed.count(), bare, bareElapsed.count());
  }
  std::filesystem::remove_all(root);
  return 0;
}
