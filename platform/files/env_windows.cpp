#include "platform/files/env.h"

#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/files/errors.h"
#include "platform/files/system_file.h"
#include "platform/runtime/wide_text_windows.h"

namespace files {
namespace {

// The same bytes as on POSIX (env_posix.cpp), so that stations of both kinds that share a
// folder exclude each other.
constexpr uint64_t kWholeFileLockByte = uint64_t{1} << 40;
constexpr uint64_t kWritersByte = kWholeFileLockByte + 1;

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

int LastError() { return static_cast<int>(GetLastError()); }

// A lock refused because another holder has the byte, as against a lock that failed.
bool HeldByAnother(DWORD error) { return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING; }

class WindowsFile final : public SystemFile {
 public:
  WindowsFile(HANDLE handle, std::string path) : SystemFile(std::move(path)), handle_(handle) {}
  ~WindowsFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  int ReadAt(void* data, size_t length, int64_t offset) override {
    OVERLAPPED at = At(static_cast<uint64_t>(offset));
    DWORD done = 0;
    if (!ReadFile(handle_, data, static_cast<DWORD>(length), &done, &at)) {
      const int error = LastError();
      return error == ERROR_HANDLE_EOF ? kFileSystemError : Fail(error);
    }
    return done == length ? kNoError : kFileSystemError;
  }

  int WriteAt(const void* data, size_t length, int64_t offset) override {
    OVERLAPPED at = At(static_cast<uint64_t>(offset));
    DWORD done = 0;
    if (!WriteFile(handle_, data, static_cast<DWORD>(length), &done, &at)) return Fail(LastError());
    return done == length ? kNoError : kFileSystemError;
  }

  int Size(int64_t* size) override {
    LARGE_INTEGER bytes{};
    if (!GetFileSizeEx(handle_, &bytes)) return Fail(LastError());
    *size = bytes.QuadPart;
    return kNoError;
  }

  int TruncateToEmpty() override {
    FILE_END_OF_FILE_INFO end{};
    if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end)) return Fail(LastError());
    return kNoError;
  }

  bool SoleShareFree() override {
    // Windows has no test for a lock: taking the writers' byte alone, and giving it back at
    // once, tells the same without keeping anything.
    if (!TryLock(kWritersByte, true)) return false;
    Unlock(kWritersByte);
    return true;
  }

  int LockWholeFile(int seconds) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!TryLock(kWholeFileLockByte, true)) {
      const DWORD error = GetLastError();
      if (!HeldByAnother(error)) return FailLock(static_cast<int>(error));
      if (std::chrono::steady_clock::now() >= deadline) return kFileLocked;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return kNoError;
  }

  void UnlockWholeFile() override { Unlock(kWholeFileLockByte); }

  int Close() override {
    const bool closed = CloseHandle(handle_) != 0;
    const int error = LastError();
    handle_ = INVALID_HANDLE_VALUE;
    return closed ? kNoError : Fail(error);
  }

 private:
  bool TryLock(uint64_t byte, bool exclusive) {
    OVERLAPPED at = At(byte);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(handle_, flags, 0, 1, 0, &at) != 0;
  }

  void Unlock(uint64_t byte) {
    OVERLAPPED at = At(byte);
    UnlockFileEx(handle_, 0, 1, 0, &at);
  }

  int Share(bool exclusive) override {
    if (TryLock(kWritersByte, exclusive)) return kNoError;
    const DWORD error = GetLastError();
    return HeldByAnother(error) ? kAccessDenied : FailLock(static_cast<int>(error));
  }

  HANDLE handle_;
};

class WindowsSequentialFile final : public SequentialFile {
 public:
  explicit WindowsSequentialFile(HANDLE handle) : handle_(handle) {}
  ~WindowsSequentialFile() override { CloseHandle(handle_); }

  int Read(char* data, size_t capacity, size_t* done) override {
    DWORD got = 0;
    if (!ReadFile(handle_, data, static_cast<DWORD>(capacity), &got, nullptr)) {
      if (GetLastError() != ERROR_HANDLE_EOF) return kFileSystemError;
    }
    *done = got;
    return kNoError;
  }

 private:
  const HANDLE handle_;
};

class WindowsEnv final : public Env {
 public:
  int OpenFile(const std::string& path, bool create, std::unique_ptr<File>* file, int* system_error) override {
    return Open(path, create, true, file, system_error);
  }

  int OpenLockFile(const std::string& path, std::unique_ptr<File>* file, int* system_error) override {
    return Open(path, true, false, file, system_error);
  }

  int OpenForReading(const std::string& path, std::unique_ptr<SequentialFile>* file) override {
    // Shared as the C library's fopen shares a file: a writer that denies others still
    // keeps this open out.
    const HANDLE handle = CreateFileW(runtime::Utf8ToWide(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return CodeForSystemError(LastError(), path);
    *file = std::make_unique<WindowsSequentialFile>(handle);
    return kNoError;
  }

  int SizeOfFile(const std::string& path, int64_t* size) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(runtime::Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data)) {
      return CodeForSystemError(LastError(), path);
    }
    *size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return kNoError;
  }

  int CheckReadWrite(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(runtime::Utf8ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return CodeForSystemError(LastError(), path);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_READONLY)) return kAccessDenied;
    return kNoError;
  }

  int IdentityOf(const std::string& path, FileIdentity* identity) override {
    // st_ino is 0 for every file here: the volume's serial number and the file's index
    // are what tell two names of one file apart from two files.
    const HANDLE handle = CreateFileW(runtime::Utf8ToWide(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return CodeForSystemError(LastError(), path);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    const int error = LastError();
    CloseHandle(handle);
    if (!known) return CodeForSystemError(error, path);
    *identity = {info.dwVolumeSerialNumber,
                 (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return kNoError;
  }

  bool FolderRefusesNewFile(const std::string& file, const std::string&) override {
    // A create that was denied while the file is not there was denied by its folder.
    return GetFileAttributesW(runtime::Utf8ToWide(file).c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetLastError() == ERROR_FILE_NOT_FOUND;
  }

  int MoveOver(const std::string& temporary, const std::string& path) override {
    // rename refuses an existing target here; MoveFileExW replaces it, and with
    // WRITE_THROUGH returns only once the move is on the disk.
    if (!MoveFileExW(runtime::Utf8ToWide(temporary).c_str(), runtime::Utf8ToWide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return CodeForSystemError(LastError(), path);
    }
    return kNoError;
  }

  void RemoveFile(const std::string& path) override { DeleteFileW(runtime::Utf8ToWide(path).c_str()); }

 private:
  static int Open(const std::string& path, bool create, bool follow_links, std::unique_ptr<File>* file,
                  int* system_error) {
    // Others may read, write, rename and delete it while it is open, as POSIX allows: the
    // record files are shared (deny none), and the locks above say who may do what. Without
    // following links the reparse point itself is opened, and refused below.
    const HANDLE handle = CreateFileW(runtime::Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      create ? OPEN_ALWAYS : OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | (follow_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                                      nullptr);
    int error = handle == INVALID_HANDLE_VALUE ? LastError() : 0;
    if (error == 0 && !follow_links) {
      FILE_ATTRIBUTE_TAG_INFO tag{};
      if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
          (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        CloseHandle(handle);
        error = ERROR_CANT_RESOLVE_FILENAME;
      }
    }
    if (error != 0) {
      if (system_error != nullptr) *system_error = error;
      return CodeForSystemError(error, path);
    }
    *file = std::make_unique<WindowsFile>(handle, path);
    return kNoError;
  }
};

}  // namespace

Env* Env::Default() {
  static WindowsEnv env;
  return &env;
}

int CodeForSystemError(int error, std::string_view) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return kPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return kAccessDenied;
    default: return kFileSystemError;
  }
}

std::string SystemErrorText(int error) { return runtime::SystemErrorText(static_cast<DWORD>(error)); }

bool IsLinkRefusal(int error) { return error == ERROR_CANT_RESOLVE_FILENAME; }

}  // namespace files
