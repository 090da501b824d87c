#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

#include "platform/DateTime.h"

namespace kobix::platform {

/// Attribute bits of a found entry, in the values the service and the listing test for.
constexpr uint32_t faHidden = 2;      // the name begins with "." ("." and ".." themselves excepted)
constexpr uint32_t faSysFile = 4;     // neither a regular file nor a folder: socket, FIFO, device, dangling link
constexpr uint32_t faDirectory = 16;  // a folder (symbolic links are followed)

/// What one lookup tells about a file-system entry. Times are 64-bit file times
/// (100-nanosecond units since 1601-01-01 UTC). All zero / empty when nothing was found.
struct TFindData {
  uint32_t Attributes = 0;
  int64_t CreationTime = 0;  // the birth time where the file system keeps one, else the last write
  int64_t LastAccessTime = 0;
  int64_t LastWriteTime = 0;
  int64_t Size = 0;  // 0 for folders
  std::string Name;  // the last path component as the file system spells it
};

/// Looks up exactly one path (symbolic links followed; a dangling link is found as a system entry).
/// A path ending with "/" (other than "/" itself), an empty path or one holding a NUL is not found.
bool FindEntry(const std::string& APath, TFindData& AData);

/// Calls ACallback for every entry of the folder, "." and ".." included, in the order the file
/// system returns them. Entries that vanish while the folder is read are skipped.
/// False when the folder cannot be opened.
bool EnumerateFolder(const std::string& APath, const std::function<void(const TFindData&)>& ACallback);

/// Failure to open (or lock) a file; Description() is the system's text for the error.
class EFileOpenError : public std::system_error {
 public:
  EFileOpenError(int AErrno, const std::string& APathName);
  std::string Description() const { return code().message(); }
  const std::string& PathName() const { return FPathName; }

 private:
  std::string FPathName;
};

enum class TFileOpenMode {
  fomRead,          // an existing regular file, for reading
  fomCreate,        // create or replace: truncated only once the lock is held
  fomAppend,        // an existing regular file, for writing; a missing file is an error
  fomOpenOrCreate,  // for writing without truncation; a missing file is created (resumed upload)
};

/// An open regular file held under an exclusive lock, so that no other session of this server
/// reads or writes it while the stream lives. Errors other than opening throw std::system_error.
class TFileStream {
 public:
  /// Throws EFileOpenError when the file cannot be opened, is not a regular file, or is locked.
  TFileStream(const std::string& APathName, TFileOpenMode AMode);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int Handle() const { return FHandle; }
  const std::string& PathName() const { return FPathName; }
  int64_t Size() const;
  int64_t Position() const;
  /// Moves to an absolute position from the start of the file.
  void Seek(int64_t APosition);
  /// Reads up to ACount bytes; 0 at the end of the file.
  size_t Read(void* ABuffer, size_t ACount);
  /// Writes all ACount bytes.
  void Write(const void* ABuffer, size_t ACount);
  void SetSize(int64_t ASize);

 private:
  std::string FPathName;
  int FHandle = -1;
};

/// Deletes a file, link or folder; a folder with everything in it (links inside are not followed).
bool DeleteEntry(const std::string& APath);

/// Renames AFrom to ATo, replacing an existing target (a folder target too). Across file
/// systems the entry is copied and the original deleted. On failure nothing is lost.
bool MoveEntry(const std::string& AFrom, const std::string& ATo);

/// Creates the folder and any missing parents; an existing folder counts as success.
bool MakeDirectories(const std::string& APath);

/// Set one time of an existing entry; the value is taken as UTC. SetCreationTime always fails:
/// the host cannot change a birth time.
bool SetLastWriteTime(const std::string& APath, TDateTime AUTC);
bool SetLastAccessTime(const std::string& APath, TDateTime AUTC);
bool SetCreationTime(const std::string& APath, TDateTime AUTC);

}  // namespace kobix::platform
