// Record files meeting the faults of real use: a commit that cannot be written, a power
// cut after a commit, a file left in WAL mode, one damaged record, a station that keeps
// the file in a write. The failures are made where they happen, by a VFS under SQLite.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/files/errors.h"
#include "platform/files/fault_vfs.h"
#include "platform/files/keyed_file.h"
#include "platform/files/sqlite_statement.h"
#include "platform/files/test_table.h"

namespace files {
namespace {

using test::Table;

class KeyedFileFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("keyed_faults_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "TABLA.VQF").string();
    WriteFiveRecords();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

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
    t.file.SetStart(test::kCode);
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

  std::filesystem::path dir_;
  std::string path_;
};

// Under a power cut a commit is durable only once the journal's deletion is: the folder
// must be synced after it, on every commit, the one of Close included.
TEST_F(KeyedFileFaultsTest, EveryCommitSyncsTheFolderAfterDeletingItsJournal) {
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

TEST_F(KeyedFileFaultsTest, WalFileIsTakenBackToTheJournalOrRefusedWhileInUse) {
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=WAL; BEGIN; SELECT count(*) FROM records;", nullptr, nullptr,
                         nullptr),
            SQLITE_OK);
  {
    Table t;
    EXPECT_EQ(t.file.Open(path_), kAccessDenied);
    EXPECT_NE(t.file.Detail().find("WAL"), std::string::npos) << t.file.Detail();
    EXPECT_NE(t.file.Detail().find(path_), std::string::npos) << t.file.Detail();
  }
  sqlite3_close(other);

  Table t;
  ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
  t.file.SetStart(test::kCode);
  ASSERT_EQ(t.file.Next(), 0);
  t.Amount() = 9;
  ASSERT_EQ(t.file.Put(), 0);
  ASSERT_EQ(t.file.Close(), 0);
  EXPECT_FALSE(std::filesystem::exists(path_ + "-wal"));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* mode = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &mode, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(mode), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(mode, 0)), "delete");
  sqlite3_finalize(mode);
  sqlite3_close(db);
  EXPECT_EQ(Amounts()[0], 9);
}

// A commit that fails (its journal cannot be synced): the whole group goes back, records
// and progress marks together, and the error says how many records did.
TEST_F(KeyedFileFaultsTest, FailedCommitTakesRecordsAndMarksBackTogetherAndCountsThem) {
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
TEST_F(KeyedFileFaultsTest, EveryRecordOfAGroupHasItsMarkWhateverTheGroupsSize) {
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

// When SQLite rolls a group back itself (its journal cannot be written), the walk's
// statement does not keep reading: another station may write the file at once.
TEST_F(KeyedFileFaultsTest, AGroupThatSqliteRollsBackLeavesTheFileFreeForOthers) {
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
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; ROLLBACK;", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    t.file.Close();
  }
}

// A write that makes SQLite roll its group back takes the group's marks with it, those
// not yet written to the file included: its records count as left over, none as converted.
TEST_F(KeyedFileFaultsTest, AGroupThatSqliteRollsBackLeavesNoMarkOfItsRecords) {
  Sql("CREATE TRIGGER refuse BEFORE UPDATE ON records WHEN OLD.id = 3 BEGIN SELECT RAISE(ROLLBACK, 'no'); END;");
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
TEST_F(KeyedFileFaultsTest, ARecordMovedAheadAfterItsConversionIsMetAgainAsMarked) {
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
TEST_F(KeyedFileFaultsTest, MarksCountOnlyForTheirOwnPass) {
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
    t.file.SetStart(test::kCode);
    while (!t.file.Eof() && t.file.Next() == 0) {
      if (t.file.Marked()) codes.push_back(t.Code());
    }
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

// A record one byte short is one error: the walk steps past it, and the writes of the
// group before it stay.
TEST_F(KeyedFileFaultsTest, DamagedRecordIsSteppedOverAndTheGroupStays) {
  Sql("UPDATE records SET data = substr(data, 1, length(data) - 1) WHERE id = 3");
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

// A station in a write keeps other writers out, and with an exclusive lock readers too, so
// that the open itself cannot read the file: either way it is named as held, never as WAL.
TEST_F(KeyedFileFaultsTest, StationHoldingTheFileIsFoundInOneAttempt) {
  for (const char* hold : {"BEGIN IMMEDIATE", "BEGIN EXCLUSIVE"}) {
    SCOPED_TRACE(hold);
    sqlite3* station = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &station), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(station, hold, nullptr, nullptr, nullptr), SQLITE_OK);
    Table t;
    const bool readers_kept_out = std::string(hold) == "BEGIN EXCLUSIVE";
    EXPECT_EQ(t.file.Open(path_), readers_kept_out ? kFileLocked : kNoError) << t.file.Detail();
    if (!readers_kept_out) EXPECT_EQ(t.file.CheckNotHeldByAnotherStation(), kFileLocked);
    EXPECT_EQ(t.file.Detail(), "El archivo " + path_ + " está tomado por otra estación, que lo mantiene en una escritura");
    sqlite3_exec(station, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(station);
    if (readers_kept_out) ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    EXPECT_EQ(t.file.CheckNotHeldByAnotherStation(), 0) << t.file.Detail();
    EXPECT_EQ(t.file.Close(), 0);
  }
}

// A statement whose Prepare failed, or that was never prepared, answers every call
// harmlessly: the failure paths that reset or read it cannot crash.
TEST(StatementTest, UnpreparedStatementIsHarmless) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  Statement never, failed;
  EXPECT_NE(failed.Prepare(db, "SELECT FROM nowhere"), SQLITE_OK);
  for (Statement* s : {&never, &failed}) {
    EXPECT_FALSE(s->Prepared());
    s->Bind(1, int64_t{7});
    s->Bind(2, std::string("x"));
    s->BindText(3, "y");
    EXPECT_EQ(s->Step(), SQLITE_MISUSE);
    EXPECT_EQ(s->Int(0), 0);
    EXPECT_TRUE(s->Text(0).empty());
    EXPECT_TRUE(s->Blob(0).empty());
    s->Reset();
  }
  sqlite3_close(db);
}

// The left-over count of a run's end, whichever write or sync of the table or its journal
// fails in the run's last group: it is what the file holds once the group's fate is known
// (or unknown, -1), never the count made inside a group that was then lost.
TEST_F(KeyedFileFaultsTest, LeftOverCountIsWhatTheFileHoldsWhateverFails) {
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

// The check at a table's start finds what the open does not look for: a row that an index
// lacks (a walk by that key would never meet it) and a page that does not parse. The
// instance then refuses to write, and the file stays as it was.
TEST_F(KeyedFileFaultsTest, IntegrityCheckFindsWhatTheOpenLetsThrough) {
  {
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0);
    EXPECT_EQ(t.file.CheckIntegrity(), 0) << t.file.Detail();
    EXPECT_EQ(t.file.Close(), 0);
  }
  const auto smash_root_of = [this](const char* index) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    const auto number = [db](const std::string& sql) {
      Statement s;
      EXPECT_EQ(s.Prepare(db, sql), SQLITE_OK);
      EXPECT_EQ(s.Step(), SQLITE_ROW);
      return s.Int(0);
    };
    const int64_t page = number(std::string("SELECT rootpage FROM sqlite_master WHERE name = '") + index + "'");
    const int64_t page_size = number("PRAGMA page_size");
    sqlite3_close(db);
    std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp((page - 1) * page_size);
    f << std::string(12, '\x5A');
  };
  const struct {
    const char* name;
    std::function<void()> damage;
    const char* finding;
  } cases[] = {
      {"row missing from an index",
       [this] {
         Sql("DROP INDEX records_key3; CREATE UNIQUE INDEX records_key3 ON records (key3) WHERE id <> 4;"
             "PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = 'CREATE UNIQUE INDEX records_key3 ON "
             "records (key3)' WHERE name = 'records_key3';");
       },
       "el índice records_key3 tiene 4 entradas y la tabla 5 registros"},
      {"page that does not parse", [&] { smash_root_of("records_key2"); }, "btreeInitPage() returns error code 11)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFiveRecords();
    c.damage();
    const auto before = std::filesystem::file_size(path_);
    Table t;
    ASSERT_EQ(t.file.Open(path_), 0) << t.file.Detail();
    EXPECT_EQ(t.file.CheckIntegrity(), kFileSystemError);
    EXPECT_EQ(t.file.Detail().rfind("El archivo " + path_ + " está dañado: no pasó la comprobación de integridad (", 0), 0u)
        << t.file.Detail();
    EXPECT_NE(t.file.Detail().find(c.finding), std::string::npos) << t.file.Detail();
    EXPECT_EQ(t.file.Detail().find('\n'), std::string::npos) << t.file.Detail();
    EXPECT_EQ(t.file.BeginProgress("pasada"), kFileSystemError);
    EXPECT_EQ(t.file.Close(), 0);
    EXPECT_EQ(std::filesystem::file_size(path_), before);
    EXPECT_FALSE(std::filesystem::exists(path_ + "-journal"));
  }
}

}  // namespace
}  // namespace files
