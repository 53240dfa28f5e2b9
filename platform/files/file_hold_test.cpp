// Record files held for a copy outside the record layer: the hold against other openers
// in this and another process, a journal left by a writer killed mid-stream, and the
// check a copy must pass.
#include "platform/files/file_hold.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/file_check.h"
#include "platform/files/test_process.h"
#include "platform/files/test_sql.h"
#include "platform/files/test_table.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

namespace fs = std::filesystem;
using test::Table;

class FileHoldTest : public testing::Test {
 protected:
  const runtime::test::TestFolder folder_;
  const fs::path dir_ = folder_.path();
  const std::string path_ = (dir_ / "TABLA.VQF").string();
};

TEST_F(FileHoldTest, OpenersAnywhereShowAndAHoldKeepsThemOut) {
  EXPECT_FALSE(IsOpenByAnotherStation(path_));  // no file, no lock file
  ASSERT_EQ(test::CreateWithRecords(path_, 1), 0);
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

// A writer killed inside a transaction that had already written into the file leaves its
// journal live beside it: the file alone holds half a transaction. Settled, the file is
// back at its last commit by itself, as a copy of it then is, and no journal is left.
TEST_F(FileHoldTest, JournalOfAKilledWriterIsPlayedBackAndRemoved) {
  ASSERT_EQ(test::CreateWithRecords(path_, 3000), 0);
  const std::vector<std::string> committed = test::RecordsOf(path_);
  ASSERT_EQ(committed.size(), 3000u);
  const std::string journal = path_ + "-journal";
  ASSERT_TRUE(test::KillWriterMidTransaction(FILES_TEST_HELPER, path_));
  // The check reads without writing: it does not play the journal, and says so.
  std::string detail;
  EXPECT_EQ(CheckRecordFile(path_, &detail), kFileSystemError);
  EXPECT_TRUE(fs::exists(journal));
  // Copied as it lies, without its journal, the file holds half a transaction.
  const std::string bare = (dir_ / "SUELTA.VQF").string();
  fs::copy_file(path_, bare);
  EXPECT_NE(test::RecordsOf(bare), committed);

  FileHold hold;
  ASSERT_EQ(hold.Take(path_), 0);
  ASSERT_EQ(SettleLeftoverJournal(path_, &detail), 0) << detail;
  EXPECT_FALSE(fs::exists(journal));
  const std::string copy = (dir_ / "COPIA.VQF").string();
  fs::copy_file(path_, copy);
  hold.Release();
  EXPECT_EQ(CheckRecordFile(copy, &detail), 0) << detail;
  EXPECT_EQ(test::RecordsOf(copy), committed);
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
  ASSERT_EQ(test::CreateWithRecords(path_, 5), 0);
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
         EXPECT_EQ(test::SqlFile(path).Exec("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = "
                                            "replace(sql, '(key2)', '(key3)') WHERE name = 'records_key2'"),
                   "");
       },
       kFileSystemError},
      {"record of another length",
       [](const std::string& path) {
         EXPECT_EQ(test::SqlFile(path).Exec("UPDATE records SET data = x'00' WHERE id = 3"), "");
       },
       kFileSystemError},
      {"missing", [](const std::string& path) { fs::remove(path); }, kFileNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path_);
    ASSERT_EQ(test::CreateWithRecords(path_, 2000), 0);
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
