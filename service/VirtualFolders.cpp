#include "service/VirtualFolders.h"

namespace kobix::service {

namespace {

bool IsSeparator(char C) { return C == '/' || C == '\\' || C == '\r' || C == '\n'; }

char LowerASCII(char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; }

// Splits a virtual path into its components. Empty components vanish, leading spaces of a
// component are dropped, and an apostrophe or double quote opens a run (closed by the same
// character or the end of the text) in which separators do not split; the quotes stay in the
// text, and a separator kept inside a run becomes the local "/".
std::vector<std::string> SplitComponents(const std::string& APath) {
  std::vector<std::string> components;
  size_t i = 0;
  const size_t n = APath.size();
  while (i < n) {
    while (i < n && APath[i] == ' ') ++i;
    std::string component;
    char quote = 0;
    for (; i < n; ++i) {
      const char c = APath[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
        component += (c == '\\') ? '/' : c;
        continue;
      }
      if (c == '\'' || c == '"') {
        quote = c;
        component += c;
        continue;
      }
      if (IsSeparator(c)) break;
      component += c;
    }
    if (!component.empty()) components.push_back(std::move(component));
    ++i;  // past the separator
  }
  return components;
}

// Applies the walk from the last component back to the first after the alias: "." is dropped,
// and ".." is dropped together with the one component before it.
std::vector<std::string> WalkTail(const std::vector<std::string>& AComponents) {
  std::vector<std::string> kept;
  bool skip = false;
  for (size_t i = AComponents.size(); i-- > 1;) {
    const std::string& component = AComponents[i];
    if (skip) {
      skip = false;
    } else if (component == "..") {
      skip = true;
    } else if (component != ".") {
      kept.insert(kept.begin(), component);
    }
  }
  return kept;
}

// A kept component may still hold "/" (from a quoted run), and with it "." and "..". Resolves those
// parts so that the local path names no "." or ".." at all; false when a ".." would climb above
// the alias's folder.
bool ResolveInnerParts(const std::vector<std::string>& AComponents, std::vector<std::string>& AParts) {
  for (const std::string& component : AComponents) {
    size_t start = 0;
    while (start <= component.size()) {
      size_t end = component.find('/', start);
      if (end == std::string::npos) end = component.size();
      const std::string part = component.substr(start, end - start);
      start = end + 1;
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        if (AParts.empty()) return false;
        AParts.pop_back();
        continue;
      }
      AParts.push_back(part);
    }
  }
  return true;
}

}  // namespace

bool SameTextASCII(const std::string& A, const std::string& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i)
    if (LowerASCII(A[i]) != LowerASCII(B[i])) return false;
  return true;
}

bool TranslatePath(const TFTPDirectoryAliasList& AAliases, std::string& APath) {
  // A NUL would cut the local path short at the host boundary; no real name holds one.
  if (APath.find('\0') != std::string::npos) return false;
  const std::vector<std::string> components = SplitComponents(APath);
  if (components.empty()) {
    APath = VirtualRootMarker;
    return true;
  }
  const TFTPDirectoryAlias* alias = nullptr;
  for (const TFTPDirectoryAlias& candidate : AAliases) {
    if (SameTextASCII(candidate.Alias, components.front())) {
      alias = &candidate;
      break;
    }
  }
  // An alias without a folder would map onto the host's root; it serves nothing.
  if (alias == nullptr || alias->Path.empty()) return false;

  std::vector<std::string> parts;
  if (!ResolveInnerParts(WalkTail(components), parts)) return false;

  std::string local = alias->Path;
  while (local.size() > 1 && local.back() == '/') local.pop_back();
  for (const std::string& part : parts) {
    if (local.back() != '/') local += '/';
    local += part;
  }
  APath = std::move(local);
  return true;
}

}  // namespace kobix::service
