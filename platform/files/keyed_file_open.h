// What opening a keyed file takes and checks of it, beside its layout (stored_layout.h):
// its lock file and share, the connection and its journal, whole pages, the choice of
// writing in place; what its integrity check reads; and the build of a new empty file.
// The functions that return the driver's code leave its sentence in the instance's
// ErrorReport; those that return SQLite's leave that to the instance.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files/env.h"
#include "platform/files/keyed_file_errors.h"
#include "platform/files/layout.h"
#include "platform/files/sqlite_code.h"

namespace files {

// How long a write waits for another station's commit before it gives up with 32.
inline constexpr int kBusyTimeoutMs = 10000;
// How long the check for a station that holds the file waits: far longer than any commit,
// far shorter than a write that would wait behind a station that keeps the file.
inline constexpr int kHoldCheckTimeoutMs = 2000;

std::string LockFilePath(const std::string& path);
// The folder of `path`, with its separator ("." for a bare name).
std::string FolderOf(const std::string& path);

// Every key component must be of a type that key_encoding.h orders.
int CheckKeysOrderable(const RecordLayout& layout, ErrorReport* errors);
// The lock file beside the data file at `path`, created when missing, never through a link.
int OpenLockFile(Env* env, const std::string& path, ErrorReport* errors, std::unique_ptr<File>* file);
// The share of Open (its mode), waiting up to `seconds` for an opener whose mode excludes
// this one to close: the lock file's code, with no sentence.
int TakeOpenShareWaiting(File& lock_file, int mode, int seconds);
// The connection to the file at `path`, set up for every open: its busy timeout, the
// rollback journal and the syncs that make a commit durable, the page cache. On failure
// *db may hold a connection for the caller to close.
int OpenConnection(Env* env, const std::string& path, ErrorReport* errors, sqlite3** db);
// A new empty file for `layout` at `path`, written beside it and moved over it.
int BuildEmptyFile(Env* env, const std::string& path, const RecordLayout& layout, ErrorReport* errors);

// Byte 18 of the file's header, the format version a writer must know: 1 for the rollback
// journal, 2 for WAL; SQLite only reads a file with a larger one. -1 when it cannot be read.
// Read straight from the file, so that it needs no lock another station may hold.
int WriteVersionOf(Env* env, const std::string& path);

// Switches the file to the rollback journal; *mode is the journal mode SQLite reports.
SqliteCode SetJournalModeDelete(sqlite3* db, std::string* mode);

// A quick look at the structure at open: the file must be exactly the whole pages that
// its header counts. SQLite rounds a file cut short up to whole pages and, when the cut
// is small, reads and writes it as if nothing were missing; such a file is refused as
// damaged (*cut_short says how). The check runs under a read lock, so that no writer
// changes the size meanwhile.
SqliteCode CheckWholePages(sqlite3* db, Env* env, const std::string& path, std::string* cut_short);

// Whether a rewrite that keeps the keys may write the record's data in place through
// SQLite's BLOB handle. Such a write passes by the table's triggers (rules someone gave
// the file with sqlite3) and writes `data` alone, not the memos the buffer may have
// changed: files with either have every record written with an UPDATE.
SqliteCode ChooseWriteInPlace(sqlite3* db, const RecordLayout& layout, bool* in_place);

// SQLite's check of every page, stopped at its first finding (empty when there is none).
SqliteCode QuickCheck(sqlite3* db, std::string* finding);
// The first index whose entries are not as many as the table's rows, into *finding.
SqliteCode CountIndexEntries(sqlite3* db, const RecordLayout& layout, std::string* finding);

}  // namespace files
