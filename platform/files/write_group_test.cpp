// The write group: durable commits, a group that SQLite rolls back, peers that read each
// other's writes, and a station that keeps the file in a write.
#include "platform/files/write_group.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/fault_vfs.h"
#include "platform/files/keyed_file_fixture.h"
#include "platform/files/test_process.h"
#include "platform/files/test_sql.h"

namespace files {
namespace {

using test::Table;
using WriteGroupTest = test::KeyedFileTest;
using WriteGroupFaultsTest = test::FiveRecordFileTest;

// Two instances in one thread (a table and its alias): each reads what the other wrote.
TEST_F(WriteGroupTest, InstancesOfOneFileSeeEachOthersWrites) {
  Table table, alias;
  CreateWith(table, {{1, "uno"}, {2, "dos"}});
  ASSERT_EQ(alias.file.Open(path_), 0);
  for (uint8_t round = 1; round <= 3; ++round) {
    alias.Clear();
    alias.SetCode(2);
    ASSERT_EQ(alias.file.Get(test::kCode), 0);
    EXPECT_EQ(alias.Amount(), round - 1);
    table.Clear();
    table.SetCode(2);
    ASSERT_EQ(table.file.Get(test::kCode), 0);
    table.Amount() = round;
    ASSERT_EQ(table.file.Put(), 0);
  }
  table.Fill(3, "tres");
  ASSERT_EQ(table.file.Add(), 0);
  EXPECT_EQ(alias.file.Records(), 3);
}

// Under a power cut a commit is durable only once the journal's deletion is: the folder
// must be synced after it, on every commit, the one of Close included.
TEST_F(WriteGroupFaultsTest, EveryCommitSyncsTheFolderAfterDeletingItsJournal) {
  test::FaultVfs vfs;
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
  t.file.SetStart(test::kCode);
  ASSERT_EQ(t.file.Next(), 0);
  t.Amount() = 7;
  ASSERT_EQ(t.file.Put(), 0);
  ASSERT_EQ(t.file.Commit(), 0);
  ASSERT_EQ(t.file.Next(), 0);
  t.Amount() = 8;
  ASSERT_EQ(t.file.Put(), 0);
  ASSERT_EQ(t.file.Close(), 0);
  EXPECT_EQ(vfs.journal_deletes(), 2);
  EXPECT_EQ(vfs.synced_journal_deletes(), 2);
  EXPECT_EQ(Amounts(), (std::vector<int>{7, 8, 0, 0, 0}));
}

// When SQLite rolls a group back itself (its journal cannot be written), the walk's
// statement does not keep reading: another station may write the file at once.
TEST_F(WriteGroupFaultsTest, AGroupThatSqliteRollsBackLeavesTheFileFreeForOthers) {
  for (const test::FaultVfs::Fault fault : {test::FaultVfs::Fault::kWriteError, test::FaultVfs::Fault::kFullDisk}) {
    SCOPED_TRACE(fault == test::FaultVfs::Fault::kFullDisk ? "full disk" : "write error");
    test::FaultVfs vfs;
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0);
    t.file.SetStart(test::kCode);
    ASSERT_EQ(t.file.Next(), 0);
    ++t.Amount();
    ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
    ASSERT_FALSE(t.file.Eof());
    ASSERT_EQ(t.file.Next(), 0);
    vfs.Fail(path_ + "-journal", fault);
    std::memset(t.record + 15, 'z', 8);  // the city, a key: the UPDATE writes index pages
    EXPECT_EQ(t.file.Put(), kFileSystemError);
    EXPECT_NE(t.file.Detail().find("Se perdió 1 escritura"), std::string::npos) << t.file.Detail();
    EXPECT_EQ(t.file.Detail().find("not an error"), std::string::npos) << t.file.Detail();
    vfs.Clear();
    EXPECT_EQ(test::SqlFile(path_).Exec("BEGIN EXCLUSIVE; ROLLBACK;"), "");
    t.file.Close();
  }
}

// A station in a write keeps other writers out, and with an exclusive lock readers too, so
// that the open itself cannot read the file: either way it is named as held, never as WAL.
TEST_F(WriteGroupFaultsTest, AStationHoldingTheFileIsFoundInOneAttempt) {
  using Hold = test::HoldingStation::Hold;
  for (const Hold hold : {Hold::kWrite, Hold::kExclusive}) {
    const bool readers_kept_out = hold == Hold::kExclusive;
    SCOPED_TRACE(readers_kept_out ? "exclusive" : "write");
    test::HoldingStation station(FILES_TEST_HELPER, path_, hold);
    ASSERT_TRUE(station.Holds());
    Table t;
    EXPECT_EQ(t.file.Open(path_), readers_kept_out ? kFileLocked : kNoError) << t.file.Detail();
    if (!readers_kept_out) {
      EXPECT_EQ(t.file.CheckNotHeldByAnotherStation(), kFileLocked);
    }
    EXPECT_EQ(t.file.Detail(), "El archivo " + path_ + " está tomado por otra estación, que lo mantiene en una escritura");
    station.Kill();
    if (readers_kept_out) {
      ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    }
    EXPECT_EQ(t.file.CheckNotHeldByAnotherStation(), 0) << t.file.Detail();
    EXPECT_EQ(t.file.Close(), 0);
  }
}


// A write that fails inside a cascade's transaction makes SQLite roll the whole transaction
// back. A read after it opens a group of its own, which is not the transaction: its commit
// reports the writes lost, and a write before then is refused rather than committed alone.
TEST_F(WriteGroupFaultsTest, ATransactionThatSqliteRollsBackIsReportedLost) {
  const std::string lost = "Se perdieron las escrituras de la transacción en " + path_;
  test::FaultVfs vfs;
  Table t;
  ASSERT_EQ(t.file.Open(path_), 0);
  ASSERT_EQ(t.file.BeginTransaction(), 0) << t.file.Detail();
  t.file.SetStart(test::kCode);
  ASSERT_EQ(t.file.Next(), 0);
  ++t.Amount();
  ASSERT_EQ(t.file.Put(), 0) << t.file.Detail();
  ASSERT_EQ(t.file.Next(), 0);
  vfs.Fail(path_ + "-journal", test::FaultVfs::Fault::kWriteError);
  std::memset(t.record + 15, 'z', 8);  // the city, a key: the UPDATE writes index pages
  EXPECT_EQ(t.file.Put(), kFileSystemError);
  vfs.Clear();
  t.Clear();
  t.SetCode(3);
  ASSERT_EQ(t.file.Get(test::kCode), 0) << t.file.Detail();
  ++t.Amount();
  EXPECT_EQ(t.file.Put(), kFileSystemError);
  EXPECT_EQ(t.file.Detail(), lost);
  EXPECT_EQ(t.file.CommitTransaction(), kFileSystemError);
  EXPECT_EQ(t.file.Detail(), lost);
  EXPECT_EQ(t.file.Put(), 0) << t.file.Detail();  // the transaction is over
  EXPECT_EQ(t.file.Close(), 0);
  EXPECT_EQ(Amounts(), (std::vector<int>{0, 0, 1, 0, 0}));
}

// A read that fails as a write group starts (for the largest id) names SQLite's cause, as
// it stood before the group's rollback replaced it.
TEST_F(WriteGroupFaultsTest, AFailedStartOfAWriteGroupNamesItsCause) {
  bool start_failed = false;
  for (int nth = 1; nth <= 4; ++nth) {
    SCOPED_TRACE(nth);
    test::FaultVfs vfs;
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0);
    vfs.FailNth(path_, test::FaultVfs::Fault::kReadError, nth);
    t.Fill(6, "r6");
    if (t.file.Add() == kNoError) continue;
    start_failed = true;
    EXPECT_EQ(t.file.Detail(), "Error de sistema de archivos en " + path_ + " (disk I/O error)");
    vfs.Clear();
    EXPECT_EQ(t.file.Close(), 0);
  }
  EXPECT_TRUE(start_failed);
}

}  // namespace
}  // namespace files
