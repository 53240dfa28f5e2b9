#include "platform/files/os_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
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

int CodeForSystemError(int error, std::string_view path) {
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

std::string SystemErrorText(int error) { return std::strerror(error); }

OsFile::~OsFile() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

int OsFile::Open(const std::string& path, bool create) { return OpenWith(path, create, true); }

int OsFile::OpenLockFile(const std::string& path) { return OpenWith(path, true, false); }

int OsFile::OpenWith(const std::string& path, bool create, bool follow_links) {
  path_ = path;
  const int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0) | (follow_links ? 0 : O_NOFOLLOW);
  const int fd = open(path.c_str(), flags, 0666);
  if (fd < 0) {
    system_error_ = errno;
    return CodeForSystemError(system_error_, path_);
  }
  handle_ = fd;
  return kNoError;
}

bool OsFile::IsOpen() const { return handle_ >= 0; }

int OsFile::Close() {
  const int rc = close(static_cast<int>(handle_));
  handle_ = -1;
  return rc == 0 ? kNoError : CodeForSystemError(errno, path_);
}

int OsFile::ReadAt(void* data, size_t length, int64_t offset) {
  const ssize_t n = pread(static_cast<int>(handle_), data, length, offset);
  if (n == static_cast<ssize_t>(length)) return kNoError;
  return n < 0 ? CodeForSystemError(errno, path_) : kFileSystemError;
}

int OsFile::WriteAt(const void* data, size_t length, int64_t offset) {
  const ssize_t n = pwrite(static_cast<int>(handle_), data, length, offset);
  if (n == static_cast<ssize_t>(length)) return kNoError;
  return n < 0 ? CodeForSystemError(errno, path_) : kFileSystemError;
}

int OsFile::Size(int64_t* size) {
  struct stat st;
  if (fstat(static_cast<int>(handle_), &st) != 0) return CodeForSystemError(errno, path_);
  *size = st.st_size;
  return kNoError;
}

int OsFile::TruncateToEmpty() {
  return ftruncate(static_cast<int>(handle_), 0) == 0 ? kNoError : CodeForSystemError(errno, path_);
}

int OsFile::TakeOpenShare(int mode) {
  if (mode == kReadWriteDenyWrite) return TakeSoleShare();
  return TryLock(static_cast<int>(handle_), kWritersByte, F_RDLCK) ? kNoError : kAccessDenied;
}

int OsFile::TakeSoleShare() {
  return TryLock(static_cast<int>(handle_), kWritersByte, F_WRLCK) ? kNoError : kAccessDenied;
}

bool OsFile::SoleShareFree() {
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kWritersByte;
  lock.l_len = 1;
  return fcntl(static_cast<int>(handle_), F_OFD_GETLK, &lock) == 0 && lock.l_type == F_UNLCK;
}

int OsFile::LockWholeFile(int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!TryLock(static_cast<int>(handle_), kWholeFileLockByte, F_WRLCK)) {
    if (errno != EAGAIN && errno != EACCES) return kFileSystemError;
    if (std::chrono::steady_clock::now() >= deadline) return kFileLocked;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return kNoError;
}

void OsFile::UnlockWholeFile() { TryLock(static_cast<int>(handle_), kWholeFileLockByte, F_UNLCK); }

bool IsLinkRefusal(int error) { return error == ELOOP; }

bool FolderRefusesNewFile(const std::string& file, const std::string& folder) {
  return access(file.c_str(), F_OK) != 0 && access(folder.c_str(), W_OK) != 0;
}

int SizeOfFile(const std::string& path, int64_t* size) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return CodeForSystemError(errno, path);
  *size = st.st_size;
  return kNoError;
}

int CheckReadWrite(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return CodeForSystemError(errno, path);
  if (S_ISDIR(st.st_mode)) return CodeForSystemError(EISDIR, path);
  if (access(path.c_str(), R_OK | W_OK) != 0) return CodeForSystemError(errno, path);
  return kNoError;
}

int IdentityOf(const std::string& path, FileIdentity* identity) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return CodeForSystemError(errno, path);
  *identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return kNoError;
}

int MoveOver(const std::string& temporary, const std::string& path) {
  if (rename(temporary.c_str(), path.c_str()) != 0) return CodeForSystemError(errno, path);
  // Makes the new name durable along with the file.
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int folder_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd >= 0) {
    fsync(folder_fd);
    close(folder_fd);
  }
  return kNoError;
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

std::FILE* OpenForReading(const std::string& path, int* code) {
  std::FILE* file = fopen(path.c_str(), "rbe");
  *code = file != nullptr ? kNoError : CodeForSystemError(errno, path);
  return file;
}

}  // namespace files
