// The error state of a keyed file instance: the driver's code of its last call (errors.h)
// and the sentence in Spanish that tells the user which file failed and why. SQLite's codes
// are turned into the driver's here, and every sentence that needs no more than the file's
// name and what the instance hands in is made here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files/env.h"
#include "platform/files/sqlite_code.h"

struct sqlite3;

namespace files {

// SQLite's codes for a file that is not a database, or not a whole one.
bool MeansDamage(SqliteCode rc);
// SQLite's codes for a call that was refused (another station's lock, the system's
// permission, a file SQLite opened for reading only) rather than one that failed midway:
// SQLite's transaction stays as it was.
bool MeansRefusal(SqliteCode rc);
// SQLite's account of the last call on `db`, or the code's text without a connection.
std::string SqlMessage(sqlite3* db, SqliteCode rc);

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
  // A failed SQLite call, with SQLite's account `cause`; `system_error` is the system's
  // error of the call (0 when none).
  int FailSql(SqliteCode rc, int system_error, const std::string& cause);
  // The same, on the connection `db` (null when it could not be made).
  int FailSql(SqliteCode rc, sqlite3* db);
  // The sentence of a file that SQLite does not read as a database of ours.
  std::string DamagedDetail(const std::string& cause) const;
  // The sentence of a file whose integrity check found `finding`.
  std::string IntegrityFaultDetail(const std::string& finding) const;
  // SQLite opened the file for reading only: its header asks for a newer writer (a
  // `write_version` above 2, keyed_file_open.h), or the system lets this process only
  // read it.
  int FailReadOnly(int write_version);
  // Another station keeps the file in a write (its lock outlasts any commit).
  int Held();
  // Another instance rewrote or deleted the record after this one read it.
  int RecordChangedSinceRead();
  // The file's structure is not the layout declared (`difference` says where).
  int FailLayout(const std::string& difference);
  // A key of the layout has a component that cannot be ordered.
  int FailUnorderableKey(const char* key);
  // Another record holds the buffer's value of a unique key.
  int DuplicateKey(const char* key);
  // With the lock file's `code`: the share of Create or Open that another opener refuses,
  // and the whole-file lock that another station holds.
  int OpenSoCannotReplace(int code);
  int OpenInAnotherMode(int code);
  int LockedByAnotherStation(int code);
  // A record whose `size` bytes do not fit the layout's `length`.
  int BadRecord(int64_t id, size_t size, uint32_t length);
  // The progress of a later pass (pass_marks.h) found in the file.
  int LaterPass(const std::string& pass);
  // SQLite rolled a cascade's transaction back whole (keyed_file.h, BeginTransaction).
  int TransactionLost();

  // The detail of a write group of `writes` records that went back: its commit failed, or
  // SQLite undid it. The count comes first, so that a line cut to its width still tells it.
  std::string LostWrites(int64_t writes, const std::string& cause) const;
  int FailLostWrites(int64_t writes, const std::string& cause);
  // The detail of an instance whose rollback failed: it writes nothing more.
  std::string RollBackFailedDetail() const;

 private:
  const std::string& path_;
  Env* const env_;
  int code_ = 0;
  std::string detail_;
};

}  // namespace files
