#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>

namespace kobix::platform {

namespace fs = std::filesystem;

namespace {

// Seconds between 1601-01-01 (file time zero) and 1970-01-01.
constexpr int64_t FileTimeUnixOffsetSeconds = 11644473600;

int64_t FileTimeFromTimestamp(const struct statx_timestamp& ATime) {
  return (ATime.tv_sec + FileTimeUnixOffsetSeconds) * 10000000 + ATime.tv_nsec / 100;
}

bool HoldsNul(const std::string& APath) { return APath.find('\0') != std::string::npos; }

// One statx of ANameOrPath relative to ADirectory; a dangling link is reported as the link itself.
bool StatEntry(int ADirectory, const char* ANameOrPath, TFindData& AData) {
  struct statx st {};
  const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
  if (statx(ADirectory, ANameOrPath, 0, mask, &st) != 0 &&
      statx(ADirectory, ANameOrPath, AT_SYMLINK_NOFOLLOW, mask, &st) != 0)
    return false;
  const bool isDirectory = S_ISDIR(st.stx_mode);
  AData.Attributes = 0;
  if (isDirectory)
    AData.Attributes |= faDirectory;
  else if (!S_ISREG(st.stx_mode))
    AData.Attributes |= faSysFile;
  AData.LastWriteTime = FileTimeFromTimestamp(st.stx_mtime);
  AData.LastAccessTime = FileTimeFromTimestamp(st.stx_atime);
  AData.CreationTime = (st.stx_mask & STATX_BTIME) ? FileTimeFromTimestamp(st.stx_btime) : AData.LastWriteTime;
  AData.Size = isDirectory ? 0 : static_cast<int64_t>(st.stx_size);
  return true;
}

void MarkHidden(TFindData& AData) {
  const std::string& name = AData.Name;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") AData.Attributes |= faHidden;
}

// A fresh name beside APath that no other entry has yet (used for moves that replace a target).
std::string SideName(const std::string& APath, const char* AKind) {
  static std::atomic<unsigned> counter{0};
  for (;;) {
    std::string candidate = APath + ".kobix-" + AKind + "-" + std::to_string(getpid()) + "-" +
                            std::to_string(counter.fetch_add(1));
    struct stat st {};
    if (lstat(candidate.c_str(), &st) != 0 && errno == ENOENT) return candidate;
  }
}

bool IsTargetInTheWay(int AError) {
  return AError == EEXIST || AError == ENOTEMPTY || AError == EISDIR || AError == ENOTDIR;
}

// rename() that also replaces a target rename() refuses to overwrite (a folder, or a file where a
// folder goes): the target is moved aside first and put back if the rename still fails.
bool RenameReplacing(const std::string& AFrom, const std::string& ATo, int& AError) {
  if (rename(AFrom.c_str(), ATo.c_str()) == 0) return true;
  AError = errno;
  if (!IsTargetInTheWay(AError)) return false;
  const std::string aside = SideName(ATo, "old");
  if (rename(ATo.c_str(), aside.c_str()) != 0) return false;
  if (rename(AFrom.c_str(), ATo.c_str()) != 0) {
    AError = errno;
    rename(aside.c_str(), ATo.c_str());
    return false;
  }
  DeleteEntry(aside);
  return true;
}

bool ToTimespec(TDateTime AUTC, struct timespec& ATime) {
  const int64_t unixMs = UnixMillisecondsFromDateTime(AUTC);
  int64_t seconds = unixMs / 1000;
  int64_t ms = unixMs % 1000;
  if (ms < 0) {
    ms += 1000;
    --seconds;
  }
  ATime.tv_sec = static_cast<time_t>(seconds);
  ATime.tv_nsec = static_cast<long>(ms * 1000000);
  return true;
}

bool SetTimes(const std::string& APath, TDateTime AUTC, bool AWrite) {
  if (APath.empty() || HoldsNul(APath)) return false;
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = 0;
  times[0].tv_nsec = times[1].tv_nsec = UTIME_OMIT;
  ToTimespec(AUTC, times[AWrite ? 1 : 0]);
  return utimensat(AT_FDCWD, APath.c_str(), times, 0) == 0;
}

}  // namespace

bool FindEntry(const std::string& APath, TFindData& AData) {
  AData = TFindData{};
  if (APath.empty() || HoldsNul(APath)) return false;
  if (APath.size() > 1 && APath.back() == '/') return false;
  TFindData found;
  if (!StatEntry(AT_FDCWD, APath.c_str(), found)) return false;
  const size_t slash = APath.rfind('/');
  found.Name = APath == "/" ? APath : APath.substr(slash == std::string::npos ? 0 : slash + 1);
  MarkHidden(found);
  AData = std::move(found);
  return true;
}

bool EnumerateFolder(const std::string& APath, const std::function<void(const TFindData&)>& ACallback) {
  if (APath.empty() || HoldsNul(APath)) return false;
  DIR* folder = opendir(APath.c_str());
  if (folder == nullptr) return false;
  const int descriptor = dirfd(folder);
  TFindData data;
  while (const dirent* entry = readdir(folder)) {
    if (!StatEntry(descriptor, entry->d_name, data)) continue;
    data.Name = entry->d_name;
    MarkHidden(data);
    ACallback(data);
  }
  closedir(folder);
  return true;
}

bool DeleteEntry(const std::string& APath) {
  if (APath.empty() || HoldsNul(APath)) return false;
  std::error_code error;
  if (!fs::exists(fs::symlink_status(APath, error))) return false;
  fs::remove_all(APath, error);
  return !error;
}

bool MoveEntry(const std::string& AFrom, const std::string& ATo) {
  if (AFrom.empty() || ATo.empty() || HoldsNul(AFrom) || HoldsNul(ATo)) return false;
  int error = 0;
  if (RenameReplacing(AFrom, ATo, error)) return true;
  if (error != EXDEV) return false;
  // Another file system: copy beside the target first, so a failed copy leaves the target alone,
  // then put the copy in place and only then delete the original.
  const std::string copy = SideName(ATo, "new");
  std::error_code copyError;
  fs::copy(AFrom, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks, copyError);
  if (copyError || !RenameReplacing(copy, ATo, error)) {
    DeleteEntry(copy);
    return false;
  }
  DeleteEntry(AFrom);
  return true;
}

bool MakeDirectories(const std::string& APath) {
  if (APath.empty() || HoldsNul(APath)) return false;
  std::error_code error;
  fs::create_directories(APath, error);
  return fs::is_directory(APath, error);
}

bool SetLastWriteTime(const std::string& APath, TDateTime AUTC) { return SetTimes(APath, AUTC, true); }

bool SetLastAccessTime(const std::string& APath, TDateTime AUTC) { return SetTimes(APath, AUTC, false); }

bool SetCreationTime(const std::string&, TDateTime) { return false; }

}  // namespace kobix::platform
