#include "platform/files/os_file.h"

#include <windows.h>

#include <chrono>
#include <thread>

#include "platform/files/errors.h"
#include "platform/files/keyed_file.h"
#include "platform/runtime/wide_text_windows.h"

namespace files {
namespace {

// The same bytes as on POSIX (os_file_posix.cpp), so that stations of both kinds that
// share a folder exclude each other.
constexpr uint64_t kWholeFileLockByte = uint64_t{1} << 40;
constexpr uint64_t kWritersByte = kWholeFileLockByte + 1;

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

bool TryLock(intptr_t handle, uint64_t byte, bool exclusive) {
  OVERLAPPED at = At(byte);
  const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  return LockFileEx(AsHandle(handle), flags, 0, 1, 0, &at) != 0;
}

void Unlock(intptr_t handle, uint64_t byte) {
  OVERLAPPED at = At(byte);
  UnlockFileEx(AsHandle(handle), 0, 1, 0, &at);
}

}  // namespace

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

OsFile::~OsFile() {
  if (IsOpen()) CloseHandle(AsHandle(handle_));
}

int OsFile::Open(const std::string& path, bool create) { return OpenWith(path, create, true); }

int OsFile::OpenLockFile(const std::string& path) { return OpenWith(path, true, false); }

int OsFile::OpenWith(const std::string& path, bool create, bool follow_links) {
  path_ = path;
  // Others may read, write, rename and delete it while it is open, as POSIX allows: the
  // record files are shared (deny none), and the locks above say who may do what. Without
  // following links the reparse point itself is opened, and refused below.
  const HANDLE handle = CreateFileW(runtime::Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    create ? OPEN_ALWAYS : OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | (follow_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                                    nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    system_error_ = static_cast<int>(GetLastError());
    return CodeForSystemError(system_error_, path_);
  }
  if (!follow_links) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      CloseHandle(handle);
      system_error_ = ERROR_CANT_RESOLVE_FILENAME;
      return CodeForSystemError(system_error_, path_);
    }
  }
  handle_ = reinterpret_cast<intptr_t>(handle);
  return kNoError;
}

bool OsFile::IsOpen() const { return handle_ != -1; }

int OsFile::Close() {
  const bool closed = CloseHandle(AsHandle(handle_)) != 0;
  handle_ = -1;
  return closed ? kNoError : CodeForSystemError(static_cast<int>(GetLastError()), path_);
}

int OsFile::ReadAt(void* data, size_t length, int64_t offset) {
  OVERLAPPED at = At(static_cast<uint64_t>(offset));
  DWORD done = 0;
  if (!ReadFile(AsHandle(handle_), data, static_cast<DWORD>(length), &done, &at)) {
    const DWORD error = GetLastError();
    return error == ERROR_HANDLE_EOF ? kFileSystemError : CodeForSystemError(static_cast<int>(error), path_);
  }
  return done == length ? kNoError : kFileSystemError;
}

int OsFile::WriteAt(const void* data, size_t length, int64_t offset) {
  OVERLAPPED at = At(static_cast<uint64_t>(offset));
  DWORD done = 0;
  if (!WriteFile(AsHandle(handle_), data, static_cast<DWORD>(length), &done, &at)) {
    return CodeForSystemError(static_cast<int>(GetLastError()), path_);
  }
  return done == length ? kNoError : kFileSystemError;
}

int OsFile::Size(int64_t* size) {
  LARGE_INTEGER bytes{};
  if (!GetFileSizeEx(AsHandle(handle_), &bytes)) return CodeForSystemError(static_cast<int>(GetLastError()), path_);
  *size = bytes.QuadPart;
  return kNoError;
}

int OsFile::TruncateToEmpty() {
  FILE_END_OF_FILE_INFO end{};
  if (!SetFileInformationByHandle(AsHandle(handle_), FileEndOfFileInfo, &end, sizeof end)) {
    return CodeForSystemError(static_cast<int>(GetLastError()), path_);
  }
  return kNoError;
}

int OsFile::TakeOpenShare(int mode) {
  if (mode == kReadWriteDenyWrite) return TakeSoleShare();
  return TryLock(handle_, kWritersByte, false) ? kNoError : kAccessDenied;
}

int OsFile::TakeSoleShare() { return TryLock(handle_, kWritersByte, true) ? kNoError : kAccessDenied; }

bool OsFile::SoleShareFree() {
  // Windows has no test for a lock: taking the writers' byte alone, and giving it back at
  // once, tells the same without keeping anything.
  if (!TryLock(handle_, kWritersByte, true)) return false;
  Unlock(handle_, kWritersByte);
  return true;
}

int OsFile::LockWholeFile(int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!TryLock(handle_, kWholeFileLockByte, true)) {
    const DWORD error = GetLastError();
    if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) return kFileSystemError;
    if (std::chrono::steady_clock::now() >= deadline) return kFileLocked;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return kNoError;
}

void OsFile::UnlockWholeFile() { Unlock(handle_, kWholeFileLockByte); }

bool IsLinkRefusal(int error) { return error == ERROR_CANT_RESOLVE_FILENAME; }

bool FolderRefusesNewFile(const std::string& file, const std::string&) {
  // A create that was denied while the file is not there was denied by its folder.
  return GetFileAttributesW(runtime::Utf8ToWide(file).c_str()) == INVALID_FILE_ATTRIBUTES &&
         GetLastError() == ERROR_FILE_NOT_FOUND;
}

int SizeOfFile(const std::string& path, int64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(runtime::Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data)) {
    return CodeForSystemError(static_cast<int>(GetLastError()), path);
  }
  *size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return kNoError;
}

int CheckReadWrite(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(runtime::Utf8ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return CodeForSystemError(static_cast<int>(GetLastError()), path);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_READONLY)) return kAccessDenied;
  return kNoError;
}

int IdentityOf(const std::string& path, FileIdentity* identity) {
  // st_ino is 0 for every file here: the volume's serial number and the file's index
  // are what tell two names of one file apart from two files.
  const HANDLE handle = CreateFileW(runtime::Utf8ToWide(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return CodeForSystemError(static_cast<int>(GetLastError()), path);
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(handle, &info) != 0;
  const DWORD error = GetLastError();
  CloseHandle(handle);
  if (!known) return CodeForSystemError(static_cast<int>(error), path);
  *identity = {info.dwVolumeSerialNumber,
               (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  return kNoError;
}

int MoveOver(const std::string& temporary, const std::string& path) {
  // rename refuses an existing target here; MoveFileExW replaces it, and with
  // WRITE_THROUGH returns only once the move is on the disk.
  if (!MoveFileExW(runtime::Utf8ToWide(temporary).c_str(), runtime::Utf8ToWide(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return CodeForSystemError(static_cast<int>(GetLastError()), path);
  }
  return kNoError;
}

void RemoveFile(const std::string& path) { DeleteFileW(runtime::Utf8ToWide(path).c_str()); }

std::FILE* OpenForReading(const std::string& path, int* code) {
  // "N": not inherited by programs this one starts.
  std::FILE* file = _wfopen(runtime::Utf8ToWide(path).c_str(), L"rbN");
  *code = file != nullptr ? kNoError : CodeForSystemError(static_cast<int>(GetLastError()), path);
  return file;
}

}  // namespace files
