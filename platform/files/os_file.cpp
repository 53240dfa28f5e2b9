#include "platform/files/os_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "platform/files/errors.h"
#include "platform/files/keyed_file.h"

namespace files {
namespace {

constexpr off_t kWholeFileLockByte = off_t{1} << 40;
constexpr off_t kWritersByte = kWholeFileLockByte + 1;

bool TryLock(int fd, off_t byte, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool FolderExists(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return true;
  std::string folder(path.substr(0, slash == 0 ? 1 : slash));
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int CodeForErrno(int error, std::string_view path) {
  switch (error) {
    case ENOENT: return FolderExists(path) ? kFileNotFound : kPathNotFound;
    case ENOTDIR: return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kAccessDenied;
    default: return kFileSystemError;
  }
}

int OpenLockFile(const std::string& path) {
  return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
}

int TakeOpenShare(int fd, int mode) {
  if (mode == kReadWriteDenyWrite) return TakeSoleShare(fd);
  return TryLock(fd, kWritersByte, F_RDLCK) ? kNoError : kAccessDenied;
}

int TakeSoleShare(int fd) { return TryLock(fd, kWritersByte, F_WRLCK) ? kNoError : kAccessDenied; }

bool SoleShareFree(int fd) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kWritersByte;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type == F_UNLCK;
}

int LockWholeFile(int fd, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!TryLock(fd, kWholeFileLockByte, F_WRLCK)) {
    if (errno != EAGAIN && errno != EACCES) return kFileSystemError;
    if (std::chrono::steady_clock::now() >= deadline) return kFileLocked;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return kNoError;
}

void UnlockWholeFile(int fd) { TryLock(fd, kWholeFileLockByte, F_UNLCK); }

}  // namespace files
