// A SQLite VFS for the tests, wrapped around the default one and made the default: it makes
// the files whose path ends with a chosen suffix ("X.VQF", "X.VQF-journal") fail the way a
// failing disk does, or stall in a write so that a test can kill the process right there,
// and it counts how journals are deleted. Everything else passes through unchanged.
#pragma once

#include <string>

namespace files::test {

class FaultVfs {
 public:
  // Installs the VFS on the first use in the process (it stays, passing everything through
  // while no fault is set), and starts with no fault and the counts at zero.
  FaultVfs();
  // Clears the fault.
  ~FaultVfs();
  FaultVfs(const FaultVfs&) = delete;
  FaultVfs& operator=(const FaultVfs&) = delete;

  enum class Fault {
    kNone,
    kFullDisk,     // writes fail with SQLITE_FULL, as on a full disk
    kWriteError,   // writes fail with an I/O error
    kSyncError,    // syncs fail with an I/O error: a commit that reaches one fails
    kReadError,    // reads fail with an I/O error
    kStallWrite,   // a write prints "stalled" and never returns
    kReadOnly,     // the file opens for reading only, as one the system lets this process
                   // only read (SQLite then refuses every write to it)
  };
  // From now on the files whose path ends with `suffix` meet `fault`, already open ones
  // included, but for the first `spared` of them opened from now on (a journal lives for
  // one commit, so sparing journals spares commits).
  void Fail(const std::string& suffix, Fault fault, int spared = 0);
  // As Fail, but of the calls that `fault` concerns (writes; syncs for kSyncError, reads
  // for kReadError) on those files, counted from now on, only the nth fails.
  void FailNth(const std::string& suffix, Fault fault, int nth);
  void Clear() { Fail({}, Fault::kNone); }

  // Journal deletions seen, and how many of them synced the folder afterwards.
  int journal_deletes() const;
  int synced_journal_deletes() const;
};

}  // namespace files::test
