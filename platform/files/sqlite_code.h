// SQLite's result codes as a type of their own, apart from the driver's error codes
// (errors.h) that the record files return: both are plain ints to their libraries, and a
// code of one handed on as the other would compile and mean something else. An extended
// code (SQLITE_IOERR_FSYNC) keeps its value; Primary gives its family.
#pragma once

#include <sqlite3.h>

namespace files {

enum class SqliteCode : int {
  kOk = SQLITE_OK,
  kError = SQLITE_ERROR,
  kPerm = SQLITE_PERM,
  kBusy = SQLITE_BUSY,
  kLocked = SQLITE_LOCKED,
  kReadOnly = SQLITE_READONLY,
  kIoErr = SQLITE_IOERR,
  kCorrupt = SQLITE_CORRUPT,
  kFull = SQLITE_FULL,
  kCantOpen = SQLITE_CANTOPEN,
  kMisuse = SQLITE_MISUSE,
  kNotADb = SQLITE_NOTADB,
  kRow = SQLITE_ROW,
  kDone = SQLITE_DONE,
};

inline SqliteCode Primary(SqliteCode code) { return SqliteCode{static_cast<int>(code) & 0xFF}; }

// SQLite's English text of the code, for a message when no connection can say more.
inline const char* CodeText(SqliteCode code) { return sqlite3_errstr(static_cast<int>(code)); }

// Runs `sql` (one or more statements) without reading rows.
inline SqliteCode Exec(sqlite3* db, const char* sql) {
  return SqliteCode{sqlite3_exec(db, sql, nullptr, nullptr, nullptr)};
}

}  // namespace files
