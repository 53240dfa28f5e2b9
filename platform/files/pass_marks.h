// The progress of a pass that must touch every record once however often it is
// interrupted (the conversion run), kept inside the file in two tables: progress_runs, one
// row per run of a pass (its name, start, end and the records it left), and
// progress_records, one mark per record that a run wrote.
//
// A mark is inserted in the write group that writes its record, and the group's hooks keep
// them together: marks not yet inserted are inserted before the group commits, and are
// dropped when the group starts or goes back, so that a record and its mark are committed,
// or lost, together.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/id_set.h"
#include "platform/files/keyed_file.h"
#include "platform/files/sqlite_code.h"
#include "platform/files/sqlite_statement.h"
#include "platform/files/write_group.h"

namespace files {

class PassMarks final : public GroupHooks {
 public:
  void Attach(sqlite3* db) { db_ = db; }
  // At close: no run open, nothing pending.
  void Release();

  // The open run of a pass, between Begin and End.
  bool open() const { return open_; }
  // The pass that Begin was last asked for, whether its run opened or not.
  void SetPass(std::string_view pass) { pass_ = pass; }

  // What the file holds of the last run, into *progress (left as it is when the file has
  // never had a run).
  SqliteCode Read(KeyedFile::Progress* progress);
  // Inside a write group: opens a run of the pass set, dropping the marks of an earlier
  // pass. A file marked by a later pass is left as it is, and *later_pass names that pass.
  SqliteCode Begin(std::string* later_pass);
  // The run is open once the group that began it has committed.
  void Opened() { open_ = true; }
  // Inside a write group: records the run's end and the records it left.
  SqliteCode RecordEnd(int64_t left);
  void Close();

  // The record `id` is marked done in the open run.
  bool Marked(int64_t id) const { return open_ && marked_.Contains(id); }
  // Marks the record `id` just written, in its group.
  SqliteCode Mark(int64_t id);
  // Inserts the marks not yet inserted, in the open group; those that could not be stay.
  SqliteCode WritePending();

  // The records that no mark of the pass set names (every record when the file's marks are
  // of another pass), within the current transaction.
  SqliteCode CountUnmarked(int64_t* left);

  void GroupStarted() override { pending_.clear(); }
  SqliteCode GroupCommitting() override { return WritePending(); }
  void GroupRollingBack() override { pending_.clear(); }

 private:
  SqliteCode TablesPresent(bool* present);
  SqliteCode ReadMarksOfPass(IdSet* marked);

  sqlite3* db_ = nullptr;
  bool open_ = false;
  std::string pass_;
  int64_t run_ = 0;
  struct MarkStatements {
    Statement one, batch;
  };
  std::unique_ptr<MarkStatements> mark_;
  std::vector<int64_t> pending_;  // of records written in the open group
  IdSet marked_;  // the records marked before this run, and by it
};

}  // namespace files
