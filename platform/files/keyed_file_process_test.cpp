// Record files shared with another process: a writer killed mid-stream, and the
// whole-file lock held by another process, released when that process dies.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/test_process.h"
#include "platform/files/test_table.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

using test::Table;

// The drivers' helper process (files_test_helper).
class Helper : public test::TestProcess {
 public:
  explicit Helper(std::vector<std::string> args) : TestProcess(FILES_TEST_HELPER, std::move(args)) {
    EXPECT_TRUE(Started());
  }
};

class KeyedFileProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("keyed_process_" + std::to_string(runtime::test::ProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "TABLA.VQF").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void CreateWith(int records) {
    Table t;
    ASSERT_EQ(t.file.Create(path_), 0);
    ASSERT_EQ(t.file.Open(path_), 0);
    for (int i = 0; i < records; ++i) {
      t.Fill(i, "registro");
      ASSERT_EQ(t.file.Add(), 0);
    }
    ASSERT_EQ(t.file.Close(), 0);
  }

  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(KeyedFileProcessTest, WriterKilledMidStreamLeavesWholeRecords) {
  constexpr int kRecords = 3000;
  CreateWith(kRecords);
  for (int round = 0; round < 3; ++round) {
    Helper writer({"rewrite", path_});
    ASSERT_EQ(writer.ReadLine(), "pass 1");
    // Past the first commit, then at a different point of the stream each round.
    std::this_thread::sleep_for(std::chrono::milliseconds(150 + 70 * round));
    writer.Kill();

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);

    // Passes rewrite in code order and commit in order: the records hold generation g up to
    // some code and g - 1 after it, each record whole, and every key still meets them all.
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    std::vector<int> generations;
    ASSERT_EQ(t.file.SetStart(test::kCode), 0);
    while (!t.file.Eof()) {
      ASSERT_EQ(t.file.Next(), 0);
      EXPECT_EQ(t.Code(), static_cast<int>(generations.size()));
      generations.push_back(test::GenerationOf(t));
    }
    ASSERT_EQ(generations.size(), static_cast<size_t>(kRecords));
    const int newest = generations.front();
    EXPECT_GE(newest, 1);
    size_t i = 0;
    while (i < generations.size() && generations[i] == newest) ++i;
    while (i < generations.size() && generations[i] == newest - 1) ++i;
    EXPECT_EQ(i, generations.size()) << "record " << i << " holds " << generations[i];
    for (int key : {test::kName, test::kCity, test::kTag}) {
      int count = 0;
      ASSERT_EQ(t.file.SetStart(key), 0);
      while (!t.file.Eof() && t.file.Next() == 0) ++count;
      EXPECT_EQ(count, kRecords) << key;
    }
  }
}

TEST_F(KeyedFileProcessTest, LockIsHeldAcrossProcessesUntilItsHolderDies) {
  CreateWith(1);
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  {
    Helper holder({"lock", path_, "-1"});
    ASSERT_EQ(holder.ReadLine(), "locked");
    EXPECT_EQ(t.file.Lock(0), kFileLocked);
    EXPECT_EQ(t.file.Text(), "File Is Already Locked");
    EXPECT_EQ(t.file.Lock(1), kFileLocked);  // waited its second in vain
    holder.Kill();
  }
  EXPECT_EQ(t.file.Lock(0), 0);
  ASSERT_EQ(t.file.Unlock(), 0);

  // A holder that lets go within the wait hands the lock over.
  Helper brief({"lock", path_, "300"});
  ASSERT_EQ(brief.ReadLine(), "locked");
  EXPECT_EQ(t.file.Lock(10), 0);
}

TEST_F(KeyedFileProcessTest, LockExcludesOtherInstancesOfTheSameProcess) {
  CreateWith(1);
  Table a, b;
  ASSERT_EQ(a.file.Open(path_), 0);
  ASSERT_EQ(b.file.Open(path_), 0);
  ASSERT_EQ(a.file.Lock(0), 0);
  EXPECT_EQ(b.file.Lock(0), kFileLocked);
  ASSERT_EQ(a.file.Unlock(), 0);
  EXPECT_EQ(b.file.Lock(0), 0);
  // Closing releases the lock as well.
  ASSERT_EQ(b.file.Close(), 0);
  EXPECT_EQ(a.file.Lock(0), 0);
}

}  // namespace
}  // namespace files
