#include "service/FileHandlers.h"

#include "ftp/server/Errors.h"
#include "service/FileInfoUnit.h"

namespace kobix::service {

namespace {

const char* const AccessDenied = "Access denied.";
const char* const NotFound = "Not found.";
const char* const AccessError = "Access error.";
const char* const UnknownError = "Unknown error.";

[[noreturn]] void Refuse(const char* AText) { throw ftp::EIdReplyError(550, AText); }

void CheckWritable(const TFileHandlerSettings& ASettings) {
  if (ASettings.ReadOnly) Refuse(AccessDenied);
}

// The local path of a virtual path, or the root marker; refused when it does not translate.
std::string Translate(const TFileHandlerSettings& ASettings, const std::string& APath) {
  std::string local = APath;
  if (!TranslatePath(ASettings.Aliases, local)) Refuse(AccessDenied);
  return local;
}

// A local path below an alias; the virtual root is refused, as it cannot be changed.
std::string TranslateForChange(const TFileHandlerSettings& ASettings, const std::string& APath) {
  std::string local = Translate(ASettings, APath);
  if (local == VirtualRootMarker) Refuse(AccessDenied);
  return local;
}

// The entry a query or a time change works on; the virtual root has none.
TFileInfo ExistingEntry(const std::string& ALocal) {
  if (ALocal == VirtualRootMarker) Refuse(NotFound);
  TFileInfo info(ALocal);
  if (!info.IsExists()) Refuse(NotFound);
  return info;
}

[[noreturn]] void ThrowOpenError(const char* AFormatStart, const platform::EFileOpenError& AError) {
  throw ftp::EIdException(std::string(AFormatStart) + " \"" + AError.PathName() + "\". " + AError.Description());
}

}  // namespace

void ChangeDirectory(const TFileHandlerSettings& ASettings, const std::string& APath) {
  const std::string local = Translate(ASettings, APath);
  if (local == VirtualRootMarker) return;
  const TFileInfo info(local);
  if (!info.IsExists() || !info.IsDirectory()) Refuse(NotFound);
}

std::unique_ptr<platform::TFileStream> RetrieveFile(const TFileHandlerSettings& ASettings, const std::string& APath) {
  const std::string local = Translate(ASettings, APath);
  if (local == VirtualRootMarker || !TFileInfo(local).IsFile()) Refuse(NotFound);
  try {
    return std::make_unique<platform::TFileStream>(local, platform::TFileOpenMode::fomRead);
  } catch (const platform::EFileOpenError& error) {
    ThrowOpenError("Cannot open file", error);
  }
}

std::unique_ptr<platform::TFileStream> StoreFile(const TFileHandlerSettings& ASettings, const std::string& APath,
                                                 bool AAppend, bool AKeepExisting) {
  CheckWritable(ASettings);
  const std::string local = TranslateForChange(ASettings, APath);
  const platform::TFileOpenMode mode = AAppend        ? platform::TFileOpenMode::fomAppend
                                       : AKeepExisting ? platform::TFileOpenMode::fomOpenOrCreate
                                                       : platform::TFileOpenMode::fomCreate;
  try {
    return std::make_unique<platform::TFileStream>(local, mode);
  } catch (const platform::EFileOpenError& error) {
    ThrowOpenError(AAppend ? "Cannot open file" : "Cannot create file", error);
  }
}

void DeleteFile(const TFileHandlerSettings& ASettings, const std::string& APath) {
  CheckWritable(ASettings);
  const TFileInfo info(TranslateForChange(ASettings, APath));
  if (!info.IsExists()) Refuse(NotFound);
  if (!info.Delete()) Refuse(AccessError);
}

void RenameFile(const TFileHandlerSettings& ASettings, const std::string& AOldPath, const std::string& ANewPath) {
  CheckWritable(ASettings);
  const std::string from = Translate(ASettings, AOldPath);
  const std::string to = TranslateForChange(ASettings, ANewPath);
  if (SameTextASCII(from, to)) Refuse(AccessDenied);
  // The root is no entry that could be renamed; an RNTO without RNFR renames from it.
  if (from == VirtualRootMarker) Refuse(NotFound);
  const TFileInfo info(from);
  if (!info.IsExists()) Refuse(NotFound);
  if (!info.MoveTo(to)) Refuse(UnknownError);
}

void MakeDirectory(const TFileHandlerSettings& ASettings, const std::string& APath) {
  CheckWritable(ASettings);
  if (!platform::MakeDirectories(TranslateForChange(ASettings, APath))) Refuse(UnknownError);
}

void RemoveDirectory(const TFileHandlerSettings& ASettings, const std::string& APath) {
  CheckWritable(ASettings);
  const TFileInfo info(TranslateForChange(ASettings, APath));
  if (!info.IsExists() || !info.IsDirectory()) Refuse(NotFound);
  if (!info.Delete()) Refuse(UnknownError);
}

int64_t GetFileSize(const TFileHandlerSettings& ASettings, const std::string& APath) {
  return ExistingEntry(Translate(ASettings, APath)).Size();
}

platform::TDateTime GetFileDate(const TFileHandlerSettings& ASettings, const std::string& APath) {
  return ExistingEntry(Translate(ASettings, APath)).LastWriteDateTime();
}

bool FileExistCheck(const TFileHandlerSettings& ASettings, const std::string& APath) {
  const std::string local = Translate(ASettings, APath);
  return local != VirtualRootMarker && TFileInfo(local).IsFile();
}

void SetCreationTime(const TFileHandlerSettings& ASettings, const std::string& APath, platform::TDateTime AUTC) {
  if (!ExistingEntry(Translate(ASettings, APath)).SetCreationTime(AUTC)) Refuse(UnknownError);
}

void SetModifiedTime(const TFileHandlerSettings& ASettings, const std::string& APath, platform::TDateTime AUTC) {
  if (!ExistingEntry(Translate(ASettings, APath)).SetLastWriteTime(AUTC)) Refuse(UnknownError);
}

}  // namespace kobix::service
