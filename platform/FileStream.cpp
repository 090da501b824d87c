#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Files.h"

namespace kobix::platform {

namespace {

[[noreturn]] void ThrowLastError(const char* AWhat) { throw std::system_error(errno, std::generic_category(), AWhat); }

int OpenFlags(TFileOpenMode AMode) {
  // O_NONBLOCK keeps a FIFO from blocking the session in open(); non-regular files are refused below.
  const int common = O_CLOEXEC | O_NONBLOCK;
  switch (AMode) {
    case TFileOpenMode::fomRead:
      return common | O_RDONLY;
    case TFileOpenMode::fomAppend:
      return common | O_WRONLY;
    case TFileOpenMode::fomCreate:
    case TFileOpenMode::fomOpenOrCreate:
      return common | O_WRONLY | O_CREAT;
  }
  return common | O_RDONLY;
}

}  // namespace

EFileOpenError::EFileOpenError(int AErrno, const std::string& APathName)
    : std::system_error(AErrno, std::generic_category(), APathName), FPathName(APathName) {}

TFileStream::TFileStream(const std::string& APathName, TFileOpenMode AMode) : FPathName(APathName) {
  if (APathName.empty() || APathName.find('\0') != std::string::npos) throw EFileOpenError(ENOENT, APathName);
  FHandle = open(APathName.c_str(), OpenFlags(AMode), 0666);
  if (FHandle < 0) throw EFileOpenError(errno, APathName);
  int error = 0;
  struct stat st {};
  if (fstat(FHandle, &st) != 0)
    error = errno;
  else if (S_ISDIR(st.st_mode))
    error = EISDIR;
  else if (!S_ISREG(st.st_mode))
    error = EINVAL;
  else if (flock(FHandle, LOCK_EX | LOCK_NB) != 0)
    error = errno;
  else if (fcntl(FHandle, F_SETFL, fcntl(FHandle, F_GETFL) & ~O_NONBLOCK) != 0)
    error = errno;
  // Truncation waits for the lock, so a file another session is still reading is never emptied.
  else if (AMode == TFileOpenMode::fomCreate && ftruncate(FHandle, 0) != 0)
    error = errno;
  if (error != 0) {
    close(FHandle);
    FHandle = -1;
    throw EFileOpenError(error, APathName);
  }
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) close(FHandle);  // closing also releases the lock
}

int64_t TFileStream::Size() const {
  struct stat st {};
  if (fstat(FHandle, &st) != 0) ThrowLastError("fstat");
  return st.st_size;
}

int64_t TFileStream::Position() const {
  const off_t position = lseek(FHandle, 0, SEEK_CUR);
  if (position < 0) ThrowLastError("lseek");
  return position;
}

void TFileStream::Seek(int64_t APosition) {
  if (lseek(FHandle, static_cast<off_t>(APosition), SEEK_SET) < 0) ThrowLastError("lseek");
}

size_t TFileStream::Read(void* ABuffer, size_t ACount) {
  for (;;) {
    const ssize_t count = read(FHandle, ABuffer, ACount);
    if (count >= 0) return static_cast<size_t>(count);
    if (errno != EINTR) ThrowLastError("read");
  }
}

void TFileStream::Write(const void* ABuffer, size_t ACount) {
  const char* next = static_cast<const char*>(ABuffer);
  while (ACount > 0) {
    const ssize_t count = write(FHandle, next, ACount);
    if (count < 0) {
      if (errno == EINTR) continue;
      ThrowLastError("write");
    }
    next += count;
    ACount -= static_cast<size_t>(count);
  }
}

void TFileStream::SetSize(int64_t ASize) {
  if (ftruncate(FHandle, static_cast<off_t>(ASize)) != 0) ThrowLastError("ftruncate");
}

}  // namespace kobix::platform
