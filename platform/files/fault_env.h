// An Env for the tests, wrapped around the platform's: it makes the calls on the files
// whose path ends with a chosen suffix ("X.VQF", "X.VQF.lck") fail the way a failing disk
// or a file system without locks does. Everything else passes through unchanged. Beside
// FaultVfs, which does the same for SQLite's own reads and writes of the keyed files.
#pragma once

#include <mutex>
#include <string>

#include "platform/files/env.h"

namespace files::test {

// Outlives the files it opens.
class FaultEnv final : public Env {
 public:
  FaultEnv() = default;
  FaultEnv(const FaultEnv&) = delete;
  FaultEnv& operator=(const FaultEnv&) = delete;

  enum class Fault {
    kNone,
    kOpenError,    // opening the file fails with an I/O error
    kLockError,    // its share and whole-file locks fail, neither taken nor refused
    kReadError,    // reads fail with an I/O error
    kWriteError,   // writes fail with an I/O error and write nothing
    kShortWrite,   // writes store the first half of their bytes, then fail
    kRenameError,  // moving another file into its place fails
  };
  // From now on the files whose path ends with `suffix` meet `fault`, already open ones
  // included.
  void Fail(const std::string& suffix, Fault fault);
  void Clear() { Fail({}, Fault::kNone); }

  // The platform's error number for an I/O error, which the failed calls report.
  static int InjectedError();

  // True when a call that `fault` fails is now to fail on `path`.
  bool Hits(const std::string& path, Fault fault) const;

  int OpenFile(const std::string& path, bool create, std::unique_ptr<File>* file, int* system_error) override;
  int OpenLockFile(const std::string& path, std::unique_ptr<File>* file, int* system_error) override;
  int OpenForReading(const std::string& path, std::unique_ptr<SequentialFile>* file) override;
  int SizeOfFile(const std::string& path, int64_t* size) override;
  int CheckReadWrite(const std::string& path) override;
  int IdentityOf(const std::string& path, FileIdentity* identity) override;
  bool FolderRefusesNewFile(const std::string& file, const std::string& folder) override;
  int MoveOver(const std::string& temporary, const std::string& path) override;
  void RemoveFile(const std::string& path) override;

 private:
  // True when an open of `path` meets kOpenError, with the error number set.
  bool FailsOpen(const std::string& path, int* system_error) const;
  // The base Env's open of `path`, its file wrapped to meet the faults.
  int Wrap(int code, const std::string& path, std::unique_ptr<File>* file);

  Env* const base_ = Env::Default();
  mutable std::mutex mutex_;
  std::string suffix_;  // guarded by mutex_
  Fault fault_ = Fault::kNone;  // guarded by mutex_
};

}  // namespace files::test
