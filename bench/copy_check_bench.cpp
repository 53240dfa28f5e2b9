// The check a backup adds to each copy: the record check (SQLite's integrity check, the
// layout and the record lengths) of a record file, against what the script itself costs
// for it (a byte copy of the file) and against SQLite's quick check, which reads every
// page too but does not compare the indexes with their rows.
//   copy_check_bench FILE [FOLDER]     (FOLDER receives the copy; default: beside FILE)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/files/file_check.h"
#include "platform/files/test_sql.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

bool QuickCheck(const std::string& path) {
  using files::test::SqlFile;
  return SqlFile(path, SqlFile::Access::kReadOnly).Text("PRAGMA quick_check") == "ok";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: copy_check_bench FILE [FOLDER]\n");
    return 64;
  }
  namespace fs = std::filesystem;
  const fs::path file = argv[1];
  const fs::path copy = (argc > 2 ? fs::path(argv[2]) : file.parent_path()) / "BENCH_COPIA.VQF";

  auto start = Clock::now();
  fs::copy_file(file, copy, fs::copy_options::overwrite_existing);
  const double copy_seconds = Seconds(start);

  start = Clock::now();
  const bool quick_ok = QuickCheck(copy.string());
  const double quick_seconds = Seconds(start);

  start = Clock::now();
  std::string detail;
  const int code = files::CheckRecordFile(copy.string(), &detail);
  const double check_seconds = Seconds(start);
  fs::remove(copy);

  std::printf("file: %.0f MB\n", static_cast<double>(fs::file_size(file)) / 1e6);
  std::printf("byte copy (the script):   %8.2f s\n", copy_seconds);
  std::printf("quick_check:              %8.2f s  %s\n", quick_seconds, quick_ok ? "ok" : "fails");
  std::printf("record check:             %8.2f s  %s\n", check_seconds, code == 0 ? "ok" : detail.c_str());
  std::printf("record check / copy:      %8.1f\n", check_seconds / copy_seconds);
  return code == 0 && quick_ok ? 0 : 1;
}
