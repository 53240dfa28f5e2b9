// Page size of the record files: new files get 64 KB pages; a file made with smaller pages
// keeps working, and the VACUUM that record-format.md gives turns it into one with 64 KB
// pages without changing a record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files/keyed_file.h"
#include "platform/files/test_sql.h"
#include "platform/files/test_table.h"
#include "platform/files/test_walk.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

TEST(KeyedFilePageSize, NewFilesGetLargePagesAndOlderFilesAreVacuumedIntoThem) {
  const runtime::test::TestFolder folder;
  const std::string path = folder.In("TABLA.VQF");
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
  EXPECT_EQ(test::SqlFile(path).Text("PRAGMA page_size"), "65536");

  // Opens the file, walks it, and rewrites record 250's amount from `before` to `after`.
  const auto use = [&](uint8_t before, uint8_t after) {
    test::Table t;
    ASSERT_EQ(t.file.Open(path), 0) << t.file.Detail();
    std::vector<int32_t> walked;
    EXPECT_EQ(test::VisitRecords(t.file, test::kCode, [&] { walked.push_back(t.Code()); }), 0);
    EXPECT_EQ(walked, codes);
    t.Clear();
    t.SetCode(250);
    ASSERT_EQ(t.file.Get(test::kCode), 0);
    EXPECT_EQ(t.Amount(), before);
    t.Amount() = after;
    ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
    ASSERT_EQ(t.file.Close(), 0);
  };

  // A file as the earlier program made them: SQLite's default pages.
  ASSERT_EQ(test::SqlFile(path).Exec("PRAGMA page_size = 4096; VACUUM"), "");
  ASSERT_EQ(test::SqlFile(path).Text("PRAGMA page_size"), "4096");
  use(0, 9);

  EXPECT_EQ(test::SqlFile(path).Exec("PRAGMA page_size = 65536; VACUUM"), "");
  EXPECT_EQ(test::SqlFile(path).Text("PRAGMA page_size"), "65536");
  EXPECT_EQ(test::SqlFile(path).Text("PRAGMA integrity_check"), "ok");
  use(9, 10);
}

}  // namespace
}  // namespace files
