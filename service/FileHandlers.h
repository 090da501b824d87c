#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Files.h"
#include "service/VirtualFolders.h"

namespace kobix::service {

/// The settings the file handlers read: one immutable snapshot per call.
struct TFileHandlerSettings {
  std::vector<TFTPDirectoryAlias> Aliases;
  bool ReadOnly = false;
  bool ShowHiddenFiles = false;
  bool ShowSystemFiles = false;
};

// The file operations behind the engine's file events. Each takes the engine's resolved virtual
// path and refuses with kobix::ftp::EIdReplyError(550, "Access denied." | "Not found." |
// "Access error." | "Unknown error."), checking in this order: read-only (where it applies),
// translation, existence, then the operation. The virtual root is a folder for ChangeDirectory,
// cannot be changed ("Access denied.") and has no local entry to query ("Not found.").

/// Succeeds when the path is the virtual root or an existing local folder.
void ChangeDirectory(const TFileHandlerSettings& ASettings, const std::string& APath);

/// Opens an existing file for reading under the exclusive lock. An open failure throws
/// kobix::ftp::EIdException "Cannot open file \"<local path>\". <system description>".
std::unique_ptr<platform::TFileStream> RetrieveFile(const TFileHandlerSettings& ASettings, const std::string& APath);

/// Opens a file for writing under the exclusive lock. AAppend: the file must exist ("Cannot open
/// file ..." otherwise). Else AKeepExisting (a resumed upload) opens or creates it without
/// truncating, and plain stores create or replace it; their failures read "Cannot create file ...".
std::unique_ptr<platform::TFileStream> StoreFile(const TFileHandlerSettings& ASettings, const std::string& APath,
                                                 bool AAppend, bool AKeepExisting = false);

/// Deletes a file, or a folder with everything in it.
void DeleteFile(const TFileHandlerSettings& ASettings, const std::string& APath);

/// Moves an entry, possibly to another alias's folder, replacing an existing target. Refused when
/// both paths name the same local path ignoring the case of ASCII letters.
void RenameFile(const TFileHandlerSettings& ASettings, const std::string& AOldPath, const std::string& ANewPath);

/// Creates a folder with its missing parents; an existing folder counts as success.
void MakeDirectory(const TFileHandlerSettings& ASettings, const std::string& APath);

/// Deletes a folder with everything in it; a file or a missing entry is "Not found.".
void RemoveDirectory(const TFileHandlerSettings& ASettings, const std::string& APath);

/// The entry's size in bytes (0 for a folder).
int64_t GetFileSize(const TFileHandlerSettings& ASettings, const std::string& APath);

/// The entry's last-write time, UTC.
platform::TDateTime GetFileDate(const TFileHandlerSettings& ASettings, const std::string& APath);

/// True when the path names an existing file (folders and refused paths give false).
bool FileExistCheck(const TFileHandlerSettings& ASettings, const std::string& APath);

/// Set the entry's creation / last-write time to AUTC (no time-zone change). Allowed on a
/// read-only server. The host cannot set a creation time, so that one answers "Unknown error.".
void SetCreationTime(const TFileHandlerSettings& ASettings, const std::string& APath, platform::TDateTime AUTC);
void SetModifiedTime(const TFileHandlerSettings& ASettings, const std::string& APath, platform::TDateTime AUTC);

}  // namespace kobix::service
