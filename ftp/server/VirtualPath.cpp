#include "ftp/server/VirtualPath.h"

#include "ftp/server/FTPContext.h"

namespace kobix::ftp {

namespace {

// Replaces every occurrence left to right, without rescanning what a replacement produced.
std::string ReplaceAll(std::string_view AText, std::string_view AFrom, std::string_view ATo) {
  std::string result;
  size_t start = 0;
  for (size_t at; (at = AText.find(AFrom, start)) != std::string_view::npos; start = at + AFrom.size()) {
    result += AText.substr(start, at - start);
    result += ATo;
  }
  result += AText.substr(start);
  return result;
}

}  // namespace

std::string StripTrailingSeparator(std::string_view AText) {
  std::string text(AText);
  if (!text.empty() && (text.back() == '/' || text.back() == '\\')) text.pop_back();
  return text.empty() ? "/" : text;
}

std::string ParentMarker() { return "..\\"; }

std::string ResolveVirtualPath(const std::string& ACurrentDir, std::string_view AText) {
  const std::string text = ReplaceAll(AText, "\\", "/");
  if (!text.empty() && text.front() == '/') return text;
  const bool trailingSeparator = text.empty() || text.back() == '/';
  std::string joined = ACurrentDir;
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += text;

  std::string result;
  for (size_t i = 0; i < joined.size(); ++i) {
    const char c = joined[i];
    if (c == '/') {
      if (i == 0)
        result = "/";
      else if (result.empty() || result.back() != '/')
        result += '/';
    } else if (c == '.' && !result.empty() && result.back() == '/' && i + 1 < joined.size() && joined[i + 1] == '.') {
      // ".." removes the last segment; only the two dots are tested. At the root it stays at the
      // root, so the result always starts with "/" (a working directory never turns relative).
      result.pop_back();
      while (!result.empty() && result.back() != '/') result.pop_back();
      if (result.empty()) result = "/";
      ++i;
    } else {
      result += c;
    }
  }
  if (result != "/" && !result.empty() && result.back() == '/' && !trailingSeparator) result.pop_back();
  return result;
}

std::string ResolveVirtualPath(const TIdFTPServerContext& AContext, std::string_view AText) {
  return ResolveVirtualPath(AContext.FCurrentDir, AText);
}

std::string CollapseSeparators(std::string_view AText) {
  std::string text = ReplaceAll(AText, "//", "/");
  text = ReplaceAll(text, "\\\\", "\\");
  text = ReplaceAll(text, "/\\", "/");
  return ReplaceAll(text, "\\/", "/");
}

}  // namespace kobix::ftp
