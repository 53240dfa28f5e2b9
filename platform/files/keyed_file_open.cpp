#include "platform/files/keyed_file_open.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "platform/files/errors.h"
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

}  // namespace

std::string LockFilePath(const std::string& path) { return path + ".lck"; }

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

}  // namespace files
