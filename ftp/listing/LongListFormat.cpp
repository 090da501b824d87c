#include "ftp/listing/LongListFormat.h"

#include <cstdio>

namespace kobix::ftp {

namespace {

constexpr const char* MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string PadLeft(const std::string& AText, size_t AWidth) {
  return AText.size() >= AWidth ? AText : std::string(AWidth - AText.size(), ' ') + AText;
}

std::string PadRight(const std::string& AText, size_t AWidth) {
  return AText.size() >= AWidth ? AText : AText + std::string(AWidth - AText.size(), ' ');
}

std::string PermissionsOr(const std::string& AOwn, const char* ADefault) {
  return PadLeft(AOwn.empty() ? std::string(ADefault) : AOwn, 3);
}

}  // namespace

bool IsRecentListDate(platform::TDateTime ADateLocal, platform::TDateTime ANowLocal) {
  const platform::TDateTimeFields date = platform::DecodeDateTime(ADateLocal);
  const platform::TDateTimeFields today = platform::DecodeDateTime(ANowLocal);
  // Six calendar months back; the day number is kept even where that month is shorter, since the
  // comparison below is on the fields, not on a real date.
  int limitYear = today.Year;
  int limitMonth = today.Month - 6;
  if (limitMonth < 1) {
    limitMonth += 12;
    --limitYear;
  }
  if (date.Year != limitYear) return date.Year > limitYear;
  if (date.Month != limitMonth) return date.Month > limitMonth;
  return date.Day >= today.Day;
}

std::string FormatListDate(platform::TDateTime ADateLocal, bool AWithSeconds, platform::TDateTime ANowLocal) {
  const platform::TDateTimeFields f = platform::DecodeDateTime(ADateLocal);
  char text[64];
  if (AWithSeconds) {
    std::snprintf(text, sizeof text, "%s %02d %02d:%02d:%02d %04d", MonthNames[f.Month - 1], f.Day, f.Hour,
                  f.Minute, f.Second, f.Year);
  } else if (IsRecentListDate(ADateLocal, ANowLocal)) {
    std::snprintf(text, sizeof text, "%s %02d %02d:%02d", MonthNames[f.Month - 1], f.Day, f.Hour, f.Minute);
  } else {
    std::snprintf(text, sizeof text, "%s %02d  %04d", MonthNames[f.Month - 1], f.Day, f.Year);
  }
  return text;
}

platform::TDateTime ListDateOf(const TIdFTPListOutputItem& AItem, const TListingClock& AClock) {
  if (AItem.FModifiedDateGMT.Milliseconds != 0) return platform::AddMinutes(AItem.FModifiedDateGMT, AClock.UTCOffsetMinutes);
  return AItem.FModifiedDate;
}

std::string FormatLongLine(const TIdFTPListOutputItem& AItem, bool AWithSeconds, const TListingClock& AClock) {
  const bool directory = IsDirectoryItem(AItem.FItemType);
  const bool link = IsLinkItem(AItem.FItemType);
  std::string line;
  line += directory ? 'd' : AItem.FItemType == ditSymbolicLink ? 'l' : '-';
  line += PermissionsOr(AItem.FUnixOwnerPermissions, link ? "rwx" : "rw-");
  line += PermissionsOr(AItem.FUnixGroupPermissions, link ? "rwx" : "rw-");
  line += PermissionsOr(AItem.FUnixOtherPermissions, link ? "r-x" : "r--");
  line += ' ';
  line += PadLeft(std::to_string(AItem.FLinkCount == 0 ? 1 : AItem.FLinkCount), 3);
  line += ' ';
  const std::string owner = AItem.FOwnerName.empty() ? std::string("root") : AItem.FOwnerName;
  line += PadRight(owner, 8) + ' ';
  line += PadRight(AItem.FGroupName.empty() ? owner : AItem.FGroupName, 8) + ' ';
  line += PadLeft(std::to_string(directory ? int64_t{512} : AItem.FSize), 8);
  line += ' ';
  line += FormatListDate(ListDateOf(AItem, AClock), AWithSeconds, AClock.NowLocal);
  line += ' ';
  line += ShownName(AItem.FFileName);
  return line;
}

std::string FormatNameLine(const TIdFTPListOutputItem& AItem) { return ShownName(AItem.FFileName); }

}  // namespace kobix::ftp
