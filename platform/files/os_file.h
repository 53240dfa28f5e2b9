// Operating-system pieces shared by the drivers, each platform's in its own unit
// (os_file_posix.cpp, os_file_windows.cpp): open files with positioned reads and writes,
// error codes for failed system calls, file identity, replacing a file by a new one, and
// the share-mode and whole-file locks.
//
// The locks are byte-range locks on bytes that no data occupies (docs/record-format.md
// gives the bytes; they are the same on both systems, so that stations of either kind
// sharing a folder see each other's locks). On POSIX they are open-file-description locks:
// they belong to the descriptor (not to the process, so that closing another descriptor
// of the file keeps them). On Windows they are LockFileEx locks on the handle. Either way
// they vanish when their holder dies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/files/commit_groups.h"

namespace files {

// An open file, read and written at given offsets; closed when the object goes. Calls
// return the driver's code (kNoError, or what the system's failure maps to).
class OsFile {
 public:
  OsFile() = default;
  ~OsFile();
  OsFile(const OsFile&) = delete;
  OsFile& operator=(const OsFile&) = delete;

  // Opens `path` (UTF-8) for reading and writing; with `create`, a missing file is made.
  // Programs this one starts never inherit the file.
  int Open(const std::string& path, bool create);
  // Opens a lock file as Open with `create` does, but never through a symbolic link (nor,
  // on Windows, any other reparse point): in a shared folder anyone who may write there
  // could otherwise make the program create or write a file anywhere it may. A link is
  // refused with a system error that IsLinkRefusal tells.
  int OpenLockFile(const std::string& path);
  bool IsOpen() const;
  int Close();
  // The platform's error number of the last Open or OpenLockFile that failed.
  int SystemError() const { return system_error_; }

  // All of `length` bytes at `offset`; a short transfer is kFileSystemError.
  int ReadAt(void* data, size_t length, int64_t offset);
  int WriteAt(const void* data, size_t length, int64_t offset);
  int Size(int64_t* size);
  int TruncateToEmpty();

  // Share modes: a deny-none opener shares the writers' byte; a deny-write opener (and
  // Create) needs it alone. 5 when another opener's mode excludes this one.
  int TakeOpenShare(int mode);
  int TakeSoleShare();
  // True when no other opener holds a share of the file whose lock file this is; takes
  // nothing.
  bool SoleShareFree();

  // The whole-file lock of Lock/Unlock, waiting up to `seconds`; 32 when another holds it.
  int LockWholeFile(int seconds);
  void UnlockWholeFile();

 private:
  int OpenWith(const std::string& path, bool create, bool follow_links);

  std::string path_;
  intptr_t handle_ = -1;  // the descriptor on POSIX, the HANDLE on Windows
  int system_error_ = 0;
};

// The driver's code for a failed call on `path`, from the platform's error number (errno;
// GetLastError on Windows; either is what sqlite3_system_errno gives): 2 missing file,
// 3 missing folder, 5 denied, 90 anything else.
int CodeForSystemError(int error, std::string_view path);

// The system's text for such an error number.
std::string SystemErrorText(int error);

// True when the system error number is OpenLockFile's refusal of a link.
bool IsLinkRefusal(int error);

// Whether a denied create of `file` came from its folder: the file is not there and the
// folder takes no new files.
bool FolderRefusesNewFile(const std::string& file, const std::string& folder);

// The size in bytes of the file at `path`.
int SizeOfFile(const std::string& path, int64_t* size);

// kNoError when `path` is an existing file (not a folder) that may be read and written.
int CheckReadWrite(const std::string& path);

// Which file `path` names (see FileIdentity).
int IdentityOf(const std::string& path, FileIdentity* identity);

// Puts `temporary` in the place of `path`, replacing a file there, durably: after a crash
// `path` is the old file or the new one.
int MoveOver(const std::string& temporary, const std::string& path);

// Removes a file, when there is one.
void RemoveFile(const std::string& path);

// Opens a text file for reading in binary mode (never inherited); nullptr with *code set.
std::FILE* OpenForReading(const std::string& path, int* code);

}  // namespace files
