// A second process for the tests, its standard output on a pipe: a writer to kill, a
// station that holds a file, a run that dies at a chosen point.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "platform/runtime/test_support.h"

namespace files::test {

class TestProcess : public runtime::test::ChildProcess {
 public:
  TestProcess(const char* program, std::vector<std::string> args) : ChildProcess(WithProgram(program, std::move(args))) {}

  // Waits for the process to end; true when it was killed (runtime::test::KillThisProcess,
  // or Kill) rather than ending by itself.
  bool EndedByKill() { return Wait() == runtime::test::kKilledExitCode; }

 private:
  static std::vector<std::string> WithProgram(const char* program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    return args;
  }
};

// True when a journal lies beside `path` that SQLite would play back into it: its header
// carries the journal's magic, which SQLite writes only once it is about to change the
// file itself (until then the header is zeros and the file is still whole).
inline bool HasLiveJournal(const std::string& path) {
  std::ifstream journal(path + "-journal", std::ios::binary);
  char magic[8] = {};
  return journal.read(magic, sizeof magic) && std::string(magic, sizeof magic) != std::string(8, '\0');
}

// A writer killed by SIGKILL inside a transaction that has already written into `path`:
// the helper's "spill" run. Returns whether it left a live journal, as a crash does.
inline bool KillWriterMidTransaction(const char* helper, const std::string& path) {
  TestProcess writer(helper, {"spill", path});
  if (writer.ReadLine() != "spilled") return false;
  writer.Kill();
  return HasLiveJournal(path);
}

}  // namespace files::test
