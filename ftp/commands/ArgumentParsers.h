#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ftp/data/ZLibSettings.h"
#include "platform/DateTime.h"

namespace kobix::ftp {

/// The argument of MFF: "name=value;name=value; path".
struct TMFFArguments {
  /// The facts in the order written, without those with an empty value or an empty name.
  std::vector<std::pair<std::string, std::string>> Facts;
  /// The text after the first space, unchanged (empty when there is no space).
  std::string Path;

  /// The value of the first fact with this name, compared without regard to letter case.
  std::optional<std::string> Value(std::string_view AName) const;
};

/// Splits an MFF argument: the text before the first space is cut at ";" into facts ("name=value";
/// a trailing ";" adds nothing), the text after it is the path.
TMFFArguments ParseMFFArguments(std::string_view AArgument);

/// The forms a SITE UTIME argument can take.
enum TSiteUTimeForm { utUnrecognised, utLong, utShort };

/// A parsed SITE UTIME argument. Times are as written; turning the short form's server-local time
/// into UTC is the handler's part.
struct TSiteUTimeArguments {
  TSiteUTimeForm Form = utUnrecognised;
  std::string Path;
  std::string AccessTime;  ///< long form only; checked for shape, never used
  std::optional<platform::TDateTime> ModifiedTime;
  std::optional<platform::TDateTime> CreationTime;  ///< long form with three times only
};

/// Recognises "path... access modify [create] UTC" (long form) or "timestamp path" (short form).
/// Parameters are the argument cut at every space; the path of the long form is the parameters
/// before the first time joined by single spaces. A time that passes the shape check but names no
/// real date raises EConvertError.
TSiteUTimeArguments ParseSiteUTimeArguments(std::string_view AArgument);

/// The outcome of OPTS MODE Z.
struct TModeZOptionsResult {
  bool Accepted = false;   ///< false: refuse with "Invalid %s options"
  TZLibSettings Settings;  ///< the session's settings after the command (unchanged when refused)
};

/// Applies an OPTS MODE Z option list ("LEVEL 5", "ENGINE ZLIB EXTRA ON", or nothing) to ACurrent.
TModeZOptionsResult ApplyModeZOptions(std::string_view AParameters, const TZLibSettings& ACurrent);

/// The three lines of the MODE Z report for a level.
std::vector<std::string> ModeZReportLines(int ALevel);

}  // namespace kobix::ftp
