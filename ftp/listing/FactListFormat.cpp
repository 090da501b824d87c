#include "ftp/listing/FactListFormat.h"

#include <cstdio>

namespace kobix::ftp {

std::string FormatFactTime(platform::TDateTime AUTC) {
  const platform::TDateTimeFields f = platform::DecodeDateTime(AUTC);
  char text[48];
  int length = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", f.Year, f.Month, f.Day, f.Hour,
                             f.Minute, f.Second);
  if (f.Millisecond != 0 && length > 0 && static_cast<size_t>(length) < sizeof text)
    std::snprintf(text + length, sizeof text - length, ".%03d", f.Millisecond);
  return text;
}

platform::TDateTime FactTimeOf(const TIdFTPListOutputItem& AItem, const TListingClock& AClock) {
  if (AItem.FModifiedDateGMT.Milliseconds != 0) return AItem.FModifiedDateGMT;
  return platform::AddMinutes(AItem.FModifiedDate, -AClock.UTCOffsetMinutes);
}

std::string FormatFactLine(const TIdFTPListOutputItem& AItem, TIdFTPFactOutputs AFacts, const TListingClock& AClock) {
  if (AFacts.Empty()) return AItem.FFileName;
  std::string line;
  if (AFacts.Contains(Size) && AItem.FSizeAvail) line += "size=" + std::to_string(AItem.FSize) + ';';
  if (AFacts.Contains(ItemType)) {
    const char* type = "file";
    if (IsDirectoryItem(AItem.FItemType)) {
      const std::string name = ShownName(AItem.FFileName);
      type = name == ".." ? "pdir" : name == "." ? "cdir" : "dir";
    }
    line += std::string("type=") + type + ';';
  }
  if (AFacts.Contains(Modify) && AItem.FModifiedAvail) line += "modify=" + FormatFactTime(FactTimeOf(AItem, AClock)) + ';';
  line += ' ';
  line += AItem.FFileName;
  return line;
}

}  // namespace kobix::ftp
