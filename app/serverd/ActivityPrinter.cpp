#include "app/serverd/ActivityPrinter.h"

#include "ftp/server/Reply.h"

namespace kobix::app {

void TActivityPrinter::PrintTrace(const std::string& AText) {
  std::string text = AText;
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  const size_t separator = text.find(" : ");
  std::lock_guard lock(FLock);
  if (separator == std::string::npos) {
    std::fprintf(FOut, "%s\n", text.c_str());
  } else {
    const std::string head = text.substr(0, separator + 3);
    for (const auto& line : ftp::SplitLines(text.substr(separator + 3)))
      if (!line.empty()) std::fprintf(FOut, "%s%s\n", head.c_str(), line.c_str());
  }
  std::fflush(FOut);
}

void TActivityPrinter::PrintLine(const std::string& ALine) {
  std::fprintf(FOut, "%s\n", ALine.c_str());
  std::fflush(FOut);
}

}  // namespace kobix::app
