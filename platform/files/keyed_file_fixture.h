// The fixtures of the keyed file's tests: a folder of its own for each test, and a file of
// five records for the tests that meet the faults of real use (a commit that cannot be
// written, a file left in WAL mode, one damaged record, a station that keeps the file in a
// write), whose failures are made where they happen, by a VFS under SQLite (fault_vfs.h).
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/keyed_file.h"
#include "platform/files/test_table.h"

namespace files::test {

class KeyedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() / ("keyed_" + std::to_string(getpid()) + "_" +
                                                     info->test_suite_name() + "_" + info->name());
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

class FiveRecordFileTest : public KeyedFileTest {
 protected:
  void SetUp() override {
    KeyedFileTest::SetUp();
    WriteFiveRecords();
  }

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
    t.file.SetStart(kCode);
    while (!t.file.Eof()) {
      if (t.file.Next() == 0) {
        amounts.push_back(t.Amount());
      } else if (!t.file.PositionKnown()) {
        break;
      }
    }
    t.file.Close();
    return amounts;
  }

  void Sql(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
};

}  // namespace files::test
