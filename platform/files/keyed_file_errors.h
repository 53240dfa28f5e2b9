// The error state of a keyed file instance: the driver's code of its last call (errors.h)
// and the sentence in Spanish that tells the user which file failed and why. The sentences
// that do not depend on what the instance is in the middle of are made here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files/env.h"

namespace files {

class ErrorReport {
 public:
  // `path` is the instance's file, read at each failure (it changes with each open).
  ErrorReport(const std::string& path, Env* env) : path_(path), env_(env) {}

  int code() const { return code_; }
  const std::string& detail() const { return detail_; }

  // Every call ends here: `code` with its detail (none for success) is what the instance
  // reports until its next call.
  int Done(int code, std::string detail = {});

  // A code of the Env for the file itself (2, 3, 5 or 90), with the system's text.
  int FailCode(int code, const std::string& system_text = "");
  int FailErrno(int error);
  // A failure to create or open `file`, a file beside the data file (its lock file, the
  // new file of Create): the message names that file, or the folder when it is the cause.
  int FailBesideFile(int error, const std::string& file);
  // A share or lock of the lock file that failed, neither taken nor refused by another
  // holder: a folder whose file system keeps no locks.
  int FailLockFile(const File& lock_file);
  // SQLite opened the file for reading only: its header asks for a newer writer (a
  // `write_version` above 2, keyed_file_open.h), or the system lets this process only
  // read it.
  int FailReadOnly(int write_version);
  // Another station keeps the file in a write (its lock outlasts any commit).
  int Held();
  // Another instance rewrote or deleted the record after this one read it.
  int RecordChangedSinceRead();
  // SQLite rolled a cascade's transaction back whole (keyed_file.h, BeginTransaction).
  int TransactionLost();

  // The detail of a write group of `writes` records that went back: its commit failed, or
  // SQLite undid it. The count comes first, so that a line cut to its width still tells it.
  std::string LostWrites(int64_t writes, const std::string& cause) const;

 private:
  const std::string& path_;
  Env* const env_;
  int code_ = 0;
  std::string detail_;
};

}  // namespace files
