#include "ftp/listing/FactListFormat.h"

#include "ftp/listing/NumberFormat.h"

namespace kobix::ftp {

void AppendFactTime(std::string& AText, platform::TDateTime AUTC) {
  const platform::TDateTimeFields f = platform::DecodeDateTime(AUTC);
  AppendZeroPadded(AText, f.Year, 4);
  AppendZeroPadded(AText, f.Month, 2);
  AppendZeroPadded(AText, f.Day, 2);
  AppendZeroPadded(AText, f.Hour, 2);
  AppendZeroPadded(AText, f.Minute, 2);
  AppendZeroPadded(AText, f.Second, 2);
  if (f.Millisecond != 0) {
    AText += '.';
    AText += static_cast<char>('0' + f.Millisecond / 100);
    AppendZeroPadded(AText, f.Millisecond % 100, 2);
  }
}

std::string FormatFactTime(platform::TDateTime AUTC) {
  std::string text;
  AppendFactTime(text, AUTC);
  return text;
}

platform::TDateTime FactTimeOf(const TIdFTPListOutputItem& AItem, const TListingClock& AClock) {
  if (AItem.FModifiedDateGMT.Milliseconds != 0) return AItem.FModifiedDateGMT;
  return platform::AddMinutes(AItem.FModifiedDate, -AClock.UTCOffsetMinutes);
}

void AppendFactLine(std::string& ALine, const TIdFTPListOutputItem& AItem, TIdFTPFactOutputs AFacts, const TListingClock& AClock) {
  if (AFacts.Empty()) {
    ALine += AItem.FFileName;
    return;
  }
  if (AFacts.Contains(Size) && AItem.FSizeAvail) {
    char buffer[24];
    ALine += "size=";
    ALine += DecimalText(AItem.FSize, buffer);
    ALine += ';';
  }
  if (AFacts.Contains(ItemType)) {
    std::string_view type = "file";
    if (IsDirectoryItem(AItem.FItemType)) {
      const std::string_view name = ShownNameView(AItem.FFileName);
      type = name == ".." ? "pdir" : name == "." ? "cdir" : "dir";
    }
    ALine += "type=";
    ALine += type;
    ALine += ';';
  }
  if (AFacts.Contains(Modify) && AItem.FModifiedAvail) {
    ALine += "modify=";
    AppendFactTime(ALine, FactTimeOf(AItem, AClock));
    ALine += ';';
  }
  ALine += ' ';
  ALine += AItem.FFileName;
}

std::string FormatFactLine(const TIdFTPListOutputItem& AItem, TIdFTPFactOutputs AFacts, const TListingClock& AClock) {
  std::string line;
  line.reserve(48 + AItem.FFileName.size());
  AppendFactLine(line, AItem, AFacts, AClock);
  return line;
}

}  // namespace kobix::ftp
