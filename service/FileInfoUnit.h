#pragma once

#include <cstdint>
#include <string>

#include "platform/DateTime.h"
#include "platform/Files.h"

namespace kobix::service {

/// What is known about one local file-system entry, read once when the object is created, plus
/// the operations the file handlers perform on it.
class TFileInfo {
 public:
  /// Looks up exactly APathName (a trailing "/" makes the entry not found).
  explicit TFileInfo(const std::string& APathName);

  const std::string& PathName() const { return FPathName; }
  bool IsExists() const { return !FAttribute.Name.empty(); }
  bool IsDirectory() const { return (FAttribute.Attributes & platform::faDirectory) != 0; }
  /// An existing entry that is not a folder.
  bool IsFile() const { return IsExists() && !IsDirectory(); }
  bool IsHidden() const { return (FAttribute.Attributes & platform::faHidden) != 0; }
  bool IsSystem() const { return (FAttribute.Attributes & platform::faSysFile) != 0; }
  uint32_t Attributes() const { return FAttribute.Attributes; }
  int64_t Size() const { return FAttribute.Size; }

  int64_t CreationTime() const { return FAttribute.CreationTime; }
  int64_t LastAccessTime() const { return FAttribute.LastAccessTime; }
  int64_t LastWriteTime() const { return FAttribute.LastWriteTime; }
  /// The same times as date-times, UTC (no time-zone change).
  platform::TDateTime CreationDateTime() const;
  platform::TDateTime LastAccessDateTime() const;
  platform::TDateTime LastWriteDateTime() const;

  /// The entry's own name as the file system spells it.
  const std::string& RelativeFileName() const { return FAttribute.Name; }

  /// Deletes the entry, a folder with everything in it. True on success.
  bool Delete() const;
  /// Moves the entry to APathName, replacing an existing target. True on success.
  bool MoveTo(const std::string& APathName) const;
  /// Set one time (taken as UTC) of the entry; false when it does not exist or the host refuses.
  bool SetCreationTime(platform::TDateTime AValue) const;
  bool SetLastAccessTime(platform::TDateTime AValue) const;
  bool SetLastWriteTime(platform::TDateTime AValue) const;

 private:
  std::string FPathName;
  platform::TFindData FAttribute;
};

/// A TFileInfo for APath after removing one trailing "/" ("/" itself is kept).
TFileInfo FileInfoWithoutTrailingSeparator(const std::string& APath);

}  // namespace kobix::service
