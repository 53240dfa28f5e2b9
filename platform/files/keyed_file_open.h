// What opening a keyed file checks of it, beside its layout (stored_layout.h), and what
// its integrity check reads; and the build of a new empty file. SQLite's side only: the
// instance turns a failure into the driver's code and the user's sentence.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "platform/files/env.h"
#include "platform/files/layout.h"
#include "platform/files/sqlite_code.h"

namespace files {

// The page cache of an open file, in KiB (a negative cache_size counts KiB). A write group
// of about 100 ms rewrites some tens of MB of pages; with SQLite's default 2 MB the cache
// spills dirty pages to the file in mid-group, with an extra sync of the journal each time.
// Pages are taken as they are used, so a file that is only looked up costs little.
inline constexpr char kCacheSizePragma[] = "PRAGMA cache_size = -65536";

std::string LockFilePath(const std::string& path);
// The folder of `path`, with its separator ("." for a bare name).
std::string FolderOf(const std::string& path);

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

// A new empty file for `layout` at `path`. On failure *system_error is the system's error
// (0 when there is none) and *message SQLite's account.
SqliteCode WriteEmptyFile(const std::string& path, const RecordLayout& layout, int* system_error,
                          std::string* message);

}  // namespace files
