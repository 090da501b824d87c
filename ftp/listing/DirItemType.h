#pragma once

#include <cstdint>

namespace kobix::ftp {

/// What a listing entry is. The folder listing fills only directories and files; the other
/// kinds exist so that the formatters have a defined answer for every entry.
enum TIdDirItemType : uint8_t {
  ditDirectory,
  ditFile,
  ditSymbolicLink,
  ditSymbolicLinkDir,
  ditBlockDev,
  ditCharDev,
  ditFIFO,
  ditSocket,
};

/// Directories and links to directories: listed in the directory group, shown as "d" with size 512.
constexpr bool IsDirectoryItem(TIdDirItemType AType) {
  return AType == ditDirectory || AType == ditSymbolicLinkDir;
}

/// Files and links to files: listed in the file group.
constexpr bool IsFileItem(TIdDirItemType AType) { return AType == ditFile || AType == ditSymbolicLink; }

/// Either kind of link: shown with the link permissions rwxrwxr-x unless the entry carries its own.
constexpr bool IsLinkItem(TIdDirItemType AType) {
  return AType == ditSymbolicLink || AType == ditSymbolicLinkDir;
}

}  // namespace kobix::ftp
