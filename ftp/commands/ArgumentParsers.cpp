#include "ftp/commands/ArgumentParsers.h"

#include "ftp/commands/Timestamps.h"

namespace kobix::ftp {

namespace {

char ToUpperAscii(char AChar) { return AChar >= 'a' && AChar <= 'z' ? static_cast<char>(AChar - 'a' + 'A') : AChar; }

bool SameTextAscii(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i)
    if (ToUpperAscii(A[i]) != ToUpperAscii(B[i])) return false;
  return true;
}

bool IsBlank(char AChar) { return static_cast<unsigned char>(AChar) <= ' '; }

bool IsDecimal(std::string_view AText) {
  if (AText.empty()) return false;
  for (char c : AText)
    if (c < '0' || c > '9') return false;
  return true;
}

// A decimal number, capped at 1000 so that a hostile string of digits cannot overflow.
std::optional<int> SmallDecimal(std::string_view AText) {
  if (!IsDecimal(AText)) return std::nullopt;
  int value = 0;
  for (char c : AText) {
    value = value * 10 + (c - '0');
    if (value > 1000) return 1000;
  }
  return value;
}

std::vector<std::string_view> SplitAt(std::string_view AText, char ASeparator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = AText.find(ASeparator);
    parts.push_back(AText.substr(0, at));
    if (at == std::string_view::npos) return parts;
    AText.remove_prefix(at + 1);
  }
}

// Blank-separated words; runs of blanks count as one separator.
std::vector<std::string_view> Words(std::string_view AText) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < AText.size()) {
    while (i < AText.size() && IsBlank(AText[i])) ++i;
    const size_t start = i;
    while (i < AText.size() && !IsBlank(AText[i])) ++i;
    if (i > start) words.push_back(AText.substr(start, i - start));
  }
  return words;
}

std::string JoinWithSpaces(const std::vector<std::string_view>& AParts, size_t ACount) {
  std::string joined;
  for (size_t i = 0; i < ACount; ++i) {
    if (i > 0) joined += ' ';
    joined.append(AParts[i]);
  }
  return joined;
}

}  // namespace

// ---- MFF -----------------------------------------------------------------------------------------

std::optional<std::string> TMFFArguments::Value(std::string_view AName) const {
  for (const auto& [name, value] : Facts)
    if (SameTextAscii(name, AName)) return value;
  return std::nullopt;
}

TMFFArguments ParseMFFArguments(std::string_view AArgument) {
  TMFFArguments result;
  const size_t space = AArgument.find(' ');
  if (space != std::string_view::npos) result.Path = std::string(AArgument.substr(space + 1));
  for (std::string_view fact : SplitAt(AArgument.substr(0, space), ';')) {
    const size_t equals = fact.find('=');
    if (equals == std::string_view::npos || equals == 0 || equals + 1 == fact.size()) continue;
    result.Facts.emplace_back(std::string(fact.substr(0, equals)), std::string(fact.substr(equals + 1)));
  }
  return result;
}

// ---- SITE UTIME ----------------------------------------------------------------------------------

TSiteUTimeArguments ParseSiteUTimeArguments(std::string_view AArgument) {
  TSiteUTimeArguments result;
  const std::vector<std::string_view> params = SplitAt(AArgument, ' ');
  const size_t n = params.size();
  if (n >= 3 && SameTextAscii(params[n - 1], "UTC") && IsValidMLSTimestamp(params[n - 3])) {
    const bool threeTimes = n >= 4 && IsValidMLSTimestamp(params[n - 4]);
    const size_t firstTime = threeTimes ? n - 4 : n - 3;
    result.Form = utLong;
    result.Path = JoinWithSpaces(params, firstTime);
    result.AccessTime = std::string(params[firstTime]);
    result.ModifiedTime = ParseMLSTimestamp(params[firstTime + 1]);
    if (threeTimes) result.CreationTime = ParseMLSTimestamp(params[firstTime + 2]);
    return result;
  }
  if (!IsValidMLSTimestamp(params[0])) return result;
  result.Form = utShort;
  result.ModifiedTime = ParseMLSTimestamp(params[0]);
  if (const size_t space = AArgument.find(' '); space != std::string_view::npos)
    result.Path = std::string(AArgument.substr(space + 1));
  return result;
}

// ---- OPTS MODE Z ---------------------------------------------------------------------------------

TModeZOptionsResult ApplyModeZOptions(std::string_view AParameters, const TZLibSettings& ACurrent) {
  const std::vector<std::string_view> words = Words(AParameters);
  if (words.empty()) return {true, TZLibSettings{}};
  const TModeZOptionsResult refused{false, ACurrent};
  if (words.size() == 1) return refused;  // the first option has no value

  static constexpr std::string_view Names[] = {"ENGINE", "LEVEL", "METHOD", "BLOCKSIZE", "EXTRA"};
  const size_t pairs = (words.size() + 1) / 2;
  bool accepted = false;
  std::optional<int> level;
  for (size_t i = 0; i < words.size(); i += 2) {
    const std::string_view name = words[i];
    const std::string_view value = i + 1 < words.size() ? words[i + 1] : std::string_view{};
    bool known = false;
    for (std::string_view candidate : Names) known = known || SameTextAscii(name, candidate);
    if (!known) {
      if (pairs == 1) return refused;
      continue;
    }
    if (SameTextAscii(name, "ENGINE")) {
      accepted = true;
    } else if (SameTextAscii(name, "LEVEL")) {
      // Clients may choose levels 0 to 7 only; 8, 9 and anything else leave the level alone.
      if (const std::optional<int> number = SmallDecimal(value); number && *number <= 7) {
        level = *number;
        accepted = true;
      }
    } else if (SameTextAscii(name, "METHOD") || SameTextAscii(name, "BLOCKSIZE")) {
      accepted = accepted || IsDecimal(value);
    } else if (SameTextAscii(value, "ON") || SameTextAscii(value, "OFF")) {  // EXTRA
      accepted = true;
    }
  }
  if (!accepted) return refused;
  TZLibSettings settings = level ? ACurrent : TZLibSettings{};
  if (level) settings.Level = *level;
  return {true, settings};
}

std::vector<std::string> ModeZReportLines(int ALevel) {
  return {"MODE Z ENGINE set to ZLIB.", "MODE Z LEVEL set to " + std::to_string(ALevel) + ".",
          "MODE Z METHOD set to 8."};
}

}  // namespace kobix::ftp
