#include "platform/files/pass_marks.h"

namespace files {
namespace {

// Marks inserted by one statement.
constexpr size_t kMarkBatch = 64;

// SQLite's local time of day, to the microsecond, as the progress tables store it.
const std::string kNow = "strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')";

}  // namespace

void PassMarks::Release() {
  mark_.reset();
  pending_.clear();
  open_ = false;
  marked_.Clear();
}

SqliteCode PassMarks::Read(KeyedFile::Progress* progress) {
  bool present = false;
  if (SqliteCode rc = TablesPresent(&present); rc != SqliteCode::kOk || !present) return rc;
  Statement last_run;
  SqliteCode rc = last_run.Prepare(db_, "SELECT pass, ended IS NOT NULL AND left = 0, CASE WHEN ended IS NULL THEN -1 ELSE left END"
                                        " FROM progress_runs ORDER BY run DESC LIMIT 1");
  if (rc == SqliteCode::kOk) rc = last_run.Step();
  if (rc == SqliteCode::kRow) {
    progress->pass = last_run.Text(0);
    progress->complete = last_run.Int(1) != 0;
    progress->left = last_run.Int(2);
  }
  last_run.Reset();
  if (rc != SqliteCode::kRow && rc != SqliteCode::kDone) return rc;
  return QueryInteger(db_, "SELECT count(*) FROM progress_records", &progress->marked);
}

SqliteCode PassMarks::Begin(std::string* later_pass) {
  SqliteCode rc = Exec(db_,
                       "CREATE TABLE IF NOT EXISTS progress_runs (run INTEGER PRIMARY KEY, pass TEXT NOT NULL,"
                       " started TEXT NOT NULL, ended TEXT, left INTEGER);"
                       "CREATE TABLE IF NOT EXISTS progress_records (run INTEGER NOT NULL, id INTEGER NOT NULL);");
  std::string stored_pass;
  Statement s;
  if (rc == SqliteCode::kOk) rc = s.Prepare(db_, "SELECT pass FROM progress_runs ORDER BY run DESC LIMIT 1");
  if (rc == SqliteCode::kOk) rc = s.Step();
  if (rc == SqliteCode::kRow) stored_pass = s.Text(0);
  if (rc == SqliteCode::kRow || rc == SqliteCode::kDone) rc = SqliteCode::kOk;
  s.Reset();
  marked_.Clear();
  if (rc == SqliteCode::kOk && stored_pass > pass_) {
    // Passes are named by their start: a later one's marks are never given up for an
    // earlier one, whose run would convert those records again.
    *later_pass = stored_pass;
    return SqliteCode::kOk;
  }
  if (rc == SqliteCode::kOk && stored_pass != pass_) {
    rc = Exec(db_, "DELETE FROM progress_records; DELETE FROM progress_runs;");
  } else if (rc == SqliteCode::kOk) {
    rc = ReadMarksOfPass(&marked_);
  }
  if (rc == SqliteCode::kOk) rc = s.Prepare(db_, "INSERT INTO progress_runs (pass, started) VALUES (?1, " + kNow + ")");
  if (rc == SqliteCode::kOk) {
    s.BindText(1, pass_);
    rc = s.Step() == SqliteCode::kDone ? SqliteCode::kOk : SqliteCode{sqlite3_errcode(db_)};
    s.Reset();
  }
  run_ = sqlite3_last_insert_rowid(db_);
  mark_ = std::make_unique<MarkStatements>();
  std::string insert = "INSERT INTO progress_records (run, id) VALUES (?1, ?2)";
  if (rc == SqliteCode::kOk) rc = mark_->one.Prepare(db_, insert);
  for (size_t i = 1; i < kMarkBatch; ++i) insert += ", (?1, ?" + std::to_string(i + 2) + ")";
  if (rc == SqliteCode::kOk) rc = mark_->batch.Prepare(db_, insert);
  return rc;
}

SqliteCode PassMarks::RecordEnd(int64_t left) {
  Statement s;
  SqliteCode rc = s.Prepare(db_, "UPDATE progress_runs SET ended = " + kNow + ", left = ?1 WHERE run = ?2");
  if (rc == SqliteCode::kOk) {
    s.Bind(1, left);
    s.Bind(2, run_);
    rc = s.Step();
    s.Reset();
  }
  return rc == SqliteCode::kDone ? SqliteCode::kOk : rc;
}

void PassMarks::Close() {
  open_ = false;
  marked_.Clear();
}

// Marks are inserted kMarkBatch at a time, and the rest before the group commits: a
// statement for each costs as much as the record's own write.
SqliteCode PassMarks::Mark(int64_t id) {
  // Another station may move a converted record ahead of the walk between two groups:
  // met again, it is marked already. (Were its group lost, it would count as left over.)
  marked_.Add(id);
  pending_.push_back(id);
  return pending_.size() < kMarkBatch ? SqliteCode::kOk : WritePending();
}

SqliteCode PassMarks::WritePending() {
  size_t written = 0;
  SqliteCode rc = SqliteCode::kDone;
  while (rc == SqliteCode::kDone && written < pending_.size()) {
    const bool whole = pending_.size() - written >= kMarkBatch;
    Statement& s = whole ? mark_->batch : mark_->one;
    s.Bind(1, run_);
    const size_t count = whole ? kMarkBatch : 1;
    for (size_t i = 0; i < count; ++i) s.Bind(static_cast<int>(i) + 2, pending_[written + i]);
    rc = s.Step();
    s.Reset();
    if (rc == SqliteCode::kDone) written += count;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(written));
  return rc == SqliteCode::kDone ? SqliteCode::kOk : rc;
}

// The ids come from one of the key indexes, each of which holds them all, rather than
// from the records' rows; the marks are set against them here, where SQLite would build a
// table of them.
SqliteCode PassMarks::CountUnmarked(int64_t* left) {
  bool present = false;
  if (SqliteCode rc = TablesPresent(&present); rc != SqliteCode::kOk) return rc;
  IdSet marked;
  SqliteCode rc = present ? ReadMarksOfPass(&marked) : SqliteCode::kOk;
  Statement s;
  if (rc == SqliteCode::kOk) rc = s.Prepare(db_, "SELECT id FROM records");
  int64_t count = 0;
  if (rc == SqliteCode::kOk) {
    while ((rc = s.Step()) == SqliteCode::kRow) count += marked.Contains(s.Int(0)) ? 0 : 1;
    s.Reset();
  }
  if (rc != SqliteCode::kDone) return rc;
  *left = count;
  return SqliteCode::kOk;
}

SqliteCode PassMarks::TablesPresent(bool* present) {
  int64_t tables = 0;
  const SqliteCode rc =
      QueryInteger(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'progress_runs'", &tables);
  if (rc != SqliteCode::kOk) return rc;
  *present = tables != 0;
  return SqliteCode::kOk;
}

// The ids that the marks of the pass set name.
SqliteCode PassMarks::ReadMarksOfPass(IdSet* marked) {
  Statement s;
  SqliteCode rc = s.Prepare(db_, "SELECT id FROM progress_records WHERE run IN (SELECT run FROM progress_runs WHERE pass = ?1)");
  if (rc != SqliteCode::kOk) return rc;
  s.BindText(1, pass_);
  while ((rc = s.Step()) == SqliteCode::kRow) marked->Add(s.Int(0));
  s.Reset();
  return rc == SqliteCode::kDone ? SqliteCode::kOk : rc;
}

}  // namespace files
