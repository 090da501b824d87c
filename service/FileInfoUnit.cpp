#include "service/FileInfoUnit.h"

namespace kobix::service {

TFileInfo::TFileInfo(const std::string& APathName) : FPathName(APathName) {
  platform::FindEntry(FPathName, FAttribute);
}

platform::TDateTime TFileInfo::CreationDateTime() const {
  return platform::DateTimeFromFileTime(FAttribute.CreationTime);
}

platform::TDateTime TFileInfo::LastAccessDateTime() const {
  return platform::DateTimeFromFileTime(FAttribute.LastAccessTime);
}

platform::TDateTime TFileInfo::LastWriteDateTime() const {
  return platform::DateTimeFromFileTime(FAttribute.LastWriteTime);
}

bool TFileInfo::Delete() const { return IsExists() && platform::DeleteEntry(FPathName); }

bool TFileInfo::MoveTo(const std::string& APathName) const {
  return IsExists() && platform::MoveEntry(FPathName, APathName);
}

bool TFileInfo::SetCreationTime(platform::TDateTime AValue) const {
  return IsExists() && platform::SetCreationTime(FPathName, AValue);
}

bool TFileInfo::SetLastAccessTime(platform::TDateTime AValue) const {
  return IsExists() && platform::SetLastAccessTime(FPathName, AValue);
}

bool TFileInfo::SetLastWriteTime(platform::TDateTime AValue) const {
  return IsExists() && platform::SetLastWriteTime(FPathName, AValue);
}

TFileInfo FileInfoWithoutTrailingSeparator(const std::string& APath) {
  if (APath.size() > 1 && APath.back() == '/') return TFileInfo(APath.substr(0, APath.size() - 1));
  return TFileInfo(APath);
}

}  // namespace kobix::service
