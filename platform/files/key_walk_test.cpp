// Walks in key order: every record met once, whatever is written under the walk, by the
// walking instance, another thread or past a damaged record.
#include "platform/files/key_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/keyed_file_fixture.h"
#include "platform/files/test_sql.h"
#include "platform/files/test_walk.h"

namespace files {
namespace {

using test::Table;
using KeyWalkTest = test::KeyedFileTest;
using KeyWalkFaultsTest = test::FiveRecordFileTest;

TEST_F(KeyWalkTest, AWalkThatRewritesMeetsEveryRecordOnce) {
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

// A walk steps on from where it stands only while nothing can have moved what lies ahead:
// each Next still reads the first record past the position, whatever the walk's own
// writes, another instance's writes and the commits between them did.
TEST_F(KeyWalkTest, AWalkMeetsWhatLiesAheadAfterEveryKindOfWrite) {
  Table t, other;
  CreateWith(t, {{0, "a"}, {10, "a"}, {20, "a"}, {30, "a"}, {40, "a"}, {50, "a"}, {60, "a"}, {70, "a"}, {80, "a"}, {90, "a"}});
  ASSERT_EQ(other.file.Open(path_), 0);
  std::vector<int32_t> met;
  ASSERT_EQ(t.file.SetStart(test::kCode), 0);
  while (!t.file.Eof()) {
    ASSERT_EQ(t.file.Next(), 0) << t.file.Detail();
    met.push_back(t.Code());
    ++t.Amount();
    switch (t.Code()) {
      case 10:  // another instance adds a record just ahead
        other.Fill(15, "b");
        ASSERT_EQ(other.file.Add(), 0) << other.file.Detail();
        ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
        break;
      case 20:  // the walk moves its record past the end: it is met again there
        t.SetCode(95);
        ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
        break;
      case 30:
        ASSERT_EQ(t.file.Delete(), 0) << t.file.Detail();
        break;
      case 40:  // another instance deletes the record just ahead
        ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
        other.Clear();
        other.SetCode(50);
        ASSERT_EQ(other.file.Get(test::kCode), 0);
        ASSERT_EQ(other.file.Delete(), 0) << other.file.Detail();
        break;
      case 70:  // the walk jumps past 80
        ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
        t.SetCode(85);
        ASSERT_EQ(t.file.Set(test::kCode), 0);
        break;
      case 90:
        ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
        ASSERT_EQ(t.file.Commit(), 0);
        break;
      default:
        ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
    }
  }
  EXPECT_EQ(met, (std::vector<int32_t>{0, 10, 15, 20, 30, 40, 60, 70, 90, 95}));
  EXPECT_EQ(Walk(other, test::kCode), (std::vector<int32_t>{0, 10, 15, 40, 60, 70, 80, 90, 95}));
}

// Two threads, each with its own instance and position, walk the same file at once: one
// rewrites every record, the other reads; each meets every record once.
TEST_F(KeyWalkTest, ThreadsWalkTheirOwnInstances) {
  {
    Table t;
    std::vector<std::pair<int32_t, std::string>> rows;
    for (int i = 0; i < 500; ++i) rows.emplace_back(i, i % 3 == 0 ? "hilo" : "otro");
    CreateWith(t, rows);
  }
  auto walk = [this](int key, bool rewrite, std::vector<int>* met) {
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0);
    ASSERT_EQ(t.file.SetStart(key), 0);
    while (!t.file.Eof()) {
      ASSERT_EQ(t.file.Next(), 0) << t.file.Detail();
      ++(*met)[t.Code()];
      if (rewrite) {
        ++t.Amount();
        ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
      }
    }
    ASSERT_EQ(t.file.Close(), 0);
  };
  std::vector<int> met_writer(500), met_reader(500);
  std::thread writer(walk, test::kCode, true, &met_writer);
  std::thread reader(walk, test::kName, false, &met_reader);
  writer.join();
  reader.join();
  EXPECT_EQ(std::count(met_writer.begin(), met_writer.end(), 1), 500);
  EXPECT_EQ(std::count(met_reader.begin(), met_reader.end(), 1), 500);
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  EXPECT_EQ(test::VisitRecords(t.file, test::kCode, [&] { EXPECT_EQ(t.Amount(), 1) << t.Code(); }),
            0);
}

// A record one byte short is one error: the walk steps past it, and the writes of the
// group before it stay.
TEST_F(KeyWalkFaultsTest, ADamagedRecordIsSteppedOverAndTheGroupStays) {
  ASSERT_EQ(test::SqlFile(path_).Exec(
                "UPDATE records SET data = substr(data, 1, length(data) - 1) WHERE id = 3"),
            "");
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  t.file.SetStart(test::kCode);
  std::vector<int32_t> written;
  while (!t.file.Eof()) {
    if (t.file.Next() != 0) {
      EXPECT_EQ(t.file.Code(), kFileSystemError);
      EXPECT_TRUE(t.file.PositionKnown());
      EXPECT_EQ(t.file.Detail(), "El registro 3 de " + path_ + " está dañado: tiene 28 bytes y su estructura pide 29");
      EXPECT_EQ(t.file.Put(), kRecordNotAvailable);
      continue;
    }
    t.Amount() = 4;
    ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
    written.push_back(t.Code());
  }
  EXPECT_EQ(t.file.Code(), 0);
  EXPECT_EQ(t.file.Close(), 0);
  EXPECT_EQ(written, (std::vector<int32_t>{1, 2, 4, 5}));
  EXPECT_EQ(Amounts(), (std::vector<int>{4, 4, 4, 4}));
}

}  // namespace
}  // namespace files
