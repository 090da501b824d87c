#include "ftp/listing/ListSwitches.h"

namespace kobix::ftp {

TListParameter SplitListParameter(const std::string& AParameter) {
  if (AParameter.empty() || AParameter.front() != '-') return TListParameter{{}, AParameter};
  const size_t blank = AParameter.find(' ');
  if (blank == std::string::npos) return TListParameter{AParameter, {}};
  const size_t pathStart = AParameter.find_first_not_of(' ', blank);
  return TListParameter{AParameter.substr(0, blank),
                        pathStart == std::string::npos ? std::string() : AParameter.substr(pathStart)};
}

std::string NormaliseListSwitches(const std::string& AClientSwitches) {
  std::string result;
  for (const char letter : {'l', 'a', 'T'})
    if (AClientSwitches.find(letter) != std::string::npos) result += letter;
  return result;
}

}  // namespace kobix::ftp
