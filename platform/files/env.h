// Every file access of the record layer that is not SQLite's own (SQLite reads and writes
// the keyed files through its VFS): the lock files, the flat and line files, and the
// file-system calls around a keyed file. Each platform has its Env in its own unit
// (env_posix.cpp, env_windows.cpp), chosen by the build; the drivers take an Env, the
// platform's unless a test gives one that fails chosen calls (fault_env.h).
//
// The locks are byte-range locks on bytes that no data occupies (docs/record-format.md
// gives the bytes; they are the same on both systems, so that stations of either kind
// sharing a folder see each other's locks). On POSIX they are open-file-description locks:
// they belong to the descriptor (not to the process, so that closing another descriptor
// of the file keeps them). On Windows they are LockFileEx locks on the handle. Either way
// they vanish when their holder dies.
//
// Calls return the driver's code (kNoError, or what the system's failure maps to).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/commit_groups.h"

namespace files {

// An open file, read and written at given offsets; closed when the object goes.
class File {
 public:
  virtual ~File() = default;

  // All of `length` bytes at `offset`; a short transfer is kFileSystemError.
  virtual int ReadAt(void* data, size_t length, int64_t offset) = 0;
  virtual int WriteAt(const void* data, size_t length, int64_t offset) = 0;
  virtual int Size(int64_t* size) = 0;
  virtual int TruncateToEmpty() = 0;

  // Share modes: a deny-none opener shares the writers' byte; a deny-write opener (and
  // Create) needs it alone. 5 when another opener's mode excludes this one; 90 when the
  // lock itself fails (a file system that keeps no locks).
  virtual int TakeOpenShare(int mode) = 0;
  virtual int TakeSoleShare() = 0;
  // True when no other opener holds a share of the file whose lock file this is; takes
  // nothing. False also when the question cannot be asked.
  virtual bool SoleShareFree() = 0;

  // The whole-file lock of Lock/Unlock, waiting up to `seconds`; 32 when another holds it,
  // 90 when the lock itself fails.
  virtual int LockWholeFile(int seconds) = 0;
  virtual void UnlockWholeFile() = 0;

  // Closes the file at once, with the system's verdict on it; the object is then spent.
  virtual int Close() = 0;
  // The platform's error number of the last call that failed.
  virtual int SystemError() const = 0;
};

// A file read once from its start.
class SequentialFile {
 public:
  virtual ~SequentialFile() = default;
  // Up to `capacity` bytes into `data`; *done is 0 at the end of the file.
  virtual int Read(char* data, size_t capacity, size_t* done) = 0;
};

class Env {
 public:
  virtual ~Env() = default;

  // The platform's Env, shared by the whole process.
  static Env* Default();

  // Opens `path` (UTF-8) for reading and writing; with `create`, a missing file is made.
  // Programs this one starts never inherit the file. On failure *system_error (when given)
  // is the platform's error number.
  virtual int OpenFile(const std::string& path, bool create, std::unique_ptr<File>* file,
                       int* system_error) = 0;
  // Opens a lock file as OpenFile with `create` does, but never through a symbolic link
  // (nor, on Windows, any other reparse point): in a shared folder anyone who may write
  // there could otherwise make the program create or write a file anywhere it may. A link
  // is refused with a system error that IsLinkRefusal tells.
  virtual int OpenLockFile(const std::string& path, std::unique_ptr<File>* file, int* system_error) = 0;
  // Opens a file only to be read through, in binary mode (never inherited).
  virtual int OpenForReading(const std::string& path, std::unique_ptr<SequentialFile>* file) = 0;

  // The size in bytes of the file at `path`.
  virtual int SizeOfFile(const std::string& path, int64_t* size) = 0;
  // kNoError when `path` is an existing file (not a folder) that may be read and written.
  virtual int CheckReadWrite(const std::string& path) = 0;
  // Which file `path` names (see FileIdentity).
  virtual int IdentityOf(const std::string& path, FileIdentity* identity) = 0;
  // Whether a denied create of `file` came from its folder: the file is not there and the
  // folder takes no new files.
  virtual bool FolderRefusesNewFile(const std::string& file, const std::string& folder) = 0;

  // Puts `temporary` in the place of `path`, replacing a file there, durably: after a crash
  // `path` is the old file or the new one.
  virtual int MoveOver(const std::string& temporary, const std::string& path) = 0;
  // Removes a file, when there is one.
  virtual void RemoveFile(const std::string& path) = 0;
};

// The platform's error numbers (errno; GetLastError on Windows; either is what
// sqlite3_system_errno gives), read the same whichever Env gave them.

// The driver's code for a failed call on `path`: 2 missing file, 3 missing folder,
// 5 denied, 90 anything else.
int CodeForSystemError(int error, std::string_view path);

// The system's text for such an error number.
std::string SystemErrorText(int error);

// True when the system error number is OpenLockFile's refusal of a link.
bool IsLinkRefusal(int error);

}  // namespace files
