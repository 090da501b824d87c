#include "ftp/listing/LongListFormat.h"

#include "ftp/listing/NumberFormat.h"

namespace kobix::ftp {

namespace {

constexpr const char* MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

void AppendPermissions(std::string& ALine, const TRareText& AOwn, std::string_view ADefault) {
  AppendPadLeft(ALine, AOwn.empty() ? ADefault : std::string_view(AOwn.str()), 3);
}

void AppendMonth(std::string& AText, int AMonth) {
  // DecodeDateTime always gives 1 to 12; anything else would be a broken date, shown as "???".
  AText += AMonth >= 1 && AMonth <= 12 ? std::string_view(MonthNames[AMonth - 1], 3) : std::string_view("???");
}

}  // namespace

TLongListFormatter::TLongListFormatter(const TListingClock& AClock, bool AWithSeconds)
    : FClock(AClock), FWithSeconds(AWithSeconds) {
  // Six calendar months back; the day number is kept even where that month is shorter, since the
  // comparison is on the fields, not on a real date.
  const platform::TDateTimeFields today = platform::DecodeDateTime(AClock.NowLocal);
  FLimitYear = today.Year;
  FLimitMonth = today.Month - 6;
  if (FLimitMonth < 1) {
    FLimitMonth += 12;
    --FLimitYear;
  }
  FLimitDay = today.Day;
}

bool TLongListFormatter::IsRecent(const platform::TDateTimeFields& ADate) const {
  if (ADate.Year != FLimitYear) return ADate.Year > FLimitYear;
  if (ADate.Month != FLimitMonth) return ADate.Month > FLimitMonth;
  return ADate.Day >= FLimitDay;
}

void TLongListFormatter::AppendDate(std::string& AText, platform::TDateTime ADateLocal) const {
  const platform::TDateTimeFields f = platform::DecodeDateTime(ADateLocal);
  AppendMonth(AText, f.Month);
  AText += ' ';
  AppendZeroPadded(AText, f.Day, 2);
  if (FWithSeconds) {
    AText += ' ';
    AppendZeroPadded(AText, f.Hour, 2);
    AText += ':';
    AppendZeroPadded(AText, f.Minute, 2);
    AText += ':';
    AppendZeroPadded(AText, f.Second, 2);
    AText += ' ';
    AppendZeroPadded(AText, f.Year, 4);
  } else if (IsRecent(f)) {
    AText += ' ';
    AppendZeroPadded(AText, f.Hour, 2);
    AText += ':';
    AppendZeroPadded(AText, f.Minute, 2);
  } else {
    AText += "  ";
    AppendZeroPadded(AText, f.Year, 4);
  }
}

void TLongListFormatter::AppendLine(std::string& ALine, const TIdFTPListOutputItem& AItem, std::string_view AShownName) const {
  const bool directory = IsDirectoryItem(AItem.FItemType);
  const bool link = IsLinkItem(AItem.FItemType);
  const bool plain = !link && AItem.FUnixOwnerPermissions.empty() && AItem.FUnixGroupPermissions.empty() &&
                     AItem.FUnixOtherPermissions.empty() && AItem.FOwnerName.empty() && AItem.FGroupName.empty() &&
                     (AItem.FLinkCount == 0 || AItem.FLinkCount == 1);
  if (plain) {
    // Every entry of this system: no details of its own, so the columns before the size (and a
    // folder's size too) are one of two fixed texts.
    if (directory) {
      ALine += "drw-rw-r--   1 root     root          512 ";
    } else {
      ALine += "-rw-rw-r--   1 root     root     ";
      AppendDecimalPadded(ALine, AItem.FSize, 8);
      ALine += ' ';
    }
  } else {
    ALine += directory ? 'd' : AItem.FItemType == ditSymbolicLink ? 'l' : '-';
    AppendPermissions(ALine, AItem.FUnixOwnerPermissions, link ? "rwx" : "rw-");
    AppendPermissions(ALine, AItem.FUnixGroupPermissions, link ? "rwx" : "rw-");
    AppendPermissions(ALine, AItem.FUnixOtherPermissions, link ? "r-x" : "r--");
    ALine += ' ';
    AppendDecimalPadded(ALine, AItem.FLinkCount == 0 ? 1 : AItem.FLinkCount, 3);
    ALine += ' ';
    const std::string_view owner = AItem.FOwnerName.empty() ? std::string_view("root") : std::string_view(AItem.FOwnerName.str());
    AppendPadRight(ALine, owner, 8);
    ALine += ' ';
    AppendPadRight(ALine, AItem.FGroupName.empty() ? owner : std::string_view(AItem.FGroupName.str()), 8);
    ALine += ' ';
    AppendDecimalPadded(ALine, directory ? int64_t{512} : AItem.FSize, 8);
    ALine += ' ';
  }
  AppendDate(ALine, ListDateOf(AItem, FClock));
  ALine += ' ';
  ALine += AShownName;
}

bool IsRecentListDate(platform::TDateTime ADateLocal, platform::TDateTime ANowLocal) {
  return TLongListFormatter(TListingClock{ANowLocal, 0}, false).IsRecent(platform::DecodeDateTime(ADateLocal));
}

std::string FormatListDate(platform::TDateTime ADateLocal, bool AWithSeconds, platform::TDateTime ANowLocal) {
  std::string text;
  TLongListFormatter(TListingClock{ANowLocal, 0}, AWithSeconds).AppendDate(text, ADateLocal);
  return text;
}

platform::TDateTime ListDateOf(const TIdFTPListOutputItem& AItem, const TListingClock& AClock) {
  if (AItem.FModifiedDateGMT.Milliseconds != 0) return platform::AddMinutes(AItem.FModifiedDateGMT, AClock.UTCOffsetMinutes);
  return AItem.FModifiedDate;
}

std::string FormatLongLine(const TIdFTPListOutputItem& AItem, bool AWithSeconds, const TListingClock& AClock) {
  std::string line;
  TLongListFormatter(AClock, AWithSeconds).AppendLine(line, AItem, ShownNameView(AItem.FFileName));
  return line;
}

std::string FormatNameLine(const TIdFTPListOutputItem& AItem) { return ShownName(AItem.FFileName); }

}  // namespace kobix::ftp
