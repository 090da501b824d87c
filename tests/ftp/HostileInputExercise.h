#pragma once

// Runs one piece of untrusted text through every argument parser and the inflater and checks what
// must hold for any input. Shared by the bounded hostile-input test and the libFuzzer target.

#include <string>
#include <string_view>

#include "ftp/commands/ArgumentParsers.h"
#include "ftp/commands/Timestamps.h"
#include "ftp/data/Compressor.h"
#include "ftp/server/Errors.h"

namespace kobix::ftp::testing {

/// Returns "" when every invariant held, else what broke. Conversion errors and zlib errors are the
/// expected refusals; any other exception escapes to the caller as a failure.
inline std::string ExerciseParsers(std::string_view AInput) {
  try {
    const platform::TDateTime parsed = ParseMLSTimestamp(AInput);
    if (ParseMLSTimestamp(FormatMLSTimestamp(parsed)) != parsed) return "timestamp does not survive formatting";
  } catch (const EConvertError&) {
  }

  if (const auto candidate = ParseMDTMCandidate(AInput)) {
    if (candidate->Digits.size() != 14 || !IsValidMLSTimestamp(candidate->Digits)) return "MDTM candidate digits";
    try {
      ParseMLSTimestamp(candidate->Digits);
    } catch (const EConvertError&) {
    }
  }

  const TMFFArguments mff = ParseMFFArguments(AInput);
  for (const auto& [name, value] : mff.Facts)
    if (name.empty() || value.empty() || name.find_first_of("; =") != std::string::npos) return "MFF fact shape";
  if (mff.Path.size() >= AInput.size() && !AInput.empty()) return "MFF path longer than its argument";

  try {
    const TSiteUTimeArguments utime = ParseSiteUTimeArguments(AInput);
    if (utime.Form != utUnrecognised && !utime.ModifiedTime) return "UTIME form without a time";
    if (utime.Form == utShort && !IsValidMLSTimestamp(AInput.substr(0, AInput.find(' '))))
      return "UTIME short form without a valid first timestamp";
    if (utime.Form == utLong && AInput.size() < 3) return "UTIME long form too short";
  } catch (const EConvertError&) {
  }

  const TZLibSettings current{4, 15, 8, 0};
  const TModeZOptionsResult modeZ = ApplyModeZOptions(AInput, current);
  if (modeZ.Settings.Level < 0 || modeZ.Settings.Level > 7) return "MODE Z level out of range";
  if (!modeZ.Accepted && !(modeZ.Settings == current)) return "refused MODE Z changed the settings";
  if (!(TZLibSettings{modeZ.Settings.Level, 15, 8, 0} == modeZ.Settings)) return "MODE Z changed fixed settings";

  try {
    TZInflater inflater;
    const size_t half = AInput.size() / 2;
    size_t produced = 0;
    const TByteSink count = [&produced](const char*, size_t ASize) { produced += ASize; };
    inflater.Feed(AInput.data(), half, count);
    inflater.Feed(AInput.data() + half, AInput.size() - half, count);
    inflater.Finish();
    if (!inflater.Ended()) return "inflater finished without the end of the stream";
  } catch (const EIdException&) {
  }
  return "";
}

}  // namespace kobix::ftp::testing
