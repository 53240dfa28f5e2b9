// Record files shared with another process: a writer killed mid-stream, and the
// whole-file lock held by another process, released when that process dies.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/test_process.h"
#include "platform/files/test_sql.h"
#include "platform/files/test_table.h"
#include "platform/files/test_walk.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

using test::Table;

class KeyedFileProcessTest : public ::testing::Test {
 protected:
  const runtime::test::TestFolder folder_;
  const std::string path_ = folder_.In("TABLA.VQF");
};

TEST_F(KeyedFileProcessTest, WriterKilledMidStreamLeavesWholeRecords) {
  constexpr int kRecords = 3000;
  ASSERT_EQ(test::CreateWithRecords(path_, kRecords), 0);
  for (int round = 0; round < 3; ++round) {
    test::TestProcess writer(FILES_TEST_HELPER, {"rewrite", path_});
    ASSERT_EQ(writer.ReadLine(), "pass 1");
    // Past the first commit, then at a different point of the stream each round.
    std::this_thread::sleep_for(std::chrono::milliseconds(150 + 70 * round));
    writer.Kill();

    EXPECT_EQ(test::SqlFile(path_).Text("PRAGMA integrity_check"), "ok");

    // Passes rewrite in code order and commit in order: the records hold generation g up to
    // some code and g - 1 after it, each record whole, and every key still meets them all.
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    std::vector<int> generations;
    const int walked = test::VisitRecords(t.file, test::kCode, [&] {
      EXPECT_EQ(t.Code(), static_cast<int>(generations.size()));
      generations.push_back(test::GenerationOf(t));
    });
    ASSERT_EQ(walked, 0);
    ASSERT_EQ(generations.size(), static_cast<size_t>(kRecords));
    const int newest = generations.front();
    EXPECT_GE(newest, 1);
    size_t i = 0;
    while (i < generations.size() && generations[i] == newest) ++i;
    while (i < generations.size() && generations[i] == newest - 1) ++i;
    EXPECT_EQ(i, generations.size()) << "record " << i << " holds " << generations[i];
    for (int key : {test::kName, test::kCity, test::kTag}) {
      int count = 0;
      EXPECT_EQ(test::VisitRecords(t.file, key, [&] { ++count; }), 0) << key;
      EXPECT_EQ(count, kRecords) << key;
    }
  }
}

TEST_F(KeyedFileProcessTest, LockIsHeldAcrossProcessesUntilItsHolderDies) {
  ASSERT_EQ(test::CreateWithRecords(path_, 1), 0);
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  {
    test::TestProcess holder(FILES_TEST_HELPER, {"lock", path_, "-1"});
    ASSERT_EQ(holder.ReadLine(), "locked");
    EXPECT_EQ(t.file.Lock(0), kFileLocked);
    EXPECT_EQ(t.file.Text(), "File Is Already Locked");
    EXPECT_EQ(t.file.Lock(1), kFileLocked);  // waited its second in vain
    holder.Kill();
  }
  EXPECT_EQ(t.file.Lock(0), 0);
  ASSERT_EQ(t.file.Unlock(), 0);

  // A holder that lets go within the wait hands the lock over.
  test::TestProcess brief(FILES_TEST_HELPER, {"lock", path_, "300"});
  ASSERT_EQ(brief.ReadLine(), "locked");
  EXPECT_EQ(t.file.Lock(10), 0);
}

TEST_F(KeyedFileProcessTest, LockExcludesOtherInstancesOfTheSameProcess) {
  ASSERT_EQ(test::CreateWithRecords(path_, 1), 0);
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
