#include "service/ListingHandler.h"

#include "ftp/server/Errors.h"
#include "service/FileInfoUnit.h"

namespace kobix::service {

namespace {

const char* const AccessDenied = "Access denied.";
const char* const NotFound = "Not found.";

[[noreturn]] void Refuse(const char* AText) { throw ftp::EIdReplyError(550, AText); }

bool IsMLST(const std::string& ACommand) { return SameTextASCII(ACommand, "MLST"); }

// A file time as the local date a folder listing shows: moved by the given offset from UTC and cut
// down to the two-second steps in which file dates are kept (odd seconds and milliseconds drop).
platform::TDateTime ListingDate(int64_t AFileTime, int AUTCOffsetMinutes) {
  constexpr int64_t Resolution = 2000;
  int64_t ms = platform::AddMinutes(platform::DateTimeFromFileTime(AFileTime), AUTCOffsetMinutes).Milliseconds;
  int64_t rest = ms % Resolution;
  if (rest < 0) rest += Resolution;
  return platform::TDateTime{ms - rest};
}

// Dates read straight from the file system are UTC and go into the entry's UTC field, so that
// the long form shows them in local time and the "modify" fact shows them unchanged. (Kept in the
// local-time field they would come out shifted by the offset from UTC in both forms.)

void ListRoot(const TFileHandlerSettings& ASettings, ftp::TIdFTPListOutput& AListing, const std::string& ACommand) {
  if (IsMLST(ACommand)) {
    ftp::TIdFTPListOutputItem& item = AListing.Add();
    item.FileName("/");
    item.Size(0);
    item.SizeAvail(false);
    item.ModifiedDate(platform::NowLocal());
    item.ModifiedAvail(false);
    item.ItemType(ftp::ditDirectory);
    return;
  }
  // Every alias is shown, whatever state its folder is in; a missing one is dated at the zero
  // point of file times.
  for (const TFTPDirectoryAlias& alias : ASettings.Aliases) {
    const TFileInfo info = FileInfoWithoutTrailingSeparator(alias.Path);
    ftp::TIdFTPListOutputItem& item = AListing.Add();
    item.FileName(alias.Alias);
    item.LocalFileName(alias.Path);
    item.ItemType(ftp::ditDirectory);
    item.Size(info.Size());
    item.SizeAvail(false);
    item.FModifiedDateGMT = info.LastWriteDateTime();
    item.ModifiedAvail(true);
  }
}

void DescribeEntry(const TFileInfo& AInfo, ftp::TIdFTPListOutput& AListing) {
  ftp::TIdFTPListOutputItem& item = AListing.Add();
  item.FileName(AInfo.RelativeFileName());
  item.Size(AInfo.Size());
  item.FModifiedDateGMT = AInfo.LastWriteDateTime();
  item.ItemType(AInfo.IsDirectory() ? ftp::ditDirectory : ftp::ditFile);
  item.SizeAvail(true);
  item.ModifiedAvail(true);
}

// A folder that exists but cannot be read is refused rather than shown as empty, so that the
// client is not told a folder holds nothing when it was only kept from seeing its contents.
void ListFolder(const TFileHandlerSettings& ASettings, const std::string& ALocal, ftp::TIdFTPListOutput& AListing) {
  uint32_t excluded = 0;
  if (!ASettings.ShowHiddenFiles) excluded |= platform::faHidden;
  if (!ASettings.ShowSystemFiles) excluded |= platform::faSysFile;
  const int offset = platform::CurrentUTCOffsetMinutes();  // one offset for the whole listing
  const std::string folder = ALocal.empty() || ALocal.back() == '/' ? ALocal : ALocal + '/';
  const bool opened = platform::EnumerateFolder(folder, [&](const platform::TFindData& AEntry) {
    if ((AEntry.Attributes & excluded) != 0) return;
    ftp::TIdFTPListOutputItem& item = AListing.Add();
    item.FFileName = AEntry.Name;
    item.FSize = AEntry.Size;
    item.FModifiedDate = ListingDate(AEntry.LastWriteTime, offset);
    item.FItemType = (AEntry.Attributes & platform::faDirectory) != 0 ? ftp::ditDirectory : ftp::ditFile;
  });
  if (!opened) Refuse(AccessDenied);
}

}  // namespace

void ListDirectory(const TFileHandlerSettings& ASettings, const std::string& APath, ftp::TIdFTPListOutput& AListing,
                   const std::string& ACommand) {
  AListing.DirFormat = ftp::doUnix;
  std::string local = APath;
  if (!TranslatePath(ASettings.Aliases, local)) Refuse(AccessDenied);
  if (local == VirtualRootMarker) {
    ListRoot(ASettings, AListing, ACommand);
    return;
  }
  const TFileInfo info = FileInfoWithoutTrailingSeparator(local);
  if (!info.IsExists()) Refuse(NotFound);
  if (IsMLST(ACommand)) {
    DescribeEntry(info, AListing);
    return;
  }
  if (!info.IsDirectory()) Refuse(AccessDenied);
  ListFolder(ASettings, local, AListing);
}

}  // namespace kobix::service
