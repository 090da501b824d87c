#pragma once

#include <string>

namespace kobix::ftp {

/// The parameter of LIST, NLST or STAT split into the client's switches and the path.
struct TListParameter {
  std::string Switches;  // the first word, "-" included, when the parameter begins with "-"
  std::string Path;      // the rest, without the blanks that separated it from the switches
};

/// Splits a LIST, NLST or STAT parameter: when it begins with "-", its first blank-separated word
/// is the switches text and the rest is the path; otherwise the whole parameter is the path (so a
/// name that begins with "-" can only be listed through a path such as "./-name").
TListParameter SplitListParameter(const std::string& AParameter);

/// The listing letters in force for a client's switches text: "l", "a" and "T", each at most
/// once and in that order, for the letters the text contains. Every other letter (R, t, S, r, 1,
/// C and the rest) has no effect: listings are never recursive and always sorted by name.
std::string NormaliseListSwitches(const std::string& AClientSwitches);

}  // namespace kobix::ftp
