#include "platform/files/write_group.h"

namespace files {

SqliteCode WriteGroup::Prepare(sqlite3* db, std::vector<GroupHooks*> hooks) {
  db_ = db;
  hooks_ = std::move(hooks);
  st_ = std::make_unique<Statements>();
  SqliteCode rc = st_->begin_read.Prepare(db_, "BEGIN");
  if (rc == SqliteCode::kOk) rc = st_->begin.Prepare(db_, "BEGIN IMMEDIATE");
  if (rc == SqliteCode::kOk) rc = st_->commit.Prepare(db_, "COMMIT");
  if (rc == SqliteCode::kOk) rc = st_->rollback.Prepare(db_, "ROLLBACK");
  return rc;
}

void WriteGroup::Release() {
  if (open()) UnregisterOpenGroup(owner_);
  state_ = GroupState::kNone;
  st_.reset();  // the connection closes only once its statements are finalized
  db_ = nullptr;
  hooks_.clear();
}

SqliteCode WriteGroup::BeginRead() { return Begin(st_->begin_read, GroupState::kReading); }

SqliteCode WriteGroup::BeginWrite() { return Begin(st_->begin, GroupState::kWriting); }

SqliteCode WriteGroup::Begin(Statement& begin, GroupState state) {
  const SqliteCode rc = begin.Step();
  begin.Reset();
  if (rc != SqliteCode::kDone) return rc;
  Start(state);
  return SqliteCode::kOk;
}

SqliteCode WriteGroup::BeginExclusive() {
  const SqliteCode rc = Exec(db_, "BEGIN EXCLUSIVE");
  if (rc != SqliteCode::kOk) return rc;
  Start(GroupState::kWriting);
  return SqliteCode::kOk;
}

void WriteGroup::Start(GroupState state) {
  for (GroupHooks* hooks : hooks_) hooks->GroupStarted();
  state_ = state;
  write_count_ = 0;
  ++serial_;
  start_ = Clock::now();
  RegisterOpenGroup(owner_);
}

SqliteCode WriteGroup::End(bool commit, bool unregister) {
  SqliteCode rc = SqliteCode::kOk;
  if (commit) {
    for (GroupHooks* hooks : hooks_) {
      if (rc == SqliteCode::kOk) rc = hooks->GroupCommitting();
    }
    if (rc != SqliteCode::kOk) failure_ = sqlite3_errmsg(db_);
  } else {
    for (GroupHooks* hooks : hooks_) hooks->GroupRollingBack();
  }
  if (rc == SqliteCode::kOk) {
    Statement& s = commit ? st_->commit : st_->rollback;
    rc = s.Step();
    if (rc == SqliteCode::kDone) {
      rc = SqliteCode::kOk;
    } else {
      failure_ = sqlite3_errmsg(db_);
    }
    s.Reset();
  }
  if (rc != SqliteCode::kOk) {
    if (TransactionOpen()) {
      if (Primary(rc) == SqliteCode::kBusy) return rc;
      // A commit that cannot complete (a full disk, an I/O error) is given up whole rather
      // than kept open to grow: its writes go back, and the error says how many.
      GiveUp();
    } else {
      for (GroupHooks* hooks : hooks_) hooks->GroupRollingBack();  // SQLite rolled it back
    }
  }
  Close(unregister);
  return rc;
}

void WriteGroup::Abandon() {
  if (!open()) return;
  if (TransactionOpen()) GiveUp();
  Lost();
}

void WriteGroup::Lost() {
  if (!open()) return;
  for (GroupHooks* hooks : hooks_) hooks->GroupRollingBack();
  Close(true);
}

void WriteGroup::GiveUp() {
  for (GroupHooks* hooks : hooks_) hooks->GroupRollingBack();
  st_->rollback.Step();
  st_->rollback.Reset();
  if (TransactionOpen()) {
    for (GroupHooks* hooks : hooks_) hooks->RollBackFailed();
  }
}

void WriteGroup::Close(bool unregister) {
  state_ = GroupState::kNone;
  if (unregister) UnregisterOpenGroup(owner_);
}

}  // namespace files
