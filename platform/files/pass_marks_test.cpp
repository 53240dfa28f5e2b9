// The marks of a pass: committed with their records or lost with them, whatever fails,
// counted for their own pass only, and a left-over count that is what the file holds.
#include "platform/files/pass_marks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/fault_vfs.h"
#include "platform/files/keyed_file_fixture.h"
#include "platform/files/test_sql.h"
#include "platform/files/test_walk.h"

namespace files {
namespace {

using test::Table;
using PassMarksTest = test::FiveRecordFileTest;

// A commit that fails (its journal cannot be synced): the whole group goes back, records
// and progress marks together, and the error says how many records did.
TEST_F(PassMarksTest, AFailedCommitTakesRecordsAndMarksBackTogetherAndCountsThem) {
  test::FaultVfs vfs;
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
  ASSERT_EQ(t.file.BeginProgress("pasada"), 0) << t.file.Detail();
  vfs.Fail(path_ + "-journal", test::FaultVfs::Fault::kSyncError);
  t.file.SetStart(test::kCode);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(t.file.Next(), 0);
    t.Amount() = 5;
    ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
  }
  int64_t left = 0;
  EXPECT_EQ(t.file.EndProgress(&left), kFileSystemError);
  EXPECT_NE(t.file.Detail().find("Se perdieron 3 escrituras aún no confirmadas: esos registros volvieron a sus valores anteriores"), std::string::npos)
      << t.file.Detail();
  EXPECT_EQ(left, 5);
  EXPECT_EQ(t.file.Close(), 0);
  vfs.Clear();

  EXPECT_EQ(Amounts(), (std::vector<int>{0, 0, 0, 0, 0}));
  ASSERT_EQ(t.file.Open(path_), 0);
  KeyedFile::Progress progress;
  ASSERT_EQ(t.file.ReadProgress(&progress), 0);
  EXPECT_EQ(progress.pass, "pasada");
  EXPECT_EQ(progress.marked, 0);
  EXPECT_FALSE(progress.complete);
  t.file.Close();
}

// Marks go into the file a batch at a time and the rest before the commit: whatever the
// size of a group, its commit holds one mark for each record it wrote, and a failed commit
// none.
TEST_F(PassMarksTest, EveryRecordOfAGroupHasItsMarkWhateverTheGroupsSize) {
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  for (int code = 6; code <= 200; ++code) {
    t.Fill(code, "r");
    ASSERT_EQ(t.file.Add(), 0) << t.file.Detail();
  }
  ASSERT_EQ(t.file.Close(), 0);
  int pass = 10;
  for (const int written : {63, 64, 130}) {
    for (const bool commit_fails : {false, true}) {
      SCOPED_TRACE(std::to_string(written) + (commit_fails ? " records, failed commit" : " records"));
      test::FaultVfs vfs;
      ASSERT_EQ(t.file.Open(path_), 0);
      ASSERT_EQ(t.file.BeginProgress("2026-01-" + std::to_string(pass++)), 0) << t.file.Detail();
      if (commit_fails) vfs.Fail(path_ + "-journal", test::FaultVfs::Fault::kSyncError);
      t.file.SetStart(test::kCode);
      for (int i = 0; i < written; ++i) {
        ASSERT_EQ(t.file.Next(), 0);
        ++t.Amount();
        ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
      }
      EXPECT_EQ(t.file.Close(), commit_fails ? kFileSystemError : 0);
      vfs.Clear();
      KeyedFile::Progress progress;
      ASSERT_EQ(t.file.Open(path_), 0);
      ASSERT_EQ(t.file.ReadProgress(&progress), 0);
      EXPECT_EQ(progress.marked, commit_fails ? 0 : written);
      t.file.Close();
    }
  }
}

// A write that makes SQLite roll its group back takes the group's marks with it, those
// not yet written to the file included: its records count as left over, none as converted.
TEST_F(PassMarksTest, AGroupThatSqliteRollsBackLeavesNoMarkOfItsRecords) {
  ASSERT_EQ(
      test::SqlFile(path_).Exec(
          "CREATE TRIGGER refuse BEFORE UPDATE ON records WHEN OLD.id = 3 BEGIN SELECT RAISE(ROLLBACK, 'no'); END;"),
      "");
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  ASSERT_EQ(t.file.BeginProgress("pasada"), 0) << t.file.Detail();
  t.file.SetStart(test::kCode);
  for (int code = 1; code <= 3; ++code) {
    ASSERT_EQ(t.file.Next(), 0);
    ++t.Amount();
    EXPECT_EQ(t.file.Put(), code < 3 ? 0 : kFileSystemError) << t.file.Detail();
  }
  EXPECT_NE(t.file.Detail().find("Se perdieron 2 escrituras"), std::string::npos) << t.file.Detail();
  KeyedFile::Progress progress;
  ASSERT_EQ(t.file.ReadProgress(&progress), 0);
  EXPECT_EQ(progress.marked, 0);
  int64_t left = -1;
  EXPECT_EQ(t.file.EndProgress(&left), 0) << t.file.Detail();
  EXPECT_EQ(left, 5);
  t.file.Close();
  EXPECT_EQ(Amounts(), (std::vector<int>{0, 0, 0, 0, 0}));
}

// A record that another station moves ahead of the walk after it was converted is met
// again, as converted: nothing is converted twice.
TEST_F(PassMarksTest, ARecordMovedAheadAfterItsConversionIsMetAgainAsMarked) {
  Table t, other;
  ASSERT_EQ(t.file.Open(path_), 0);
  ASSERT_EQ(other.file.Open(path_), 0);
  ASSERT_EQ(t.file.BeginProgress("pasada"), 0) << t.file.Detail();
  std::vector<std::pair<int32_t, bool>> met;  // code, marked
  t.file.SetStart(test::kCode);
  while (!t.file.Eof() && t.file.Next() == 0) {
    met.emplace_back(t.Code(), t.file.Marked());
    if (t.file.Marked()) continue;
    ++t.Amount();
    ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
    if (t.Code() == 2) {  // renumbered past the end
      other.Clear();
      other.SetCode(2);
      ASSERT_EQ(other.file.Get(test::kCode), 0);
      other.SetCode(9);
      ASSERT_EQ(other.file.Put(), 0) << other.file.Detail();
    }
  }
  EXPECT_EQ(met, (std::vector<std::pair<int32_t, bool>>{{1, false}, {2, false}, {3, false}, {4, false}, {5, false}, {9, true}}));
  int64_t left = -1;
  EXPECT_EQ(t.file.EndProgress(&left), 0);
  EXPECT_EQ(left, 0);
  t.file.Close();
  other.file.Close();
  EXPECT_EQ(Amounts(), (std::vector<int>{1, 1, 1, 1, 1}));
}

// A continued pass skips what an earlier run marked, a new pass drops the old marks, and
// an earlier pass never takes a later one's.
TEST_F(PassMarksTest, MarksCountOnlyForTheirOwnPass) {
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  ASSERT_EQ(t.file.BeginProgress("2026-01-01"), 0);
  t.file.SetStart(test::kCode);
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(t.file.Next(), 0);
    ASSERT_EQ(t.file.Put(), 0);
  }
  ASSERT_EQ(t.file.Close(), 0);  // killed here, as far as the file knows: no end recorded

  const auto marked_codes = [&](const char* pass) {
    std::vector<int32_t> codes;
    EXPECT_EQ(t.file.Open(path_), 0);
    EXPECT_EQ(t.file.BeginProgress(pass), 0);
    const int walked = test::VisitRecords(t.file, test::kCode, [&] {
      if (t.file.Marked()) codes.push_back(t.Code());
    });
    EXPECT_EQ(walked, 0);
    int64_t left = -1;
    EXPECT_EQ(t.file.EndProgress(&left), 0);
    EXPECT_EQ(left, 5 - static_cast<int64_t>(codes.size()));
    t.file.Close();
    return codes;
  };
  EXPECT_EQ(marked_codes("2026-01-01"), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(marked_codes("2026-02-01"), std::vector<int32_t>{});

  ASSERT_EQ(t.file.Open(path_), 0);
  EXPECT_EQ(t.file.BeginProgress("2026-01-01"), kFileSystemError);
  EXPECT_NE(t.file.Detail().find("conversión posterior (2026-02-01)"), std::string::npos) << t.file.Detail();
  t.file.Close();
}

// The left-over count of a run's end, whichever write or sync of the table or its journal
// fails in the run's last group: it is what the file holds once the group's fate is known
// (or unknown, -1), never the count made inside a group that was then lost.
TEST_F(PassMarksTest, TheLeftOverCountIsWhatTheFileHoldsWhateverFails) {
  using Fault = test::FaultVfs::Fault;
  const struct {
    std::string suffix;
    Fault fault;
    const char* name;
  } faults[] = {{"-journal", Fault::kFullDisk, "a full disk"}, {"-journal", Fault::kWriteError, "a write error"},
                {"", Fault::kWriteError, "a write error"},     {"-journal", Fault::kSyncError, "a sync error"},
                {"", Fault::kSyncError, "a sync error"}};
  for (const auto& [suffix, fault, name] : faults) {
    bool failed = true;
    for (int nth = 1; failed; ++nth) {
      SCOPED_TRACE("call " + std::to_string(nth) + " on TABLA.VQF" + suffix + " meets " + name);
      WriteFiveRecords();
      test::FaultVfs vfs;
      Table t;
      ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
      ASSERT_EQ(t.file.BeginProgress("pasada"), 0) << t.file.Detail();
      vfs.FailNth(path_ + suffix, fault, nth);
      failed = false;
      t.file.SetStart(test::kCode);
      while (!t.file.Eof()) {
        if (t.file.Next() != 0) {
          failed = true;
          if (t.file.PositionKnown()) continue;
          break;
        }
        t.Amount() = 5;
        failed = t.file.Put() != 0 || failed;
      }
      failed = t.file.Code() != 0 || failed;
      int64_t left = -2;
      failed = t.file.EndProgress(&left) != 0 || failed;
      failed = t.file.Close() != 0 || failed;
      vfs.Clear();
      const std::vector<int> amounts = Amounts();
      const auto unconverted = static_cast<int64_t>(std::count(amounts.begin(), amounts.end(), 0));
      ASSERT_EQ(amounts.size(), 5u);
      EXPECT_TRUE(left == unconverted || left == -1) << left << " left, " << unconverted << " unconverted";
      ASSERT_LT(nth, 200);
    }
  }
}

}  // namespace
}  // namespace files
