// A second process for the drivers' tests, which need a writer to kill mid-stream and a
// lock holder in another process.
//   files_test_helper rewrite PATH   rewrites every record in passes, for ever; prints
//                                     "pass N" after each pass.
//   files_test_helper lock PATH MS    locks the file, prints "locked", holds it MS
//                                     milliseconds (forever when negative), then exits.
//   files_test_helper deny-write PATH MS opens the file's share as a deny-write opener
//                                     does, prints "opened", holds it MS milliseconds.
//   files_test_helper hold PATH [exclusive] starts a write on the file as another
//                                     station's driver would (with "exclusive", under the
//                                     lock that keeps readers out too), prints "held", and
//                                     keeps it until killed.
//   files_test_helper spill PATH      zeroes every record in one transaction with a page
//                                     cache too small to hold it, so that SQLite writes
//                                     into the file before the commit; prints "spilled"
//                                     and waits, for ever, to be killed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/files/env.h"
#include "platform/files/test_sql.h"
#include "platform/files/test_table.h"

using files::test::Table;

namespace {

int Rewrite(const char* path) {
  Table t;
  if (t.file.Open(path) != 0) return 1;
  for (int pass = 1;; ++pass) {
    t.file.SetStart(files::test::kCode);
    while (!t.file.Eof()) {
      if (t.file.Next() != 0) return 2;
      files::test::StampGeneration(t, static_cast<uint8_t>(pass));
      if (t.file.Put() != 0) return 3;
    }
    std::printf("pass %d\n", pass);
    std::fflush(stdout);
  }
}

int HoldLock(const char* path, int milliseconds) {
  Table t;
  if (t.file.Open(path) != 0 || t.file.Lock(0) != 0) return 1;
  std::printf("locked\n");
  std::fflush(stdout);
  if (milliseconds < 0) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return 0;
}

int HoldShare(const char* path, int milliseconds) {
  std::unique_ptr<files::File> lock_file;
  if (files::Env::Default()->OpenLockFile(std::string(path) + ".lck", &lock_file, nullptr) != 0 ||
      lock_file->TakeSoleShare() != 0) {
    return 1;
  }
  std::printf("opened\n");
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return 0;
}

int HoldWrite(const char* path, bool exclusive) {
  files::test::SqlFile file(path);
  if (!file.IsOpen()) return 1;
  if (!file.Exec(exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE").empty()) return 2;
  std::printf("held\n");
  std::fflush(stdout);
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

int SpillAndWait(const char* path) {
  files::test::SqlFile file(path);
  if (!file.IsOpen()) return 1;
  if (!file.Exec("PRAGMA cache_size = 2; BEGIN IMMEDIATE; UPDATE records SET data = zeroblob(length(data))").empty()) {
    return 2;
  }
  std::printf("spilled\n");
  std::fflush(stdout);
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "rewrite") == 0) return Rewrite(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "lock") == 0) return HoldLock(argv[2], std::atoi(argv[3]));
  if (argc >= 3 && std::strcmp(argv[1], "hold") == 0 && (argc == 3 || (argc == 4 && std::strcmp(argv[3], "exclusive") == 0))) {
    return HoldWrite(argv[2], argc == 4);
  }
  if (argc == 4 && std::strcmp(argv[1], "deny-write") == 0) return HoldShare(argv[2], std::atoi(argv[3]));
  if (argc == 3 && std::strcmp(argv[1], "spill") == 0) return SpillAndWait(argv[2]);
  std::fprintf(stderr,
               "usage: files_test_helper rewrite PATH | lock PATH MS | hold PATH [exclusive] | "
               "deny-write PATH MS | spill PATH\n");
  return 64;
}
