#pragma once

#include <string>
#include <vector>

namespace kobix::service {

/// One virtual folder: the top-level directory name clients see (matched ignoring the case of
/// ASCII letters) and the local folder it maps to (with or without a trailing "/").
struct TFTPDirectoryAlias {
  std::string Alias;
  std::string Path;

  friend bool operator==(const TFTPDirectoryAlias&, const TFTPDirectoryAlias&) = default;
};

/// The ordered alias list; the first of several equal aliases wins every lookup.
using TFTPDirectoryAliasList = std::vector<TFTPDirectoryAlias>;

/// What TranslatePath gives for the root of the virtual tree. It holds a NUL character, which no
/// local path can contain, so it is never mistaken for (or opened as) a real folder.
inline const std::string VirtualRootMarker(1, '\0');

/// Turns a virtual path ("/" and "\" both separate) into a local path below an alias's folder,
/// or into VirtualRootMarker for the virtual root. False, with APath unchanged, when the first
/// component names no alias or the path would lead outside the alias's folder.
bool TranslatePath(const TFTPDirectoryAliasList& AAliases, std::string& APath);

/// True when the two texts are equal ignoring the case of ASCII letters only.
bool SameTextASCII(const std::string& A, const std::string& B);

}  // namespace kobix::service
