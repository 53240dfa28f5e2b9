// The walk of a keyed file in key order (Next, Eof). A walk steps one statement from
// record to record instead of looking each one up, for as long as nothing can have moved
// what lies ahead in its key; Eof reads the next record ahead, and Next takes it while it
// is still what Next would read.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files/record_statements.h"
#include "platform/files/sqlite_code.h"

namespace files {

// Where the instance stands, and what it knows of the writes since a read.
struct WalkPosition {
  int key;                   // the key walked
  const std::string& bound;  // Next reads the first column above it
  bool in_group;             // a write group is open
  uint64_t group;            // the group's serial number (write_group.h)
  int64_t writes;            // records the instance wrote, added or deleted
  int64_t key_writes;        // of them, those that changed a key column
};

class KeyWalk {
 public:
  // At open: the walk statements of the file.
  void Attach(RecordStatements* statements) { st_ = statements; }
  // At close, before the statements go.
  void Release() {
    Stop();
    Forget();
    st_ = nullptr;
  }

  // Reads the record that follows `at` into ahead() (none past the end: !found()), in the
  // transaction open.
  SqliteCode ReadAhead(const WalkPosition& at);
  // The record read ahead is still what Next would read at `at`.
  bool AheadIsCurrent(const WalkPosition& at) const;
  bool found() const { return found_; }
  const Row& ahead() const { return row_; }
  // The record read ahead is not to be taken (it was taken, or the position moved).
  void Forget() { valid_ = false; }
  // A statement still stepping keeps its read lock, and a commit must not wait for it.
  void Stop();

 private:
  bool GoesOn(const WalkPosition& at) const;

  RecordStatements* st_ = nullptr;
  int key_ = -1;  // the key whose walk statement is stepping, -1 for none
  uint64_t group_ = 0;
  int64_t key_writes_ = 0;
  std::string from_;  // the walk's bound value, which SQLite reads in place

  bool valid_ = false;  // a record was read ahead (or none found: !found_)
  bool found_ = false;
  Row row_;
  int ahead_key_ = -1;
  std::string ahead_bound_;
  uint64_t ahead_group_ = 0;
  int64_t ahead_writes_ = 0;
};

}  // namespace files
