#pragma once

#include <string>
#include <string_view>

namespace kobix::ftp {

class TIdFTPServerContext;

/// Removes one trailing "/" or "\"; an empty result is "/".
std::string StripTrailingSeparator(std::string_view AText);

/// The relative marker for the parent folder.
std::string ParentMarker();

/// Joins a client's path with the session's working directory. "\" counts as "/". An absolute path
/// is returned as it is; a relative one is joined, doubled separators collapse and each ".." removes
/// one segment (never climbing above the root, so the result always starts with "/"); "." stays.
std::string ResolveVirtualPath(const std::string& ACurrentDir, std::string_view AText);
std::string ResolveVirtualPath(const TIdFTPServerContext& AContext, std::string_view AText);

/// Four replace-all passes: "//" → "/", "\\" → "\", "/\" → "/", "\/" → "/".
std::string CollapseSeparators(std::string_view AText);

}  // namespace kobix::ftp
