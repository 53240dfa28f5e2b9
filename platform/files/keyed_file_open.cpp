#include "platform/files/keyed_file_open.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string_view>
#include <thread>

#include "platform/files/errors.h"
#include "platform/files/key_encoding.h"
#include "platform/files/sqlite_statement.h"
#include "platform/files/stored_layout.h"
#include "platform/runtime/paths.h"

namespace files {
namespace {

// Pages of new files. A record of 1 to 3 KB fills a small page alone and spills into
// overflow pages; 64 KB pages hold tens of records, so that a walk that rewrites them in key
// order writes each page (and journals it) once for many records. Measured on a conversion
// run's rewrite: half the time of the default 4 KB.
constexpr char kPageSizePragma[] = "PRAGMA page_size = 65536";

// The page cache of an open file, in KiB (a negative cache_size counts KiB). A write group
// of about 100 ms rewrites some tens of MB of pages; with SQLite's default 2 MB the cache
// spills dirty pages to the file in mid-group, with an extra sync of the journal each time.
// Pages are taken as they are used, so a file that is only looked up costs little.
constexpr char kCacheSizePragma[] = "PRAGMA cache_size = -65536";

// A new empty file for `layout` at `path`. On failure *system_error is the system's error
// (0 when there is none) and *message SQLite's account.
SqliteCode WriteEmptyFile(const std::string& path, const RecordLayout& layout, int* system_error,
                          std::string* message) {
  sqlite3* db = nullptr;
  SqliteCode rc{sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                nullptr)};
  if (rc == SqliteCode::kOk) rc = Exec(db, kPageSizePragma);
  if (rc == SqliteCode::kOk) rc = Exec(db, "BEGIN");
  if (rc == SqliteCode::kOk) rc = Exec(db, SchemaSql(layout).c_str());
  if (rc == SqliteCode::kOk) rc = WriteLayout(db, layout);
  if (rc == SqliteCode::kOk) rc = Exec(db, "COMMIT");
  *system_error = db != nullptr ? sqlite3_system_errno(db) : 0;
  *message = db != nullptr ? sqlite3_errmsg(db) : CodeText(rc);
  sqlite3_close(db);
  return rc;
}

// The journal and sync settings of every open, rather than the library's defaults: the
// rollback journal (never WAL, which shared network folders cannot carry), and EXTRA
// sync, under which a commit that has returned survives a power cut: the journal is
// synced before the file is written, the file before the journal is deleted, and the
// folder after that deletion, so that the journal cannot come back and undo the commit.
// A file another program switched to WAL is taken back to the journal; while such a
// program keeps it open that cannot be done, and the file is refused.
int SetDurability(sqlite3* db, Env* env, const std::string& path, ErrorReport* errors) {
  std::string mode;
  sqlite3_busy_timeout(db, kHoldCheckTimeoutMs);
  SqliteCode rc = SetJournalModeDelete(db, &mode);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  // Busy is a file in WAL mode that another program has open, or one that another
  // station keeps locked in a write: the header tells them apart.
  if (Primary(rc) == SqliteCode::kBusy && WriteVersionOf(env, path) != 2) return errors->Held();
  if ((rc == SqliteCode::kOk && mode != "delete") || Primary(rc) == SqliteCode::kBusy) {
    return errors->Done(kAccessDenied, "El archivo " + path + " está en modo WAL y otro programa lo tiene abierto; " +
                                           "ciérrelo y vuelva a intentarlo, pues este archivo solo se usa con el " +
                                           "diario de reversión");
  }
  if (rc == SqliteCode::kOk) rc = Exec(db, "PRAGMA synchronous=EXTRA");
  if (rc == SqliteCode::kOk) return kNoError;
  return errors->FailSql(rc, db);
}

}  // namespace

std::string LockFilePath(const std::string& path) { return path + ".lck"; }

int CheckKeysOrderable(const RecordLayout& layout, ErrorReport* errors) {
  for (const KeyDecl& key : layout.keys) {
    for (const KeyPart& part : key.parts) {
      if (!IsKeyableType(layout.fields[part.field].type)) return errors->FailUnorderableKey(key.name);
    }
  }
  return kNoError;
}

int OpenLockFile(Env* env, const std::string& path, ErrorReport* errors, std::unique_ptr<File>* file) {
  const std::string lock_path = LockFilePath(path);
  int error = 0;
  if (env->OpenLockFile(lock_path, file, &error) == kNoError) return kNoError;
  return errors->FailBesideFile(error, lock_path);
}

int TakeOpenShareWaiting(File& lock_file, int mode, int seconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  int rc;
  while ((rc = lock_file.TakeOpenShare(mode)) == kAccessDenied && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return rc;
}

int OpenConnection(Env* env, const std::string& path, ErrorReport* errors, sqlite3** db) {
  const SqliteCode rc{sqlite3_open_v2(path.c_str(), db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr)};
  if (rc != SqliteCode::kOk) return errors->FailSql(rc, *db);
  sqlite3_busy_timeout(*db, kBusyTimeoutMs);
  if (int code = SetDurability(*db, env, path, errors); code != kNoError) return code;
  Exec(*db, kCacheSizePragma);  // a smaller cache only costs time
  return kNoError;
}

int BuildEmptyFile(Env* env, const std::string& path, const RecordLayout& layout, ErrorReport* errors) {
  const std::string temporary = path + ".nuevo";
  env->RemoveFile(temporary);
  env->RemoveFile(temporary + "-journal");
  int system_error = 0;
  std::string message;
  if (WriteEmptyFile(temporary, layout, &system_error, &message) != SqliteCode::kOk) {
    env->RemoveFile(temporary);
    if (system_error != 0) return errors->FailBesideFile(system_error, temporary);
    return errors->Done(kFileSystemError, "No se pudo crear el archivo " + path + " (" + message + ")");
  }
  if (int code = env->MoveOver(temporary, path); code != kNoError) {
    env->RemoveFile(temporary);
    return errors->FailCode(code);
  }
  return errors->Done(kNoError);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind(runtime::kPathSeparator);
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

int WriteVersionOf(Env* env, const std::string& path) {
  std::unique_ptr<SequentialFile> file;
  if (env->OpenForReading(path, &file) != kNoError) return -1;
  char header[19];
  size_t have = 0;
  while (have < sizeof header) {
    size_t done = 0;
    if (file->Read(header + have, sizeof header - have, &done) != kNoError || done == 0) return -1;
    have += done;
  }
  return static_cast<uint8_t>(header[18]);
}

SqliteCode SetJournalModeDelete(sqlite3* db, std::string* mode) {
  return SqliteCode{sqlite3_exec(
      db, "PRAGMA journal_mode=DELETE",
      [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) = values[0] != nullptr ? values[0] : "";
        return 0;
      },
      mode, nullptr)};
}

SqliteCode CheckWholePages(sqlite3* db, Env* env, const std::string& path, std::string* cut_short) {
  SqliteCode rc = Exec(db, "BEGIN");
  if (rc != SqliteCode::kOk) return rc;
  int64_t pages = 0, page_size = 0;
  rc = QueryInteger(db, "PRAGMA page_count", &pages);
  if (rc == SqliteCode::kOk) rc = QueryInteger(db, "PRAGMA page_size", &page_size);
  int64_t size = 0;
  if (rc == SqliteCode::kOk && env->SizeOfFile(path, &size) == kNoError && size != pages * page_size) {
    *cut_short = "El archivo " + path + " está dañado: mide " + std::to_string(size) +
                 " bytes y debería medir " + std::to_string(pages * page_size);
  }
  Exec(db, "COMMIT");
  return rc;
}

SqliteCode ChooseWriteInPlace(sqlite3* db, const RecordLayout& layout, bool* in_place) {
  int64_t triggers = 0;
  const SqliteCode rc =
      QueryInteger(db, "SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = 'records'", &triggers);
  if (rc != SqliteCode::kOk) return rc;
  *in_place = triggers == 0 && layout.memos.empty();
  return SqliteCode::kOk;
}

SqliteCode QuickCheck(sqlite3* db, std::string* finding) {
  Statement check;
  SqliteCode rc = check.Prepare(db, "PRAGMA quick_check(1)");
  if (rc == SqliteCode::kOk) rc = check.Step();
  if (rc != SqliteCode::kRow) return rc;
  *finding = check.Text(0);
  check.Reset();
  if (*finding == "ok") finding->clear();
  // A finding about a page comes after a line that names the database: one line is kept.
  constexpr std::string_view kHeading = "*** in database main ***\n";
  if (finding->starts_with(kHeading)) finding->erase(0, kHeading.size());
  std::replace(finding->begin(), finding->end(), '\n', ' ');
  return SqliteCode::kOk;
}

SqliteCode CountIndexEntries(sqlite3* db, const RecordLayout& layout, std::string* finding) {
  int64_t rows = 0;
  SqliteCode rc = QueryInteger(db, "SELECT count(*) FROM records NOT INDEXED", &rows);
  for (size_t k = 1; rc == SqliteCode::kOk && finding->empty() && k <= layout.keys.size(); ++k) {
    const std::string column = "key" + std::to_string(k), index = "records_" + column;
    int64_t entries = 0;
    rc = QueryInteger(db, "SELECT count(" + column + ") FROM records INDEXED BY " + index, &entries);
    if (rc == SqliteCode::kOk && entries != rows) {
      *finding = "el índice " + index + " tiene " + std::to_string(entries) + " entradas y la tabla " +
                 std::to_string(rows) + " registros";
    }
  }
  return rc;
}

}  // namespace files
