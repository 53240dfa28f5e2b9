#include "platform/files/test_sql.h"

namespace files::test {

SqlFile::SqlFile(const std::string& path, Access access) {
  const int flags = access == Access::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
    open_error_ = "cannot open " + path + ": " + sqlite3_errmsg(db_);
    sqlite3_close(db_);
    db_ = nullptr;
  }
}

SqlFile::~SqlFile() { sqlite3_close(db_); }

std::string SqlFile::Exec(const std::string& sql) {
  if (db_ == nullptr) return open_error_;
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return "";
  std::string text = error != nullptr ? error : sqlite3_errmsg(db_);
  sqlite3_free(error);
  return text;
}

std::string SqlFile::Text(const std::string& sql) {
  std::string value;
  const char* rest = sql.c_str();
  while (db_ != nullptr && *rest != '\0') {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, rest, -1, &statement, &rest) != SQLITE_OK) break;
    if (statement == nullptr) break;  // only blanks or comments were left
    if (sqlite3_step(statement) == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(statement, 0);
      value = text != nullptr ? reinterpret_cast<const char*>(text) : "";
    }
    sqlite3_finalize(statement);
  }
  return value;
}

int64_t SqlFile::Number(const std::string& sql) {
  const std::string text = Text(sql);
  return text.empty() ? 0 : std::stoll(text);
}

int64_t SqlFile::RootPageOffset(const std::string& name) {
  const int64_t page = Number("SELECT rootpage FROM sqlite_master WHERE name = '" + name + "'");
  return (page - 1) * Number("PRAGMA page_size");
}

}  // namespace files::test
