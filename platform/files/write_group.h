// The write group of a keyed file: the one SQLite transaction that an open instance keeps
// over many calls, so that each call spares the locking and the check of the file that
// SQLite does at every transaction's start, committed once it is kCommitInterval old
// (commit_groups.h). A group that only reads holds the file's shared lock; one that writes
// holds its reserved lock, and nobody else writes until it ends.
//
//               BeginRead()                    BeginWrite() or BeginExclusive()
//    kNone ──────────────────► kReading        kNone ─────────────────────────► kWriting
//
//    kReading, kWriting ── Commit(), RollBack(), Abandon(), Lost() ──► kNone
//    kWriting ── Commit() that another station's reader keeps waiting ──► kWriting
//
// A read group that is to write is committed first (the instance calls Commit(), then
// BeginWrite()). A commit that cannot complete for another cause (a full disk, an I/O error)
// gives the group up whole: its writes go back. Abandon() rolls a group back after a write
// that cannot stand; Lost() records that SQLite rolled it back by itself, after a failed
// statement.
//
// What else lives in the group hears of its moves through GroupHooks: the statements still
// stepping end before it commits or rolls back, and the marks of a pass (pass_marks.h) are
// written into it before its COMMIT, so that they commit, or go back, with their records.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/commit_groups.h"
#include "platform/files/sqlite_code.h"
#include "platform/files/sqlite_statement.h"

namespace files {

class GroupHooks {
 public:
  // A new group has begun; nothing of an earlier group is left in it.
  virtual void GroupStarted() {}
  // Before the COMMIT, inside the group: what must commit with it is written now. An error
  // keeps the group from committing, as a failed COMMIT does.
  virtual SqliteCode GroupCommitting() { return SqliteCode::kOk; }
  // The group's writes are undone: before its ROLLBACK runs, or after SQLite rolled it
  // back by itself.
  virtual void GroupRollingBack() {}
  // Even the ROLLBACK failed: SQLite keeps the transaction open, and the connection cannot
  // be trusted with further writes; closing it lets SQLite's journal restore the file.
  virtual void RollBackFailed() {}

 protected:
  ~GroupHooks() = default;
};

enum class GroupState {
  kNone,     // no transaction open
  kReading,  // a read transaction: the file's shared lock
  kWriting,  // a write transaction: the reserved lock (exclusive for BeginExclusive)
};

class WriteGroup {
 public:
  // `owner` is what the background committer and the peers of the file know the group by.
  explicit WriteGroup(CommitGroupOwner* owner) : owner_(owner) {}
  WriteGroup(const WriteGroup&) = delete;
  WriteGroup& operator=(const WriteGroup&) = delete;

  // At open: the connection and the hooks, called in the order given.
  SqliteCode Prepare(sqlite3* db, std::vector<GroupHooks*> hooks);
  // At close, before the connection goes (closing it rolls back a group still open).
  void Release();

  GroupState state() const { return state_; }
  bool open() const { return state_ != GroupState::kNone; }
  bool writes() const { return state_ == GroupState::kWriting; }
  // Old enough to be committed.
  bool Due() const { return Clock::now() - start_ >= kCommitInterval; }
  // Counts the groups begun: a group other than the one a read was made in may have let
  // another station write.
  uint64_t serial() const { return serial_; }
  int64_t write_count() const { return write_count_; }  // records written in the group
  void CountWrite() { ++write_count_; }
  // SQLite's account of the last commit that failed.
  const std::string& failure() const { return failure_; }

  // kNone to kReading.
  SqliteCode BeginRead();
  // kNone to kWriting: BEGIN IMMEDIATE.
  SqliteCode BeginWrite();
  // kNone to kWriting: BEGIN EXCLUSIVE, for a cascade's transaction: other stations'
  // readers wait while it runs, and in exchange its commit never waits for one of them.
  SqliteCode BeginExclusive();

  // Commits the open group. When the commit fails and SQLite has rolled the group back,
  // the group is over; when it is merely busy, it stays open.
  SqliteCode Commit() { return End(true, true); }
  // Commit on the background committer's thread, which forgets the owner itself (and holds
  // the lock that unregistering takes).
  SqliteCode CommitForCommitter() { return End(true, false); }
  SqliteCode RollBack() { return End(false, true); }
  // After a write that cannot stand: rolls back what SQLite did not, and the group is over.
  void Abandon();
  // SQLite rolled the open group back by itself: the group is over.
  void Lost();

 private:
  using Clock = std::chrono::steady_clock;

  SqliteCode Begin(Statement& begin, GroupState state);
  void Start(GroupState state);
  SqliteCode End(bool commit, bool unregister);
  // Rolls the open transaction back; RollBackFailed when even that fails.
  void GiveUp();
  void Close(bool unregister);
  bool TransactionOpen() const { return sqlite3_get_autocommit(db_) == 0; }

  CommitGroupOwner* const owner_;
  sqlite3* db_ = nullptr;
  std::vector<GroupHooks*> hooks_;
  struct Statements {
    Statement begin_read, begin, commit, rollback;
  };
  std::unique_ptr<Statements> st_;  // from Prepare to Release

  GroupState state_ = GroupState::kNone;
  int64_t write_count_ = 0;
  std::string failure_;
  uint64_t serial_ = 0;
  Clock::time_point start_;
};

}  // namespace files
