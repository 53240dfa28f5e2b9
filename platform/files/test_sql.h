// For the tests: a record file opened with SQLite itself, beside the record layer, as
// another program (or the sqlite3 shell) would open it.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace files::test {

class SqlFile {
 public:
  enum class Access { kReadWrite, kReadOnly };

  // Opens an existing file; a missing one is not created (IsOpen is false and every call
  // fails, Exec with the reason).
  explicit SqlFile(const std::string& path, Access access = Access::kReadWrite);
  ~SqlFile();
  SqlFile(const SqlFile&) = delete;
  SqlFile& operator=(const SqlFile&) = delete;

  bool IsOpen() const { return db_ != nullptr; }

  // Runs the statements of `sql` in turn; SQLite's text for the first that fails, empty when
  // all of them ran.
  std::string Exec(const std::string& sql);
  // The first column of the first row of the last statement of `sql` that gives a row;
  // empty (or 0) when none does.
  std::string Text(const std::string& sql);
  int64_t Number(const std::string& sql);
  // Where in the file the root page of the table or index `name` begins.
  int64_t RootPageOffset(const std::string& name);

 private:
  sqlite3* db_ = nullptr;
  std::string open_error_;  // why the open failed
};

}  // namespace files::test
