// A prepared SQLite statement that resets itself after use, so that no read cursor stays
// open between calls (an open cursor would hold the file's shared lock and block commits).
// A statement whose Prepare failed (or that was never prepared) is harmless: Step returns
// kMisuse, the columns read as empty, and the rest does nothing, so that a failure
// path that resets or reads it cannot crash.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/sqlite_code.h"

namespace files {

class Statement {
 public:
  Statement() = default;
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SqliteCode Prepare(sqlite3* db, std::string_view sql) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    return SqliteCode{sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                         SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr)};
  }
  bool Prepared() const { return stmt_ != nullptr; }

  // Bound values are copied only where the caller's bytes may not outlive the step.
  void Bind(int index, int64_t value) {
    if (stmt_ != nullptr) sqlite3_bind_int64(stmt_, index, value);
  }
  void Bind(int index, const void* data, size_t size) {
    if (stmt_ != nullptr) sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_STATIC);
  }
  void Bind(int index, const std::string& bytes) { Bind(index, bytes.data(), bytes.size()); }
  void BindText(int index, std::string_view text) {
    if (stmt_ != nullptr) sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  }

  // kRow, kDone or an error code.
  SqliteCode Step() { return stmt_ != nullptr ? SqliteCode{sqlite3_step(stmt_)} : SqliteCode::kMisuse; }
  void Reset() {
    if (stmt_ == nullptr) return;
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }

  int64_t Int(int column) const { return stmt_ != nullptr ? sqlite3_column_int64(stmt_, column) : 0; }
  std::string_view Text(int column) const {
    if (stmt_ == nullptr) return {};
    const unsigned char* text = sqlite3_column_text(stmt_, column);
    return text == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(text),
                                              static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
  }
  std::string_view Blob(int column) const {
    if (stmt_ == nullptr) return {};
    const void* blob = sqlite3_column_blob(stmt_, column);
    return blob == nullptr ? std::string_view()
                           : std::string_view(static_cast<const char*>(blob),
                                              static_cast<size_t>(sqlite3_column_bytes(stmt_, column)));
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// The integer in the first column of the first row of `sql` (a count, a pragma's value).
inline SqliteCode QueryInteger(sqlite3* db, std::string_view sql, int64_t* value) {
  Statement s;
  SqliteCode rc = s.Prepare(db, sql);
  if (rc == SqliteCode::kOk) rc = s.Step();
  if (rc != SqliteCode::kRow) return rc;
  *value = s.Int(0);
  s.Reset();
  return SqliteCode::kOk;
}

}  // namespace files
