// The public class's operations on records: adding, reading, changing and deleting them,
// the keys' orders and checks, saved positions, auto-increment values, and the error codes
// of files open and closed.
#include "platform/files/keyed_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/keyed_file_fixture.h"

namespace files {
namespace {

using test::Table;
using test::KeyedFileTest;

TEST_F(KeyedFileTest, AddedRecordsAreReadBackChangedAndDeleted) {
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

TEST_F(KeyedFileTest, ADescendingComponentAndBlankPaddedTextOrderAsDeclared) {
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

TEST_F(KeyedFileTest, OpenAndClosedFilesAnswerTheirErrorCodes) {
  Table t;
  EXPECT_EQ(t.file.Open(path_), kFileNotFound);
  EXPECT_EQ(t.file.Open((folder_.path() / "falta" / "X.VQF").string()), kPathNotFound);
  EXPECT_EQ(t.file.Text(), "Path Not Found");
  EXPECT_EQ(t.file.Open(folder_.path().string()), kAccessDenied);
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

// A text numbered key (a CSTRING counts as a number, so "10" follows "9") with a memo
// beside the record.
TEST_F(KeyedFileTest, TextAutoIncrementCountsAsANumberAndTheMemoComesBack) {
  static constexpr FieldDecl fields[] = {{"M:NUMBER", FieldType::CString, 0, 6, 0, 0}};
  static constexpr KeyPart by_number[] = {{0, false}};
  static constexpr KeyDecl keys[] = {{"M:KEYNUMBER", by_number, kOpt | kNoCase | kPrimary}};
  static constexpr MemoDecl memos[] = {{"M:NOTES", 300}};
  static constexpr RecordLayout layout = {6, fields, keys, memos};
  uint8_t record[6] = {};
  uint8_t notes[300] = {};
  uint8_t* const memo_buffers[] = {notes};
  KeyedFile file(layout, record, memo_buffers);
  ASSERT_EQ(file.Create(path_), 0);
  ASSERT_EQ(file.Open(path_), 0);
  for (int i = 1; i <= 10; ++i) {
    std::memset(record, 0, sizeof record);
    ASSERT_EQ(file.NextAutoIncrement(0), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record)), std::to_string(i));
    std::memset(notes, 0, sizeof notes);
    std::memset(notes, 'a' + i, static_cast<size_t>(i) * 20);
    ASSERT_EQ(file.Add(), 0);
  }
  std::memset(record, 0, sizeof record);
  std::memcpy(record, "9", 2);
  ASSERT_EQ(file.Get(0), 0);
  EXPECT_EQ(notes[179], 'a' + 9);
  EXPECT_EQ(notes[180], 0);
  std::memset(notes, 'z', sizeof notes);
  ASSERT_EQ(file.Put(), 0);
  ASSERT_EQ(file.Close(), 0);
  ASSERT_EQ(file.Open(path_), 0);
  ASSERT_EQ(file.Get(0), 0);
  EXPECT_EQ(notes[299], 'z');
}

// A write over a record that another instance changed since it was read is refused.
TEST_F(KeyedFileTest, PutOverARecordChangedElsewhereIsRefused) {
  Table a, b;
  CreateWith(a, {{1, "uno"}});
  ASSERT_EQ(b.file.Open(path_), 0);
  for (Table* t : {&a, &b}) {
    t->Clear();
    t->SetCode(1);
    ASSERT_EQ(t->file.Get(test::kCode), 0);
  }
  a.Amount() = 5;
  ASSERT_EQ(a.file.Put(), 0);
  b.Amount() = 6;
  EXPECT_EQ(b.file.Put(), kRecordChanged);
  EXPECT_EQ(b.file.Text(), "Record Changed By Another Station");
  EXPECT_EQ(b.file.Delete(), kRecordChanged);
  ASSERT_EQ(b.file.Get(test::kCode), 0);
  EXPECT_EQ(b.Amount(), 5);
}

}  // namespace
}  // namespace files
