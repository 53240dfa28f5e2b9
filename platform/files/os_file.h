// Operating-system pieces shared by the drivers: error codes for failed system calls, and
// the share-mode and whole-file locks, held as open-file-description locks on byte ranges
// that no data occupies. Such locks belong to the descriptor (not to the process, so that
// closing another descriptor of the file keeps them) and vanish when their holder dies.
#pragma once

#include <string>
#include <string_view>

namespace files {

// The driver's code for a failed call on `path`: 2 missing file, 3 missing folder, 5 denied,
// 90 anything else.
int CodeForErrno(int error, std::string_view path);

// Opens the lock file at `path` for reading and writing, creating it when missing, and
// never through a symbolic link: the descriptor, or -1 with errno set (ELOOP for a link).
int OpenLockFile(const std::string& path);

// Share modes: a deny-none opener shares the writers' byte; a deny-write opener (and Create)
// needs it alone. 5 when another opener's mode excludes this one.
int TakeOpenShare(int fd, int mode);
int TakeSoleShare(int fd);
// True when no other opener holds a share of the file whose lock file `fd` is; takes nothing.
bool SoleShareFree(int fd);

// The whole-file lock of Lock/Unlock, waiting up to `seconds`; 32 when another holds it.
int LockWholeFile(int fd, int seconds);
void UnlockWholeFile(int fd);

}  // namespace files
