// Page size of the record files: new files get 64 KB pages; a file made with smaller pages
// keeps working, and the VACUUM that record-format.md gives turns it into one with 64 KB
// pages without changing a record.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/keyed_file.h"
#include "platform/files/test_table.h"

namespace files {
namespace {

// What the sqlite3 shell would do: one statement on the file, and the first column of its
// first row.
std::string Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  sqlite3_stmt* statement = nullptr;
  std::string value;
  const char* rest = sql.c_str();
  while (*rest != '\0') {
    EXPECT_EQ(sqlite3_prepare_v2(db, rest, -1, &statement, &rest), SQLITE_OK) << sqlite3_errmsg(db);
    if (statement == nullptr) break;
    if (sqlite3_step(statement) == SQLITE_ROW) {
      value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return value;
}

std::vector<int32_t> CodesInKeyOrder(test::Table& t) {
  std::vector<int32_t> codes;
  EXPECT_EQ(t.file.SetStart(test::kCode), 0);
  while (!t.file.Eof() && t.file.Next() == 0) codes.push_back(t.Code());
  return codes;
}

TEST(KeyedFilePageSize, NewFilesGetLargePagesAndOlderFilesAreVacuumedIntoThem) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("page_size_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "TABLA.VQF").string();
  std::vector<int32_t> codes;
  {
    test::Table t;
    ASSERT_EQ(t.file.Create(path), 0) << t.file.Detail();
    ASSERT_EQ(t.file.Open(path), 0) << t.file.Detail();
    for (int32_t code = 1; code <= 500; ++code) {
      t.Fill(code, "n" + std::to_string(code));
      ASSERT_EQ(t.file.Add(), 0) << t.file.Detail();
      codes.push_back(code);
    }
    ASSERT_EQ(t.file.Close(), 0);
  }
  EXPECT_EQ(Sql(path, "PRAGMA page_size"), "65536");

  // Opens the file, walks it, and rewrites record 250's amount from `before` to `after`.
  const auto use = [&](uint8_t before, uint8_t after) {
    test::Table t;
    ASSERT_EQ(t.file.Open(path), 0) << t.file.Detail();
    EXPECT_EQ(CodesInKeyOrder(t), codes);
    t.Clear();
    t.SetCode(250);
    ASSERT_EQ(t.file.Get(test::kCode), 0);
    EXPECT_EQ(t.Amount(), before);
    t.Amount() = after;
    ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
    ASSERT_EQ(t.file.Close(), 0);
  };

  // A file as the earlier program made them: SQLite's default pages.
  Sql(path, "PRAGMA page_size = 4096; VACUUM");
  ASSERT_EQ(Sql(path, "PRAGMA page_size"), "4096");
  use(0, 9);

  Sql(path, "PRAGMA page_size = 65536; VACUUM");
  EXPECT_EQ(Sql(path, "PRAGMA page_size"), "65536");
  EXPECT_EQ(Sql(path, "PRAGMA integrity_check"), "ok");
  use(9, 10);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace files
