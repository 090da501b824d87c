#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ftp/listing/DirItemType.h"
#include "platform/DateTime.h"

namespace kobix::ftp {

/// One listing entry as the folder listing handler describes it. A new entry is a file of size 0
/// whose size and time count as known; a date of 0 means "not set".
struct TIdFTPListItem {
  int64_t FSize = 0;
  std::string FData;           // free for the handler
  std::string FFileName;       // name as shown; may hold a path, the listing shows its last part
  std::string FLocalFileName;  // the handler's own local name; never shown
  bool FSizeAvail = true;      // MLSD/MLST show "size=" only when true
  bool FModifiedAvail = true;  // MLSD/MLST show "modify=" only when true
  platform::TDateTime FModifiedDate;     // local time
  platform::TDateTime FModifiedDateGMT;  // UTC; when non-zero it wins over FModifiedDate
  TIdDirItemType FItemType = ditFile;
  bool FDirError = false;
  std::string FPermissionDisplay;

  // The setters the facade's handler uses.
  void FileName(std::string AValue) { FFileName = std::move(AValue); }
  void LocalFileName(std::string AValue) { FLocalFileName = std::move(AValue); }
  void Size(int64_t AValue) { FSize = AValue; }
  void SizeAvail(bool AValue) { FSizeAvail = AValue; }
  void ModifiedDate(platform::TDateTime AValue) { FModifiedDate = AValue; }
  void ModifiedAvail(bool AValue) { FModifiedAvail = AValue; }
  void ItemType(TIdDirItemType AValue) { FItemType = AValue; }
};

/// The entry the listing builder holds: the Unix-style details on top of the base entry. In this
/// system they all keep their defaults, so the defaults are what clients see.
struct TIdFTPListOutputItem : TIdFTPListItem {
  int32_t FLinkCount = 0;  // 0 shows as 1
  std::string FGroupName;  // empty shows the owner column's value
  std::string FOwnerName;  // empty shows "root"
  std::string FLinkedItemName;
  int32_t FNumberBlocks = 0;  // summed into the "total" line
  int32_t FInode = 0;
  platform::TDateTime FLastAccessDate;
  platform::TDateTime FLastAccessDateGMT;
  platform::TDateTime FCreationDate;
  platform::TDateTime FCreationDateGMT;
  std::string FUniqueID;
  std::string FMLISTPermissions;
  std::string FUnixGroupPermissions;  // three characters each; empty = default
  std::string FUnixOwnerPermissions;
  std::string FUnixOtherPermissions;
  int32_t FUnixinode = 0;
  uint32_t FWinAttribs = 0;
};

/// The name an entry shows in the long and names forms: the last "/"-separated part of
/// FFileName. Trailing separators are ignored; a name made only of separators stays as it is.
std::string ShownName(const std::string& AFileName);
/// The same part as a view into AFileName.
std::string_view ShownNameView(std::string_view AFileName);

}  // namespace kobix::ftp
