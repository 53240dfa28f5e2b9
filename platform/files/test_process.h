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

// Another station in the middle of a write on the record file `path`, as its driver keeps
// one (with `exclusive`, under the lock that keeps readers out too): the helper's "hold"
// run, from construction until it is killed or destroyed.
class HoldingStation : public TestProcess {
 public:
  enum class Hold { kWrite, kExclusive };

  HoldingStation(const char* helper, const std::string& path, Hold hold = Hold::kWrite)
      : TestProcess(helper, hold == Hold::kExclusive ? std::vector<std::string>{"hold", path, "exclusive"}
                                                     : std::vector<std::string>{"hold", path}),
        holds_(ReadLine() == "held") {}

  // False when the helper could not take the file.
  bool Holds() const { return holds_; }

 private:
  bool holds_;
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
