// Record files held for a copy outside the record layer: the hold against other openers
// in this and another process, a journal left by a writer killed mid-stream, and the
// check a copy must pass.
#include "platform/files/file_hold.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/file_check.h"
#include "platform/files/test_process.h"
#include "platform/files/test_table.h"

namespace files {
namespace {

namespace fs = std::filesystem;
using test::Table;

void Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
  sqlite3_free(error);
  sqlite3_close(db);
}

class FileHoldTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("file_hold_" + std::to_string(getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "TABLA.VQF").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void CreateWith(const std::string& path, int records) {
    Table t;
    ASSERT_EQ(t.file.Create(path), 0);
    ASSERT_EQ(t.file.Open(path), 0);
    for (int i = 0; i < records; ++i) {
      t.Fill(i, "registro", "ciudad");
      ASSERT_EQ(t.file.Add(), 0);
    }
    ASSERT_EQ(t.file.Close(), 0);
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(FileHoldTest, OpenersAnywhereShowAndAHoldKeepsThemOut) {
  EXPECT_FALSE(IsOpenByAnotherStation(path_));  // no file, no lock file
  CreateWith(path_, 1);
  EXPECT_FALSE(IsOpenByAnotherStation(path_));
  {
    Table here;
    ASSERT_EQ(here.file.Open(path_), 0);
    EXPECT_TRUE(IsOpenByAnotherStation(path_));
    FileHold hold;
    EXPECT_EQ(hold.Take(path_), kAccessDenied);
  }
  {
    test::TestProcess other(FILES_TEST_HELPER, {"lock", path_, "-1"});
    ASSERT_EQ(other.ReadLine(), "locked");
    EXPECT_TRUE(IsOpenByAnotherStation(path_));
    FileHold hold;
    EXPECT_EQ(hold.Take(path_), kAccessDenied);
    other.Kill();  // the operating system lets go of its share
    EXPECT_EQ(hold.Take(path_), 0);
    Table t;
    EXPECT_EQ(t.file.Open(path_), kAccessDenied);
    EXPECT_EQ(t.file.Open(path_, kReadWriteDenyWrite), kAccessDenied);
    hold.Release();
    EXPECT_EQ(t.file.Open(path_), 0);
  }
  EXPECT_FALSE(IsOpenByAnotherStation(path_));
}

// Every record of a record file in key order, as bytes.
std::vector<std::string> RecordsOf(const std::string& path) {
  Table t;
  std::vector<std::string> records;
  EXPECT_EQ(t.file.Open(path), 0) << t.file.Detail();
  t.file.SetStart(test::kCode);
  while (!t.file.Eof() && t.file.Next() == 0) records.emplace_back(t.record, t.record + sizeof t.record);
  return records;
}

// A writer killed inside a transaction that had already written into the file leaves its
// journal live beside it: the file alone holds half a transaction. Settled, the file is
// back at its last commit by itself, as a copy of it then is, and no journal is left.
TEST_F(FileHoldTest, JournalOfAKilledWriterIsPlayedBackAndRemoved) {
  CreateWith(path_, 3000);
  const std::vector<std::string> committed = RecordsOf(path_);
  const std::string journal = path_ + "-journal";
  ASSERT_TRUE(test::KillWriterMidTransaction(FILES_TEST_HELPER, path_));
  // The check reads without writing: it does not play the journal, and says so.
  std::string detail;
  EXPECT_EQ(CheckRecordFile(path_, &detail), kFileSystemError);
  EXPECT_TRUE(fs::exists(journal));
  // Copied as it lies, without its journal, the file holds half a transaction.
  const std::string bare = (dir_ / "SUELTA.VQF").string();
  fs::copy_file(path_, bare);
  EXPECT_NE(RecordsOf(bare), committed);

  FileHold hold;
  ASSERT_EQ(hold.Take(path_), 0);
  ASSERT_EQ(SettleLeftoverJournal(path_, &detail), 0) << detail;
  EXPECT_FALSE(fs::exists(journal));
  const std::string copy = (dir_ / "COPIA.VQF").string();
  fs::copy_file(path_, copy);
  hold.Release();
  EXPECT_EQ(CheckRecordFile(copy, &detail), 0) << detail;
  EXPECT_EQ(RecordsOf(copy), committed);
}

TEST_F(FileHoldTest, JournalThatIsNoLiveOneIsRemoved) {
  const std::string journal = path_ + "-journal";
  std::string detail;
  // Beside no file at all: a restore would lay a copy there, and SQLite would play the
  // journal into it.
  std::ofstream(journal, std::ios::binary) << std::string(4096, 'x');
  EXPECT_EQ(SettleLeftoverJournal(path_, &detail), 0) << detail;
  EXPECT_FALSE(fs::exists(journal));
  // Not a journal at all, beside a sound file, which keeps its records.
  CreateWith(path_, 5);
  std::ofstream(journal, std::ios::binary) << std::string(4096, 'x');
  EXPECT_EQ(SettleLeftoverJournal(path_, &detail), 0) << detail;
  EXPECT_FALSE(fs::exists(journal));
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  EXPECT_EQ(t.file.Records(), 5);
  EXPECT_EQ(SettleLeftoverJournal(path_, &detail), 0);  // nothing to do
}

TEST_F(FileHoldTest, CheckFindsEveryKindOfDamage) {
  struct Case {
    const char* name;
    void (*damage)(const std::string& path);
    int code;
  };
  const Case cases[] = {
      {"sound", [](const std::string&) {}, kNoError},
      {"not a database", [](const std::string& path) { std::ofstream(path, std::ios::binary) << "parametros"; },
       kFileSystemError},
      {"a page overwritten",
       [](const std::string& path) {
         const auto middle = static_cast<std::streamoff>(fs::file_size(path) / 2);
         std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
         f.seekp(middle);
         f << std::string(2000, '\0');
       },
       kFileSystemError},
      // The index no longer matches its rows; SQLite's quick check does not see this.
      {"index of another column",
       [](const std::string& path) {
         Sql(path, "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, '(key2)', "
                   "'(key3)') WHERE name = 'records_key2'");
       },
       kFileSystemError},
      {"record of another length",
       [](const std::string& path) { Sql(path, "UPDATE records SET data = x'00' WHERE id = 3"); },
       kFileSystemError},
      {"missing", [](const std::string& path) { fs::remove(path); }, kFileNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path_);
    CreateWith(path_, 2000);
    c.damage(path_);
    std::string detail;
    EXPECT_EQ(CheckRecordFile(path_, &detail), c.code);
    if (c.code != kNoError) {
      EXPECT_NE(detail.find(path_), std::string::npos) << detail;
    }
  }
}

}  // namespace
}  // namespace files
