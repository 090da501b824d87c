#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "ftp/listing/DirItemType.h"
#include "platform/DateTime.h"

namespace kobix::ftp {

/// A text field that stays empty in nearly every listing entry: one pointer while empty, a string
/// once set. A folder of 100,000 entries then carries no room for a dozen unused strings each.
class TRareText {
 public:
  TRareText() = default;
  TRareText(const TRareText& AOther) : FText(AOther.FText ? std::make_unique<std::string>(*AOther.FText) : nullptr) {}
  TRareText(TRareText&&) noexcept = default;
  TRareText& operator=(const TRareText& AOther) {
    if (this != &AOther) FText = AOther.FText ? std::make_unique<std::string>(*AOther.FText) : nullptr;
    return *this;
  }
  TRareText& operator=(TRareText&&) noexcept = default;
  TRareText& operator=(std::string AValue) {
    if (AValue.empty())
      FText.reset();
    else
      FText = std::make_unique<std::string>(std::move(AValue));
    return *this;
  }
  TRareText& operator=(const char* AValue) { return *this = std::string(AValue); }

  bool empty() const { return !FText; }
  size_t size() const { return FText ? FText->size() : 0; }
  const std::string& str() const { return FText ? *FText : Empty(); }
  operator const std::string&() const { return str(); }
  friend bool operator==(const TRareText& A, std::string_view B) { return std::string_view(A.str()) == B; }
  friend std::ostream& operator<<(std::ostream& AOut, const TRareText& AText) { return AOut << AText.str(); }

 private:
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  std::unique_ptr<std::string> FText;
};

/// One listing entry as the folder listing handler describes it. A new entry is a file of size 0
/// whose size and time count as known; a date of 0 means "not set".
struct TIdFTPListItem {
  int64_t FSize = 0;
  TRareText FData;           // free for the handler
  std::string FFileName;       // name as shown; may hold a path, the listing shows its last part
  TRareText FLocalFileName;  // the handler's own local name; never shown
  bool FSizeAvail = true;      // MLSD/MLST show "size=" only when true
  bool FModifiedAvail = true;  // MLSD/MLST show "modify=" only when true
  platform::TDateTime FModifiedDate;     // local time
  platform::TDateTime FModifiedDateGMT;  // UTC; when non-zero it wins over FModifiedDate
  TIdDirItemType FItemType = ditFile;
  bool FDirError = false;
  TRareText FPermissionDisplay;

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
  TRareText FGroupName;  // empty shows the owner column's value
  TRareText FOwnerName;  // empty shows "root"
  TRareText FLinkedItemName;
  int32_t FNumberBlocks = 0;  // summed into the "total" line
  int32_t FInode = 0;
  platform::TDateTime FLastAccessDate;
  platform::TDateTime FLastAccessDateGMT;
  platform::TDateTime FCreationDate;
  platform::TDateTime FCreationDateGMT;
  TRareText FUniqueID;
  TRareText FMLISTPermissions;
  TRareText FUnixGroupPermissions;  // three characters each; empty = default
  TRareText FUnixOwnerPermissions;
  TRareText FUnixOtherPermissions;
  int32_t FUnixinode = 0;
  uint32_t FWinAttribs = 0;
};

/// The name an entry shows in the long and names forms: the last "/"-separated part of
/// FFileName. Trailing separators are ignored; a name made only of separators stays as it is.
std::string ShownName(const std::string& AFileName);
/// The same part as a view into AFileName.
std::string_view ShownNameView(std::string_view AFileName);

}  // namespace kobix::ftp
