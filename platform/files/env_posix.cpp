#include "platform/files/env.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "platform/files/errors.h"
#include "platform/files/system_file.h"

namespace files {
namespace {

constexpr off_t kWholeFileLockByte = off_t{1} << 40;
constexpr off_t kWritersByte = kWholeFileLockByte + 1;

bool FolderExists(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return true;
  std::string folder(path.substr(0, slash == 0 ? 1 : slash));
  struct stat st;
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A lock refused because another holder has the byte, as against a lock that failed.
bool HeldByAnother(int error) { return error == EAGAIN || error == EACCES; }

class PosixFile final : public SystemFile {
 public:
  PosixFile(int fd, std::string path) : SystemFile(std::move(path)), fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) close(fd_);
  }

  int ReadAt(void* data, size_t length, int64_t offset) override {
    const ssize_t n = pread(fd_, data, length, offset);
    if (n == static_cast<ssize_t>(length)) return kNoError;
    return n < 0 ? Fail(errno) : kFileSystemError;
  }

  int WriteAt(const void* data, size_t length, int64_t offset) override {
    const ssize_t n = pwrite(fd_, data, length, offset);
    if (n == static_cast<ssize_t>(length)) return kNoError;
    return n < 0 ? Fail(errno) : kFileSystemError;
  }

  int Size(int64_t* size) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return Fail(errno);
    *size = st.st_size;
    return kNoError;
  }

  int TruncateToEmpty() override { return ftruncate(fd_, 0) == 0 ? kNoError : Fail(errno); }

  bool SoleShareFree() override {
    struct flock lock = ByteLock(kWritersByte, F_WRLCK);
    return fcntl(fd_, F_OFD_GETLK, &lock) == 0 && lock.l_type == F_UNLCK;
  }

  int LockWholeFile(int seconds) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!TryLock(kWholeFileLockByte, F_WRLCK)) {
      if (!HeldByAnother(errno)) return FailLock(errno);
      if (std::chrono::steady_clock::now() >= deadline) return kFileLocked;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return kNoError;
  }

  void UnlockWholeFile() override { TryLock(kWholeFileLockByte, F_UNLCK); }

  int Close() override {
    const int rc = close(fd_);
    fd_ = -1;
    return rc == 0 ? kNoError : Fail(errno);
  }

 private:
  static struct flock ByteLock(off_t byte, short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return lock;
  }

  bool TryLock(off_t byte, short type) {
    struct flock lock = ByteLock(byte, type);
    return fcntl(fd_, F_OFD_SETLK, &lock) == 0;
  }

  int Share(bool exclusive) override {
    if (TryLock(kWritersByte, exclusive ? F_WRLCK : F_RDLCK)) return kNoError;
    return HeldByAnother(errno) ? kAccessDenied : FailLock(errno);
  }

  int fd_;
};

class PosixSequentialFile final : public SequentialFile {
 public:
  explicit PosixSequentialFile(int fd) : fd_(fd) {}
  ~PosixSequentialFile() override { close(fd_); }

  int Read(char* data, size_t capacity, size_t* done) override {
    ssize_t n;
    do {
      n = read(fd_, data, capacity);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return kFileSystemError;
    *done = static_cast<size_t>(n);
    return kNoError;
  }

 private:
  const int fd_;
};

class PosixEnv final : public Env {
 public:
  int OpenFile(const std::string& path, bool create, std::unique_ptr<File>* file, int* system_error) override {
    return Open(path, O_RDWR | (create ? O_CREAT : 0), file, system_error);
  }

  int OpenLockFile(const std::string& path, std::unique_ptr<File>* file, int* system_error) override {
    return Open(path, O_RDWR | O_CREAT | O_NOFOLLOW, file, system_error);
  }

  int OpenForReading(const std::string& path, std::unique_ptr<SequentialFile>* file) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return CodeForSystemError(errno, path);
    *file = std::make_unique<PosixSequentialFile>(fd);
    return kNoError;
  }

  int SizeOfFile(const std::string& path, int64_t* size) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return CodeForSystemError(errno, path);
    *size = st.st_size;
    return kNoError;
  }

  int CheckReadWrite(const std::string& path) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return CodeForSystemError(errno, path);
    if (S_ISDIR(st.st_mode)) return CodeForSystemError(EISDIR, path);
    if (access(path.c_str(), R_OK | W_OK) != 0) return CodeForSystemError(errno, path);
    return kNoError;
  }

  int IdentityOf(const std::string& path, FileIdentity* identity) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return CodeForSystemError(errno, path);
    *identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return kNoError;
  }

  bool FolderRefusesNewFile(const std::string& file, const std::string& folder) override {
    return access(file.c_str(), F_OK) != 0 && access(folder.c_str(), W_OK) != 0;
  }

  int MoveOver(const std::string& temporary, const std::string& path) override {
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

  void RemoveFile(const std::string& path) override { unlink(path.c_str()); }

 private:
  static int Open(const std::string& path, int flags, std::unique_ptr<File>* file, int* system_error) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
      const int error = errno;
      if (system_error != nullptr) *system_error = error;
      return CodeForSystemError(error, path);
    }
    *file = std::make_unique<PosixFile>(fd, path);
    return kNoError;
  }
};

}  // namespace

Env* Env::Default() {
  static PosixEnv env;
  return &env;
}

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

bool IsLinkRefusal(int error) { return error == ELOOP; }

}  // namespace files
