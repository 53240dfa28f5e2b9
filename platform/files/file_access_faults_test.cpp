// The drivers' files meeting the failures of the file system outside SQLite: a lock file
// that cannot be opened or locked, a flat file whose write fails or stops short, a file
// that cannot be moved into place, a line file that cannot be read. The failures are made
// where they happen, by an Env under the drivers.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files/errors.h"
#include "platform/files/fault_env.h"
#include "platform/files/file_hold.h"
#include "platform/files/flat_file.h"
#include "platform/files/keyed_file.h"
#include "platform/files/line_file.h"
#include "platform/files/test_table.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/test_support.h"

namespace files {
namespace {

using Fault = test::FaultEnv::Fault;
using test::Table;

class FileAccessFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.In("TABLA.VQF");
    lock_ = path_ + ".lck";
    Table t;
    ASSERT_EQ(t.file.Create(path_), kNoError) << t.file.Detail();
    ASSERT_EQ(t.file.Open(path_), kNoError) << t.file.Detail();
    for (int code = 1; code <= 3; ++code) {
      t.Fill(code, "r" + std::to_string(code));
      ASSERT_EQ(t.file.Add(), kNoError) << t.file.Detail();
    }
    ASSERT_EQ(t.file.Close(), kNoError);
  }
  static bool Exists(const std::string& path) { return std::filesystem::exists(runtime::PathOf(path)); }

  // The records of the keyed file, read without faults.
  int Records() {
    Table t;
    EXPECT_EQ(t.file.Open(path_), kNoError) << t.file.Detail();
    const int records = t.file.Records();
    t.file.Close();
    return records;
  }

  // What a failed call on the lock file says, with the system's words for the fault.
  std::string LockFileFailure() const {
    return "Error de sistema de archivos en " + lock_ + " (" + SystemErrorText(test::FaultEnv::InjectedError()) + ")";
  }

  // Open, Create and a hold all start at the lock file: each stops there with 90, the
  // file's instance names the lock file, and the records stay as they were.
  void ExpectEveryOpenerStopsAtTheLockFile() {
    Table t(&env_);
    EXPECT_EQ(t.file.Open(path_), kFileSystemError);
    EXPECT_EQ(t.file.Detail(), LockFileFailure());
    EXPECT_FALSE(t.file.IsOpen());
    EXPECT_EQ(t.file.Create(path_), kFileSystemError);
    EXPECT_EQ(t.file.Detail(), LockFileFailure());
    FileHold hold(&env_);
    EXPECT_EQ(hold.Take(path_), kFileSystemError);
  }

  const runtime::test::TestFolder folder_;
  std::string path_;
  std::string lock_;
  test::FaultEnv env_;
};

// The records stay, and nothing is left half open: an open without the fault succeeds.
TEST_F(FileAccessFaultsTest, ALockFileThatCannotBeOpenedStopsEveryOpenerAndIsNamed) {
  env_.Fail(".lck", Fault::kOpenError);
  ExpectEveryOpenerStopsAtTheLockFile();
  env_.Clear();
  EXPECT_EQ(Records(), 3);
}

// Where the file system keeps no locks, a lock that fails is a fault of the folder: never
// "open by another" or "locked by another station", which would send the user to look for
// a station that is not there, and never a hold that the backup takes for another opener.
TEST_F(FileAccessFaultsTest, ALockFileThatCannotBeLockedIsAFileSystemErrorNotAnotherStation) {
  env_.Fail(".lck", Fault::kLockError);
  ExpectEveryOpenerStopsAtTheLockFile();

  env_.Clear();
  Table t(&env_);
  ASSERT_EQ(t.file.Open(path_), kNoError) << t.file.Detail();
  env_.Fail(".lck", Fault::kLockError);
  EXPECT_EQ(t.file.Lock(0), kFileSystemError);
  EXPECT_EQ(t.file.Detail(), LockFileFailure());
  env_.Clear();
  EXPECT_EQ(t.file.Lock(0), kNoError) << t.file.Detail();
  EXPECT_EQ(t.file.Unlock(), kNoError);
  EXPECT_EQ(t.file.Records(), 3);
}

// Create replaces a file by moving a new one over it: when the move fails, the old file
// stays whole and the new one is not left beside it.
TEST_F(FileAccessFaultsTest, ACreateWhoseMoveFailsKeepsTheOldFileAndLeavesNoNewOne) {
  env_.Fail("TABLA.VQF", Fault::kRenameError);
  Table t(&env_);
  EXPECT_EQ(t.file.Create(path_), kFileSystemError);
  EXPECT_EQ(t.file.Detail(), "Error de sistema de archivos en " + path_);
  EXPECT_FALSE(Exists(path_ + ".nuevo"));
  EXPECT_FALSE(Exists(path_ + ".nuevo-journal"));
  env_.Clear();
  EXPECT_EQ(Records(), 3);
}

// A flat file whose write fails, or stops after part of a record, reports 90; a partial
// last record counts for nothing, so that the next Add writes over it and the file stays
// whole records.
TEST_F(FileAccessFaultsTest, AFlatFileWriteThatFailsOrStopsShortCountsNoRecordAndTheNextAddTakesItsPlace) {
  for (const Fault fault : {Fault::kWriteError, Fault::kShortWrite}) {
    SCOPED_TRACE(static_cast<int>(fault));
    const std::string path = folder_.In("PLANO.DAT");
    uint8_t record[6] = {};
    FlatFile file(sizeof record, record, &env_);
    ASSERT_EQ(file.Create(path), kNoError);
    ASSERT_EQ(file.Open(path, kReadWriteDenyNone), kNoError);
    for (const char c : {'a', 'b'}) {
      std::memset(record, c, sizeof record);
      ASSERT_EQ(file.Add(), kNoError);
    }

    env_.Fail(".DAT", fault);
    std::memset(record, 'c', sizeof record);
    EXPECT_EQ(file.Add(), kFileSystemError);
    EXPECT_EQ(file.Text(), "File System Error");
    env_.Clear();
    EXPECT_EQ(file.Records(), 2);

    std::memset(record, 'd', sizeof record);
    ASSERT_EQ(file.Add(), kNoError);
    EXPECT_EQ(file.Records(), 3);
    EXPECT_EQ(std::filesystem::file_size(runtime::PathOf(path)), 3 * sizeof record);
    for (const auto& [number, c] : {std::pair{2, 'b'}, std::pair{3, 'd'}}) {
      ASSERT_EQ(file.Get(number), kNoError);
      EXPECT_EQ(std::string(reinterpret_cast<char*>(record), sizeof record), std::string(sizeof record, c));
    }
    ASSERT_EQ(file.Close(), kNoError);
  }
}

// Create empties a flat file only once it holds it alone: a lock that fails leaves its
// records, and so does Open.
TEST_F(FileAccessFaultsTest, AFlatFileThatCannotBeLockedIsNeitherOpenedNorEmptied) {
  const std::string path = folder_.In("PLANO.DAT");
  uint8_t record[6] = {'a', 'a', 'a', 'a', 'a', 'a'};
  FlatFile file(sizeof record, record, &env_);
  ASSERT_EQ(file.Create(path), kNoError);
  ASSERT_EQ(file.Open(path, kReadWriteDenyNone), kNoError);
  ASSERT_EQ(file.Add(), kNoError);
  ASSERT_EQ(file.Close(), kNoError);

  env_.Fail(".DAT", Fault::kLockError);
  EXPECT_EQ(file.Create(path), kFileSystemError);
  EXPECT_EQ(file.Open(path, kReadWriteDenyNone), kFileSystemError);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(std::filesystem::file_size(runtime::PathOf(path)), sizeof record);
}

// A read that fails is an error of its own, never the end of the file (a log read to its
// "end" would lose its last lines without a word), and the lines are still there after it.
TEST_F(FileAccessFaultsTest, ALineFileThatCannotBeReadFailsInsteadOfEnding) {
  const std::string path = folder_.In("PROCESO.LOG");
  std::ofstream(runtime::PathOf(path), std::ios::binary) << "uno\r\ndos\r\n";
  LineFile file(&env_);
  env_.Fail(".LOG", Fault::kOpenError);
  EXPECT_EQ(file.Open(path, 3), kFileSystemError);

  env_.Fail(".LOG", Fault::kReadError);
  ASSERT_EQ(file.Open(path, 1), kNoError);
  std::string line;
  EXPECT_EQ(file.ReadLine(&line, 80), kFileSystemError);
  env_.Clear();
  ASSERT_EQ(file.ReadLine(&line, 80), kNoError);
  EXPECT_EQ(line, "uno");
  ASSERT_EQ(file.ReadLine(&line, 80), kNoError);
  EXPECT_EQ(line, "dos");
  EXPECT_EQ(file.ReadLine(&line, 80), kRecordNotAvailable);
  EXPECT_EQ(file.Close(), kNoError);
}

}  // namespace
}  // namespace files
