// The fixtures of the keyed file's tests: a folder of its own for each test, and a file of
// five records for the tests that meet the faults of real use (a commit that cannot be
// written, a file left in WAL mode, one damaged record, a station that keeps the file in a
// write), whose failures are made where they happen, by a VFS under SQLite (fault_vfs.h).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/keyed_file.h"
#include "platform/files/test_table.h"
#include "platform/files/test_walk.h"
#include "platform/runtime/test_support.h"

namespace files::test {

class KeyedFileTest : public ::testing::Test {
 protected:
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

  const runtime::test::TestFolder folder_;
  const std::string path_ = folder_.In("TABLA.VQF");
};

class FiveRecordFileTest : public KeyedFileTest {
 protected:
  void SetUp() override { WriteFiveRecords(); }

  // The file anew: records 1 to 5, amounts 0.
  void WriteFiveRecords() {
    Table t;
    ASSERT_EQ(t.file.Create(path_), 0) << t.file.Detail();
    ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    for (int code = 1; code <= 5; ++code) {
      t.Fill(code, std::string("r").append(std::to_string(code)));
      ASSERT_EQ(t.file.Add(), 0) << t.file.Detail();
    }
    ASSERT_EQ(t.file.Close(), 0);
  }

  // The amount byte of every record, in code order.
  std::vector<int> Amounts() {
    Table t;
    std::vector<int> amounts;
    EXPECT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    VisitRecords(t.file, kCode, [&] { amounts.push_back(t.Amount()); });
    t.file.Close();
    return amounts;
  }
};

}  // namespace files::test
