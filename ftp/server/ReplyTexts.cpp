#include "ftp/server/ReplyTexts.h"

namespace kobix::ftp {

std::string Format(std::string_view APattern, std::string_view AValue) {
  size_t at = APattern.find("%s");
  if (at == std::string_view::npos) at = APattern.find("%d");
  if (at == std::string_view::npos) return std::string(APattern);
  std::string text(APattern.substr(0, at));
  text += AValue;
  text += APattern.substr(at + 2);
  return text;
}

}  // namespace kobix::ftp
