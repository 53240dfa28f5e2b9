#include "platform/files/keyed_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/test_table.h"

namespace files {
namespace {

using test::Table;

class KeyedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("keyed_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "TABLA.VQF").string();
  }
  void TearDown() override {
    if (getenv("KEEP_TEST_FILES") == nullptr) std::filesystem::remove_all(dir_);
  }

  // Creates the file and adds (code, name) records through `t`, left open.
  void CreateWith(Table& t, const std::vector<std::pair<int32_t, std::string>>& rows) {
    ASSERT_EQ(t.file.Create(path_), 0) << t.file.Detail();
    ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    for (const auto& [code, name] : rows) {
      t.Fill(code, name);
      ASSERT_EQ(t.file.Add(), 0) << t.file.Detail();
    }
  }

  // The codes met by a walk over `key` from its start.
  static std::vector<int32_t> Walk(Table& t, int key) {
    std::vector<int32_t> codes;
    EXPECT_EQ(t.file.SetStart(key), 0);
    while (!t.file.Eof()) {
      EXPECT_EQ(t.file.Next(), 0) << t.file.Detail();
      codes.push_back(t.Code());
    }
    EXPECT_EQ(t.file.Next(), kRecordNotAvailable);
    return codes;
  }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(KeyedFileTest, AddGetPutDeleteRoundTrip) {
  Table t;
  CreateWith(t, {{7, "siete"}, {3, "tres"}, {5, "cinco"}});
  EXPECT_EQ(t.file.Records(), 3);

  t.Clear();
  t.SetCode(5);
  ASSERT_EQ(t.file.Get(test::kCode), 0);
  EXPECT_EQ(t.Name(), "cinco");
  t.Amount() = 42;
  ASSERT_EQ(t.file.Put(), 0);

  t.Clear();
  t.SetCode(5);
  ASSERT_EQ(t.file.Get(test::kCode), 0);
  EXPECT_EQ(t.Amount(), 42);
  ASSERT_EQ(t.file.Delete(), 0);
  EXPECT_EQ(t.file.Put(), kRecordNotAvailable);
  EXPECT_EQ(t.file.Get(test::kCode), kRecordNotFound);
  EXPECT_EQ(t.file.Text(), "Record Not Found");
  EXPECT_EQ(Walk(t, test::kCode), (std::vector<int32_t>{3, 7}));

  // What was written survives closing and reopening.
  ASSERT_EQ(t.file.Close(), 0);
  Table u;
  ASSERT_EQ(u.file.Open(path_), 0);
  EXPECT_EQ(Walk(u, test::kCode), (std::vector<int32_t>{3, 7}));
}

TEST_F(KeyedFileTest, UniqueKeyRefusesDuplicate) {
  Table t;
  CreateWith(t, {{1, "uno"}});
  t.Fill(1, "otro");
  EXPECT_EQ(t.file.Add(), kDuplicateKey);
  EXPECT_EQ(t.file.Records(), 1);
  // A Put that moves a record onto another's value is refused too.
  t.Fill(2, "dos");
  ASSERT_EQ(t.file.Add(), 0);
  t.SetCode(1);
  EXPECT_EQ(t.file.Put(), kDuplicateKey);
}

// Names in code page 1252: NOCASE folds the accented letters, which sort above Z.
TEST_F(KeyedFileTest, NoCaseOrdersAccentedLettersUpperCased) {
  Table t;
  CreateWith(t, {{1, "\xE9" "clair"}, {2, "Zorro"}, {3, "\xE1ngel"}, {4, "abeja"},
                 {5, "\xC9" "dgar"}, {6, "\xC1NGEL"}});
  // ABEJA, ZORRO, ÁNGEL (3, then 6: equal values keep insertion order), ÉCLAIR, ÉDGAR.
  EXPECT_EQ(Walk(t, test::kName), (std::vector<int32_t>{4, 2, 3, 6, 1, 5}));
  t.Fill(0, "\xC1ngel");
  ASSERT_EQ(t.file.Get(test::kName), 0);
  EXPECT_EQ(t.Code(), 3);  // the first of the equal values
}

TEST_F(KeyedFileTest, LongsSortBySignedValue) {
  Table t;
  CreateWith(t, {{3, "a"}, {-5, "b"}, {0, "c"}, {-100, "d"}, {2147483647, "e"}});
  EXPECT_EQ(Walk(t, test::kCode), (std::vector<int32_t>{-100, -5, 0, 3, 2147483647}));
  // Set from a cleared buffer starts at 0; the start of the key comes before the negatives.
  t.Clear();
  ASSERT_EQ(t.file.Set(test::kCode), 0);
  ASSERT_EQ(t.file.Next(), 0);
  EXPECT_EQ(t.Code(), 0);
}

TEST_F(KeyedFileTest, DescendingComponentAndBlankPaddedText) {
  Table t;
  ASSERT_EQ(t.file.Create(path_), 0);
  ASSERT_EQ(t.file.Open(path_), 0);
  const std::pair<int32_t, const char*> rows[] = {{1, "MADRID"}, {2, "LIMA"}, {3, "MADRID"},
                                                  {4, "LIMA"}, {5, "BOGOTA"}};
  for (const auto& [code, city] : rows) {
    t.Fill(code, "x", city, static_cast<uint8_t>(code));
    ASSERT_EQ(t.file.Add(), 0);
  }
  EXPECT_EQ(Walk(t, test::kCity), (std::vector<int32_t>{5, 4, 2, 3, 1}));
  // (LIMA, 3) lies between (LIMA, 4) and (LIMA, 2) in this order.
  t.Fill(3, "", "LIMA");
  ASSERT_EQ(t.file.Set(test::kCity), 0);
  ASSERT_EQ(t.file.Next(), 0);
  EXPECT_EQ(t.Code(), 2);
}

TEST_F(KeyedFileTest, OptionalKeyExemptsBlankButKeepsItInOrder) {
  Table t;
  ASSERT_EQ(t.file.Create(path_), 0);
  ASSERT_EQ(t.file.Open(path_), 0);
  const std::pair<int32_t, uint8_t> rows[] = {{1, 9}, {2, 0}, {3, 4}, {4, 0}};
  for (const auto& [code, tag] : rows) {
    t.Fill(code, "x", "", tag);
    ASSERT_EQ(t.file.Add(), 0) << code;
  }
  t.Fill(5, "x", "", 4);
  EXPECT_EQ(t.file.Add(), kDuplicateKey);
  EXPECT_EQ(Walk(t, test::kTag), (std::vector<int32_t>{2, 4, 3, 1}));
}

TEST_F(KeyedFileTest, WalkThatRewritesMeetsEveryRecordOnce) {
  Table t;
  std::vector<std::pair<int32_t, std::string>> rows;
  for (int i = 0; i < 300; ++i) rows.emplace_back(i, i % 2 == 0 ? "par" : "impar");
  CreateWith(t, rows);
  for (int key : {test::kName, test::kCode}) {
    std::vector<int> seen(300);
    ASSERT_EQ(t.file.SetStart(key), 0);
    while (!t.file.Eof()) {
      ASSERT_EQ(t.file.Next(), 0);
      ++seen[t.Code()];
      ++t.Amount();
      ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), 300);
  }
  t.Clear();
  t.SetCode(123);
  ASSERT_EQ(t.file.Get(test::kCode), 0);
  EXPECT_EQ(t.Amount(), 2);
}

TEST_F(KeyedFileTest, SaveAndRestoreKeepPositionAndBuffer) {
  Table t;
  CreateWith(t, {{1, "a"}, {2, "b"}, {3, "c"}});
  ASSERT_EQ(t.file.SetStart(test::kCode), 0);
  ASSERT_EQ(t.file.Next(), 0);
  const auto state = t.file.Save();
  t.Clear();
  t.SetCode(3);
  ASSERT_EQ(t.file.Get(test::kCode), 0);
  t.file.Restore(*state, true);
  EXPECT_EQ(t.Code(), 1);
  ASSERT_EQ(t.file.Next(), 0);
  EXPECT_EQ(t.Code(), 2);
}

TEST_F(KeyedFileTest, AutoIncrementCountsPastTheLargest) {
  Table t;
  CreateWith(t, {{7, "a"}, {-3, "b"}, {41, "c"}});
  t.Clear();
  ASSERT_EQ(t.file.NextAutoIncrement(test::kCode), 0);
  EXPECT_EQ(t.Code(), 42);
}

TEST_F(KeyedFileTest, ErrorCodesOfOpenAndClosedFiles) {
  Table t;
  EXPECT_EQ(t.file.Open(path_), kFileNotFound);
  EXPECT_EQ(t.file.Open((dir_ / "falta" / "X.VQF").string()), kPathNotFound);
  EXPECT_EQ(t.file.Text(), "Path Not Found");
  EXPECT_EQ(t.file.Open(dir_.string()), kAccessDenied);
  EXPECT_EQ(t.file.Next(), kFileNotOpen);
  EXPECT_TRUE(t.file.Eof());
  EXPECT_EQ(t.file.Put(), kFileNotOpen);
  EXPECT_EQ(t.file.Close(), kFileNotOpen);
  ASSERT_EQ(t.file.Create(path_), 0);
  ASSERT_EQ(t.file.Open(path_), 0);
  EXPECT_EQ(t.file.Open(path_), kFileAlreadyOpen);
  EXPECT_TRUE(t.file.IsOpen());
  EXPECT_EQ(t.file.Put(), kRecordNotAvailable);
  EXPECT_EQ(t.file.SetStart(test::kCode), 0);
  EXPECT_TRUE(t.file.Eof());
  EXPECT_EQ(t.file.Next(), kRecordNotAvailable);
}

// A table whose fields or keys differ from the file's is refused before anything is read.
TEST_F(KeyedFileTest, LayoutMismatchIsRefused) {
  Table t;
  CreateWith(t, {{1, "a"}});
  ASSERT_EQ(t.file.Close(), 0);
  const KeyDecl other_flags[] = {test::kKeys[0], test::kKeys[1], test::kKeys[2],
                                 {"T:KEYTAG", test::kByTag, kDup}};
  FieldDecl longer_name[std::size(test::kFields)];
  std::copy(std::begin(test::kFields), std::end(test::kFields), longer_name);
  longer_name[1].size = 12;
  const RecordLayout mismatches[] = {
      {test::kLayout.length, test::kFields, other_flags, {}},
      {test::kLayout.length, longer_name, test::kKeys, {}},
      {test::kLayout.length, test::kFields, std::span(test::kKeys).first(3), {}},
  };
  for (const RecordLayout& layout : mismatches) {
    uint8_t record[29] = {};
    KeyedFile file(layout, record);
    EXPECT_EQ(file.Open(path_), kLayoutMismatch);
    EXPECT_FALSE(file.IsOpen());
  }
  ASSERT_EQ(t.file.Open(path_), 0);
  EXPECT_EQ(t.file.Records(), 1);
}

// Damaged files: not a database, empty, cut short, a page overwritten. Each gives 90 and
// the file's bytes stay as they were.
TEST_F(KeyedFileTest, DamagedFileGivesFileSystemErrorAndIsNotWritten) {
  const std::string garbage = (dir_ / "BASURA.VQF").string();
  std::ofstream(garbage) << std::string(5000, 'x');
  const std::string empty = (dir_ / "VACIO.VQF").string();
  std::ofstream{empty};

  Table t;
  std::vector<std::pair<int32_t, std::string>> rows;
  for (int i = 0; i < 2000; ++i) rows.emplace_back(i, "registro");
  CreateWith(t, rows);
  ASSERT_EQ(t.file.Close(), 0);
  const auto size = std::filesystem::file_size(path_);
  const std::string cut = (dir_ / "CORTADO.VQF").string();
  std::filesystem::copy_file(path_, cut);
  std::filesystem::resize_file(cut, size / 2);
  const std::string smashed = (dir_ / "ROTO.VQF").string();
  std::filesystem::copy_file(path_, smashed);
  {
    std::fstream f(smashed, std::ios::in | std::ios::out | std::ios::binary);
    for (uint64_t page = 8; page * 4096 < size; page += 2) {
      f.seekp(static_cast<std::streamoff>(page * 4096));  // the page's header
      f << std::string(12, '\x5A');
    }
  }
  for (const std::string& path : {garbage, empty, cut, smashed}) {
    const auto before = std::filesystem::file_size(path);
    Table d;
    int rc = d.file.Open(path);
    std::string detail = d.file.Detail();
    if (rc == 0) {  // damage deeper than the layout shows on the first walk or write
      rc = d.file.SetStart(test::kCode);
      while (rc == 0 && !d.file.Eof()) {
        rc = d.file.Next();
        if (rc == 0) rc = d.file.Put();
      }
      if (rc == 0) rc = d.file.Code();  // Eof ends the walk on an error and keeps its code
      detail = d.file.Detail();
      d.file.Close();
    }
    EXPECT_EQ(rc, kFileSystemError) << path;
    EXPECT_NE(detail.find(path), std::string::npos) << detail;
    EXPECT_EQ(std::filesystem::file_size(path), before);
  }
}

}  // namespace
}  // namespace files
