#include "platform/files/flat_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/errors.h"
#include "platform/files/os_file.h"

namespace files {

FlatFile::FlatFile(uint32_t record_length, uint8_t* record)
    : length_(record_length), record_(record) {}

FlatFile::~FlatFile() {
  if (fd_ >= 0) close(fd_);
}

int FlatFile::Done(int code) { return code_ = code; }

int FlatFile::FailErrno(int error) { return Done(CodeForErrno(error, path_)); }

int FlatFile::Create(std::string_view path) {
  if (fd_ >= 0) return Done(kFileAlreadyOpen);
  path_ = path;
  const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return FailErrno(errno);
  // Emptied only when nobody else has it open.
  int code = TakeSoleShare(fd);
  if (code == kNoError && ftruncate(fd, 0) != 0) code = CodeForErrno(errno, path_);
  close(fd);
  return Done(code);
}

int FlatFile::Open(std::string_view path, int mode) {
  if (fd_ >= 0) return Done(kFileAlreadyOpen);
  path_ = path;
  const int fd = open(path_.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return FailErrno(errno);
  if (const int code = TakeOpenShare(fd, mode); code != kNoError) {
    close(fd);
    return Done(code);
  }
  fd_ = fd;
  return Done(kNoError);
}

int FlatFile::Close() {
  if (fd_ < 0) return Done(kFileNotOpen);
  const int rc = close(fd_);
  fd_ = -1;
  return rc == 0 ? Done(kNoError) : FailErrno(errno);
}

int64_t FlatFile::Records() {
  if (fd_ < 0) {
    Done(kFileNotOpen);
    return -1;
  }
  struct stat st;
  if (fstat(fd_, &st) != 0) {
    FailErrno(errno);
    return -1;
  }
  Done(kNoError);
  return st.st_size / length_;  // a partial last record does not count
}

int FlatFile::Get(int64_t number) { return Transfer(number, false, false); }
int FlatFile::Put(int64_t number) { return Transfer(number, true, false); }
int FlatFile::Add() { return Transfer(0, true, true); }

int FlatFile::Transfer(int64_t number, bool write, bool append) {
  const int64_t records = Records();
  if (records < 0) return code_;
  if (append) number = records + 1;
  if (number < 1 || number > records + (append ? 1 : 0)) return Done(kRecordNotFound);
  const off_t offset = (number - 1) * length_;
  const ssize_t n = write ? pwrite(fd_, record_, length_, offset) : pread(fd_, record_, length_, offset);
  if (n == static_cast<ssize_t>(length_)) return Done(kNoError);
  return n < 0 ? FailErrno(errno) : Done(kFileSystemError);
}

std::string_view FlatFile::Text() const { return ErrorText(code_); }

}  // namespace files
