// The coordination of a keyed file instance: each public call checks the instance's state,
// opens the write group it needs, drives the unit that does the work, and hands a failure
// to the error report, telling it whether the file is damaged or a group's writes were
// lost. The units:
//
//   keyed_file_open    opening: the lock file, the connection and its journal, what is
//                      checked of the file; the integrity check's reads; a new empty file
//   write_group        the transaction kept over many calls, and its states
//   record_statements  the records' statements, the in-place write, the unique-key check
//   key_walk           the walk in key order that steps one statement
//   pass_marks         the progress of a pass, committed with its records
//   keyed_file_errors  the error state, SQLite's codes as the driver's, and the sentences
#include "platform/files/keyed_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/files/commit_groups.h"
#include "platform/files/env.h"
#include "platform/files/errors.h"
#include "platform/files/key_encoding.h"
#include "platform/files/key_walk.h"
#include "platform/files/keyed_file_errors.h"
#include "platform/files/keyed_file_open.h"
#include "platform/files/pass_marks.h"
#include "platform/files/record_statements.h"
#include "platform/files/sqlite_code.h"
#include "platform/files/sqlite_statement.h"
#include "platform/files/stored_layout.h"
#include "platform/files/write_group.h"

namespace files {

struct KeyedFile::State::Data {
  int key;
  std::string bound;
  int64_t current_id;
  std::string current_data;
  std::string buffer;
  std::vector<std::string> memos;
};

KeyedFile::State::~State() = default;

class KeyedFile::Impl final : public CommitGroupOwner, public GroupHooks {
 public:
  Impl(const RecordLayout& layout, uint8_t* record, std::span<uint8_t* const> memos, Env* env)
      : errors_(path_, env), layout_(layout), record_(record), memos_(memos.begin(), memos.end()), env_(env) {}
  ~Impl() {
    std::lock_guard lock(mutex_);
    if (db_ != nullptr) Close();
  }

  // Serialises the owner's calls against the background commit.
  std::mutex mutex_;
  int recover_seconds_ = 0;  // SetRecover
  std::string path_;
  ErrorReport errors_;

  int Create(std::string_view path) {
    if (db_ != nullptr) return Done(kFileAlreadyOpen);
    path_ = path;
    if (int rc = CheckKeysOrderable(layout_, &errors_); rc != kNoError) return rc;
    std::unique_ptr<File> lock_file;
    if (int rc = OpenLockFile(env_, path_, &errors_, &lock_file); rc != kNoError) return rc;
    const int rc = lock_file->TakeSoleShare();
    if (rc == kFileSystemError) return errors_.FailLockFile(*lock_file);
    if (rc != kNoError) return errors_.OpenSoCannotReplace(rc);
    return BuildEmptyFile(env_, path_, layout_, &errors_);
  }

  int Open(std::string_view path, int mode) {
    if (db_ != nullptr) return Done(kFileAlreadyOpen);
    path_ = path;
    const int code = OpenFile(mode);
    if (code != kNoError) ReleaseHandles();
    return code;
  }

  // The file's structure, read whole: every page parses (SQLite's quick check) and every
  // index holds one entry per row of the table, so that a walk by any key meets every
  // record. SQLite's full check looks each row up in each index, which also finds an entry
  // under a stale key, but on 1,000,000 records with 12 indexes it took 7 s where this
  // takes 2 s.
  int CheckIntegrity() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    std::string finding;
    SqliteCode rc = QuickCheck(db_, &finding);
    if (rc == SqliteCode::kOk && finding.empty()) rc = CountIndexEntries(db_, layout_, &finding);
    if (rc != SqliteCode::kOk) return FailSql(rc);
    if (finding.empty()) return Succeeded();
    return Damaged(errors_.IntegrityFaultDetail(finding));
  }

  int Close() {
    if (db_ == nullptr) return Done(kFileNotOpen);
    int result = TakePendingError();
    const bool writes = group_.writes();
    if (group_.open() && group_.Commit() != SqliteCode::kOk && writes) {
      result = errors_.FailLostWrites(group_.write_count(), group_.failure());
    }
    if (whole_locked_) lock_file_->UnlockWholeFile();
    const std::string detail = errors_.detail();
    ReleaseHandles();
    return Done(result, result == kNoError ? std::string() : detail);
  }

  int Commit() {
    if (db_ == nullptr) return Done(kFileNotOpen);
    if (int rc = TakePendingError(); rc != kNoError) return rc;
    if (!group_.open()) return Done(kNoError);
    const bool writes = group_.writes();
    const SqliteCode rc = group_.Commit();
    if (rc == SqliteCode::kOk || !writes) return Done(kNoError);
    if (group_.open()) return FailSql(rc);  // busy: the group stays for a later commit
    return errors_.FailLostWrites(group_.write_count(), group_.failure());
  }

  bool IsOpen() const { return db_ != nullptr; }

  bool PositionKnown() const { return db_ != nullptr && !damaged_ && key_ >= 0 && !read_failed_; }

  int Set(int key) {
    if (int rc = ReadyKey(key); rc != kNoError) return rc;
    key_ = key;
    bound_ = EncodeKeyValue(layout_, layout_.keys[key], record_);
    read_failed_ = false;
    return Done(kNoError);
  }

  int SetStart(int key) {
    if (int rc = ReadyKey(key); rc != kNoError) return rc;
    key_ = key;
    bound_.clear();  // below every column
    read_failed_ = false;
    return Done(kNoError);
  }

  int Next() {
    if (int rc = ReadyKey(key_); rc != kNoError) return rc;
    if (!walk_.AheadIsCurrent(Position())) {
      walk_.Forget();
      const int rc = FetchAhead();
      if (rc != kNoError) return rc;
    }
    if (!walk_.found()) return Done(kRecordNotAvailable);
    walk_.Forget();
    if (int rc = Load(walk_.ahead()); rc != kNoError) return rc;
    return Succeeded();
  }

  bool Eof() {
    if (ReadyKey(key_) != kNoError) return true;
    if (!walk_.AheadIsCurrent(Position()) && FetchAhead() != kNoError) return true;
    Done(kNoError);
    return !walk_.found();
  }

  int Get(int key) {
    if (int rc = ReadyKey(key); rc != kNoError) return rc;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    const std::string value = EncodeKeyValue(layout_, layout_.keys[key], record_);
    Row row;
    const SqliteCode rc = st_->FirstWithValue(key, value, &row);
    if (rc != SqliteCode::kRow) return rc == SqliteCode::kDone ? Done(kRecordNotFound) : FailSql(rc);
    key_ = key;
    walk_.Forget();
    if (int code = Load(row); code != kNoError) return code;
    return Succeeded();
  }

  int Put() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (current_id_ == 0) return Done(kRecordNotAvailable);
    // Only the key columns whose components changed are written, so that a rewrite that
    // keeps the keys touches no index.
    if (int rc = BeginWrite(); rc != kNoError) return rc;
    uint64_t changed = 0;
    std::vector<std::string> columns;
    for (size_t k = 0; k < layout_.keys.size(); ++k) {
      if (!st_->KeyChanged(k, current_data_)) continue;
      changed |= uint64_t{1} << k;
      const std::string value = EncodeKeyValue(layout_, layout_.keys[k], record_);
      if (int rc = CheckUnique(k, value, current_id_); rc != kNoError) return rc;
      columns.resize(layout_.keys.size());
      columns[k] = KeyColumn(value, current_id_);
    }
    const int rc = changed == 0 && writes_in_place_ ? WriteInPlace() : UpdateRow(changed, columns);
    if (rc != kNoError) return rc;
    ++writes_;
    if (changed != 0) ++key_writes_;
    current_data_.assign(reinterpret_cast<const char*>(record_), layout_.length);
    group_.CountWrite();
    if (marks_.open()) {
      // A mark that cannot be written takes the whole group back: a record written but not
      // marked would be converted again.
      const SqliteCode mark = marks_.Mark(current_id_);
      if (mark != SqliteCode::kOk) return LoseGroup(SqlMessage(db_, mark));
    }
    return Succeeded();
  }

  int Add() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (int rc = BeginWrite(); rc != kNoError) return rc;
    const int64_t id = next_id_;
    std::vector<std::string> columns;
    for (size_t k = 0; k < layout_.keys.size(); ++k) {
      const std::string value = EncodeKeyValue(layout_, layout_.keys[k], record_);
      if (int rc = CheckUnique(k, value, 0); rc != kNoError) return rc;
      columns.push_back(KeyColumn(value, id));
    }
    if (SqliteCode rc = st_->Insert(id, columns); rc != SqliteCode::kDone) return FailSql(rc);
    ++next_id_;
    ++writes_;
    ++key_writes_;
    current_id_ = id;
    current_data_.assign(reinterpret_cast<const char*>(record_), layout_.length);
    group_.CountWrite();
    return Succeeded();
  }

  int Delete() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (current_id_ == 0) return Done(kRecordNotAvailable);
    if (int rc = BeginWrite(); rc != kNoError) return rc;
    if (SqliteCode rc = st_->Remove(current_id_, current_data_); rc != SqliteCode::kDone) return FailSql(rc);
    if (st_->Changes() == 0) return errors_.RecordChangedSinceRead();
    current_id_ = 0;
    ++writes_;
    ++key_writes_;
    group_.CountWrite();
    return Succeeded();
  }

  int Records() {
    if (Ready() != kNoError || BeginRead() != kNoError) return -1;
    int64_t count = 0;
    if (SqliteCode rc = st_->Count(&count); rc != SqliteCode::kRow) {
      FailSql(rc);
      return -1;
    }
    Succeeded();
    return static_cast<int>(count);
  }

  int Lock(int seconds) {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (whole_locked_) return Done(kNoError);
    const int rc = lock_file_->LockWholeFile(seconds);
    if (rc == kFileSystemError) return errors_.FailLockFile(*lock_file_);
    if (rc != kNoError) return errors_.LockedByAnotherStation(rc);
    whole_locked_ = true;
    return Done(kNoError);
  }

  int Unlock() {
    if (int rc = Ready(); rc != kNoError) return rc;
    // The next holder must see what was written under the lock.
    int result = Done(kNoError);
    if (group_.open()) {
      const SqliteCode rc = group_.Commit();
      if (rc != SqliteCode::kOk) result = FailSql(rc);
    }
    if (whole_locked_) lock_file_->UnlockWholeFile();
    whole_locked_ = false;
    return result;
  }

  int NextAutoIncrement(int key) {
    if (int rc = ReadyKey(key); rc != kNoError) return rc;
    const KeyDecl& decl = layout_.keys[key];
    const KeyPart& last = decl.parts.back();
    const FieldDecl& field = layout_.fields[last.field];
    const KeyDecl leading{decl.name, decl.parts.first(decl.parts.size() - 1), decl.flags};
    const std::string prefix = EncodeKeyValue(layout_, leading, record_);
    const std::string end = st_->RangeEnd(key, prefix);
    const std::string column = "key" + std::to_string(key + 1);
    // Numbers: the largest is at one end of the prefix's range. Texts order "9" after "10",
    // so every record of the range is read.
    std::string sql = "SELECT data FROM records WHERE " + column + " >= ?1 AND " + column + " < ?2";
    if (!IsText(field.type)) {
      sql += " ORDER BY " + column + (last.descending ? " ASC" : " DESC") + " LIMIT 1";
    }
    if (int rc = BeginRead(); rc != kNoError) return rc;
    Statement s;
    SqliteCode rc = s.Prepare(db_, sql);
    if (rc != SqliteCode::kOk) return FailSql(rc);
    s.Bind(1, prefix);
    s.Bind(2, end);
    int64_t largest = 0;
    while ((rc = s.Step()) == SqliteCode::kRow) {
      const std::string_view data = s.Blob(0);
      if (data.size() != layout_.length) return FailDamaged(SqliteCode::kCorrupt);
      largest = std::max(largest, ReadNumber(field, reinterpret_cast<const uint8_t*>(data.data())));
    }
    if (rc != SqliteCode::kDone) return FailSql(rc);
    WriteNumber(field, record_, largest + 1);
    return Succeeded();
  }

  std::unique_ptr<State::Data> Save() const {
    auto state = std::make_unique<State::Data>();
    state->key = key_;
    state->bound = bound_;
    state->current_id = current_id_;
    state->current_data = current_data_;
    state->buffer.assign(reinterpret_cast<const char*>(record_), layout_.length);
    for (size_t m = 0; m < memos_.size(); ++m) {
      state->memos.emplace_back(reinterpret_cast<const char*>(memos_[m]), layout_.memos[m].size);
    }
    return state;
  }

  void Restore(const State::Data& state, bool restore_buffer) {
    key_ = state.key;
    bound_ = state.bound;
    current_id_ = state.current_id;
    current_data_ = state.current_data;
    walk_.Forget();
    if (!restore_buffer) return;
    std::memcpy(record_, state.buffer.data(), layout_.length);
    for (size_t m = 0; m < memos_.size(); ++m) {
      std::memcpy(memos_[m], state.memos[m].data(), layout_.memos[m].size);
    }
  }

  // One attempt at the write turn, with a short wait: a station in a commit lets go within
  // it, one that keeps the file does not.
  int CheckNotHeldByAnotherStation() {
    if (int rc = Ready(); rc != kNoError) return rc;
    sqlite3_busy_timeout(db_, kHoldCheckTimeoutMs);
    const int rc = BeginWrite();
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    if (rc == kFileLocked) return errors_.Held();
    return rc == kNoError ? Done(kNoError) : rc;
  }

  // ---- The progress of a pass (pass_marks.h) ----

  int ReadProgress(Progress* progress) {
    *progress = {};
    if (int rc = Ready(); rc != kNoError) return rc;
    if (int rc = WritePendingMarks(); rc != kNoError) return rc;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    if (SqliteCode rc = marks_.Read(progress); rc != SqliteCode::kOk) return FailSql(rc);
    return Succeeded();
  }

  // The run's row and the switch from another pass are committed before any record is
  // written, so that no mark can ever belong to a run the file does not hold.
  int BeginProgress(std::string_view pass) {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (marks_.open()) return Done(kNoError);
    marks_.SetPass(pass);
    if (int rc = BeginWrite(); rc != kNoError) return rc;
    std::string later_pass;
    const SqliteCode rc = marks_.Begin(&later_pass);
    if (!later_pass.empty()) {
      group_.RollBack();
      return errors_.LaterPass(later_pass);
    }
    if (rc != SqliteCode::kOk) {
      const int code = FailSql(rc);
      if (group_.open()) group_.RollBack();
      return code;
    }
    if (int code = Commit(); code != kNoError) return code;
    marks_.Opened();
    return Done(kNoError);
  }

  bool Marked() const { return marks_.Marked(current_id_); }

  // Without an open run (it could not begin) only the count is made. The count stored with
  // the run's end is made in the group that commits it; when that group does not commit as
  // it was counted, the count is made again once the outcome of every write is known, from
  // what the file then holds, and is unknown (-1) when it cannot be.
  int EndProgress(int64_t* left) {
    *left = -1;
    if (int rc = Ready(); rc != kNoError) return rc;
    if (!marks_.open()) return CountUnmarked(left);
    marks_.Close();
    int64_t counted = -1;
    int code = RecordRunEnd(&counted);
    if (code == kNoError) {
      *left = counted;
      return Done(kNoError);
    }
    std::string detail = errors_.detail();
    // The walk's writes still grouped are kept when they can be; a commit that cannot keep
    // them says how many went back, which matters more than the run's end.
    if (group_.writes() && Commit() != kNoError) {
      code = errors_.code();
      detail = errors_.detail();
    }
    if (!group_.open()) CountUnmarked(left);
    return Done(code, detail);
  }

  // Put's check of the unique keys whose value the buffer changes, without the write.
  int CheckPut() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (current_id_ == 0) return Done(kRecordNotAvailable);
    if (int rc = BeginRead(); rc != kNoError) return rc;
    for (size_t k = 0; k < layout_.keys.size(); ++k) {
      if (!st_->KeyChanged(k, current_data_)) continue;
      const std::string value = EncodeKeyValue(layout_, layout_.keys[k], record_);
      if (int rc = CheckUnique(k, value, current_id_); rc != kNoError) return rc;
    }
    return Done(kNoError);
  }

  // The cascade's transaction: a write group that only its owner ends. The background
  // committer, the due check of Succeeded and a peer's request all leave it open. It is
  // known by its group's serial: a failed write can make SQLite roll the whole transaction
  // back, and a read after that opens a group of its own, which is not the transaction.
  int BeginTransaction() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (transaction_ != 0) return Done(kNoError);
    if (group_.open()) {
      const SqliteCode rc = group_.Commit();
      if (rc != SqliteCode::kOk) return FailSql(rc);
    }
    EndPeerGroups(identity_, this);
    if (SqliteCode rc = group_.BeginExclusive(); rc != SqliteCode::kOk) return FailSql(rc);
    if (int code = ReadNextId(); code != kNoError) return code;
    transaction_ = group_.serial();
    return Done(kNoError);
  }

  int CommitTransaction() {
    if (transaction_ == 0) return Done(kNoError);
    const bool lost = !TransactionHeld();
    transaction_ = 0;
    if (lost) return errors_.TransactionLost();
    const SqliteCode rc = group_.Commit();
    if (rc == SqliteCode::kOk) return Done(kNoError);
    const int code = FailSql(rc);
    if (group_.open()) group_.RollBack();
    return code;
  }

  int RollbackTransaction() {
    if (transaction_ == 0) return Done(kNoError);
    const bool held = TransactionHeld();
    transaction_ = 0;
    walk_.Forget();
    if (!held) return Done(kNoError);
    const SqliteCode rc = group_.RollBack();
    return rc == SqliteCode::kOk ? Done(kNoError) : FailSql(rc);
  }

  bool EndGroupIfIdle(bool due_only) override {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return false;
    if (!group_.open()) return true;
    if (TransactionHeld()) return false;  // its owner commits it
    if (due_only && !group_.Due()) return false;
    const bool writes = group_.writes();
    const SqliteCode rc = due_only ? group_.CommitForCommitter() : group_.Commit();
    if (rc == SqliteCode::kOk || !writes) return !group_.open();
    if (group_.open()) return false;  // still open (another station reading): try again later
    pending_error_ = kFileSystemError;
    pending_detail_ = errors_.LostWrites(group_.write_count(), group_.failure());
    return true;
  }

  int Code() const { return errors_.code(); }
  const std::string& Detail() const { return errors_.detail(); }

 private:
  // The group's hooks (write_group.h): the walk's statement and the BLOB handle are open
  // statements to SQLite, which a commit or a rollback needs ended.
  void GroupStarted() override { EndStepping(); }  // left over from a group that SQLite rolled back
  SqliteCode GroupCommitting() override {
    EndStepping();
    return SqliteCode::kOk;
  }
  void GroupRollingBack() override { EndStepping(); }
  void RollBackFailed() override {
    damaged_ = true;
    damage_detail_ = errors_.RollBackFailedDetail();
  }

  // The run's end and the count of the records left, committed with the group's last writes.
  int RecordRunEnd(int64_t* left) {
    if (int rc = BeginWrite(); rc != kNoError) return rc;
    if (int rc = CountUnmarked(left); rc != kNoError) return rc;
    if (SqliteCode rc = marks_.RecordEnd(*left); rc != SqliteCode::kOk) return FailSql(rc);
    return Commit();
  }

  int CountUnmarked(int64_t* left) {
    if (int rc = WritePendingMarks(); rc != kNoError) return rc;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    if (SqliteCode rc = marks_.CountUnmarked(left); rc != SqliteCode::kOk) return FailSql(rc);
    return Done(kNoError);
  }

  // The marks not yet written, written before the progress tables are read.
  int WritePendingMarks() {
    const SqliteCode rc = marks_.WritePending();
    return rc == SqliteCode::kOk ? kNoError : LoseGroup(SqlMessage(db_, rc));
  }

  // Ends the open group by rolling it back, after a write that cannot stand: each of its
  // writes is lost, and the detail counts them.
  int LoseGroup(const std::string& cause) {
    group_.Abandon();
    return errors_.FailLostWrites(group_.write_count(), cause);
  }

  // A record whose bytes do not fit the layout. The position steps past it, so that a walk
  // can go on with the next record, and nothing else of the file is given up; the buffer
  // holds no record to write.
  int BadRecord(const Row& row) {
    bound_ = row.column;
    current_id_ = 0;
    return errors_.BadRecord(row.id, row.data.size(), layout_.length);
  }

  int Done(int code, std::string detail = {}) { return errors_.Done(code, std::move(detail)); }

  int FailDamaged(SqliteCode rc) { return Damaged(errors_.DamagedDetail(SqlMessage(db_, rc))); }

  // From now on every call but Close fails with `detail`: nothing more is read from the
  // file or written into it through this instance.
  int Damaged(std::string detail) {
    damaged_ = true;
    damage_detail_ = std::move(detail);
    if (group_.open()) group_.RollBack();
    return Done(kFileSystemError, damage_detail_);
  }

  // The driver's code for a failed SQLite call. A failure midway through a statement may
  // have made SQLite roll the open group back, which the instance then hears of.
  int FailSql(SqliteCode rc) {
    if (MeansDamage(rc)) return FailDamaged(rc);
    const std::string cause = SqlMessage(db_, rc);  // before ending the statements resets it
    if (!MeansRefusal(rc) && group_.open() && sqlite3_get_autocommit(db_) != 0) {
      // SQLite rolled the open group back: its earlier writes are lost, say so. A read
      // statement of the group would go on reading, and hold the file's read lock.
      const bool had_writes = group_.writes() && group_.write_count() > 0;
      group_.Lost();
      if (had_writes) return errors_.FailLostWrites(group_.write_count(), cause);
    }
    return errors_.FailSql(rc, db_ != nullptr ? sqlite3_system_errno(db_) : 0, cause);
  }

  // The common checks of an operation on an open file.
  int Ready() {
    if (db_ == nullptr) return Done(kFileNotOpen);
    if (damaged_) return Done(kFileSystemError, damage_detail_);
    return TakePendingError();
  }

  // Ready, and `key` names a declared key (a key never set counts as none).
  int ReadyKey(int key) {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (key < 0 || static_cast<size_t>(key) >= layout_.keys.size()) return Done(kRecordNotAvailable);
    return kNoError;
  }

  int TakePendingError() {
    if (pending_error_ == kNoError) return kNoError;
    const int code = pending_error_;
    pending_error_ = kNoError;
    return Done(code, std::move(pending_detail_));
  }

  // Open's steps; a failure leaves what was taken for ReleaseHandles.
  int OpenFile(int mode) {
    if (int rc = CheckKeysOrderable(layout_, &errors_); rc != kNoError) return rc;
    if (int rc = env_->CheckReadWrite(path_); rc != kNoError) return errors_.FailCode(rc);
    if (int rc = OpenLockFile(env_, path_, &errors_, &lock_file_); rc != kNoError) return rc;
    if (int rc = TakeOpenShareWaiting(*lock_file_, mode, recover_seconds_); rc != kNoError) {
      return rc == kFileSystemError ? errors_.FailLockFile(*lock_file_) : errors_.OpenInAnotherMode(rc);
    }
    if (int rc = OpenConnection(env_, path_, &errors_, &db_); rc != kNoError) return rc;
    // Reading the layout also rolls back what a crashed writer left half done.
    std::string difference;
    SqliteCode rc = CompareLayout(db_, layout_, &difference);
    if (rc == SqliteCode::kOk && !difference.empty()) return errors_.FailLayout(difference);
    std::string cut_short;
    if (rc == SqliteCode::kOk) rc = CheckWholePages(db_, env_, path_, &cut_short);
    if (!cut_short.empty()) return Done(kFileSystemError, cut_short);
    if (rc == SqliteCode::kOk) rc = PrepareStatements();
    if (rc == SqliteCode::kOk) rc = ChooseWriteInPlace(db_, layout_, &writes_in_place_);
    if (rc != SqliteCode::kOk) {
      if (Primary(rc) == SqliteCode::kBusy || Primary(rc) == SqliteCode::kIoErr) return errors_.FailSql(rc, db_);
      // Not a database, or not one of ours.
      return Done(kFileSystemError, errors_.DamagedDetail(SqlMessage(db_, rc)));
    }
    key_ = -1;
    current_id_ = 0;
    if (int code = env_->IdentityOf(path_, &identity_); code != kNoError) return errors_.FailCode(code);
    JoinPeers(identity_, this);
    return Done(kNoError);
  }

  SqliteCode PrepareStatements() {
    st_ = std::make_unique<RecordStatements>(db_, layout_, record_, memos_);
    walk_.Attach(st_.get());
    marks_.Attach(db_);
    SqliteCode rc = group_.Prepare(db_, {this, &marks_});
    if (rc == SqliteCode::kOk) rc = st_->Prepare();
    return rc;
  }

  // The buffer written over the current record's row with an UPDATE: the data, the memos
  // and the key columns in `changed`. The row must still hold the data as read.
  int UpdateRow(uint64_t changed, const std::vector<std::string>& columns) {
    const SqliteCode rc = st_->Update(changed, current_id_, current_data_, columns);
    if (rc != SqliteCode::kDone) return FailSql(rc);
    return st_->Changes() == 0 ? errors_.RecordChangedSinceRead() : kNoError;
  }

  // The buffer written over the current record's `data` in place (RecordStatements). A write
  // that fails may have changed part of the record, so its whole group goes back, as for a
  // mark that cannot be written.
  int WriteInPlace() {
    bool held = true, torn = false;
    const SqliteCode rc = st_->WriteInPlace(current_id_, current_data_, &held, &torn);
    if (torn) return LoseGroup(SqlMessage(db_, rc));
    if (rc != SqliteCode::kOk) return FailSql(rc);
    return held ? kNoError : errors_.RecordChangedSinceRead();
  }

  // The walk's statement and the BLOB handle are open statements to SQLite: a commit or a
  // rollback needs them ended, and the connection's close needs them gone.
  void EndStepping() {
    walk_.Stop();
    if (st_ != nullptr) st_->CloseBlob();
  }

  // 40 when a record other than `own_id` holds `value` on unique key k.
  int CheckUnique(size_t k, const std::string& value, int64_t own_id) {
    bool taken = false;
    if (SqliteCode rc = st_->FindDuplicate(k, value, own_id, &taken); rc != SqliteCode::kOk) return FailSql(rc);
    return taken ? errors_.DuplicateKey(layout_.keys[k].name) : kNoError;
  }

  WalkPosition Position() const {
    return {key_, bound_, group_.open(), group_.serial(), writes_, key_writes_};
  }

  // Reads the record that follows the position ahead (none past the end).
  int FetchAhead() {
    read_failed_ = true;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    if (SqliteCode rc = walk_.ReadAhead(Position()); rc != SqliteCode::kOk) return FailSql(rc);
    read_failed_ = false;
    return kNoError;
  }

  int Load(const Row& row) {
    if (row.data.size() != layout_.length) return BadRecord(row);
    std::memcpy(record_, row.data.data(), layout_.length);
    for (size_t m = 0; m < memos_.size(); ++m) {
      const uint32_t size = layout_.memos[m].size;
      const size_t stored = std::min<size_t>(row.memos[m].size(), size);
      std::memcpy(memos_[m], row.memos[m].data(), stored);
      std::memset(memos_[m] + stored, 0, size - stored);
    }
    current_id_ = row.id;
    current_data_ = row.data;
    bound_ = row.column;
    return Done(kNoError);
  }

  // Reads run in a group too (write_group.h).
  int BeginRead() {
    if (group_.open()) return kNoError;
    EndPeerGroups(identity_, this);
    if (SqliteCode rc = group_.BeginRead(); rc != SqliteCode::kOk) return FailSql(rc);
    return kNoError;
  }

  // A write group holds the file's reserved lock: nobody else writes until it commits. Once
  // a cascade's transaction is lost, no write goes into a group of its own until the
  // transaction ends: it would commit part of the cascade alone.
  int BeginWrite() {
    if (transaction_ != 0 && !TransactionHeld()) return errors_.TransactionLost();
    if (group_.writes()) return kNoError;
    if (group_.open() && group_.Commit() != SqliteCode::kOk) return FailSql(SqliteCode::kError);
    EndPeerGroups(identity_, this);
    if (SqliteCode rc = group_.BeginWrite(); rc != SqliteCode::kOk) return FailSql(rc);
    return ReadNextId();
  }

  // The largest id, read at a write group's start for the ids of the records it adds. When
  // it cannot be read the group is given up, after SQLite's cause is taken: the rollback
  // replaces it.
  int ReadNextId() {
    int64_t largest = 0;
    if (SqliteCode rc = st_->MaxId(&largest); rc != SqliteCode::kRow) {
      const int code = FailSql(rc);
      if (group_.open()) group_.RollBack();
      return code;
    }
    next_id_ = largest + 1;
    return kNoError;
  }

  // The open group is the cascade's transaction (group serials start at 1).
  bool TransactionHeld() const { return group_.open() && group_.serial() == transaction_; }

  // Ends the group of the call that succeeded once it is due; code 0 unless the group's
  // writes were lost.
  int Succeeded() {
    if (group_.open() && !TransactionHeld() && group_.Due()) {
      const bool writes = group_.writes();
      const SqliteCode rc = group_.Commit();
      if (rc != SqliteCode::kOk && !group_.open() && writes) {
        return errors_.FailLostWrites(group_.write_count(), group_.failure());
      }
    }
    return Done(kNoError);
  }

  // Closing the connection rolls back a group still open.
  void ReleaseHandles() {
    group_.Release();
    if (db_ != nullptr) LeavePeers(identity_, this);
    EndStepping();
    walk_.Release();
    marks_.Release();
    st_.reset();
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
    lock_file_.reset();
    whole_locked_ = false;
    damaged_ = false;
    read_failed_ = false;
    transaction_ = 0;
    current_id_ = 0;
    key_ = -1;
  }

  const RecordLayout& layout_;
  uint8_t* const record_;
  const std::vector<uint8_t*> memos_;

  Env* const env_;
  sqlite3* db_ = nullptr;
  FileIdentity identity_{};
  WriteGroup group_{this};
  std::unique_ptr<RecordStatements> st_;
  KeyWalk walk_;
  PassMarks marks_;
  std::unique_ptr<File> lock_file_;
  bool whole_locked_ = false;
  bool damaged_ = false;
  std::string damage_detail_;
  int pending_error_ = kNoError;  // a background commit that failed, told by the next call
  std::string pending_detail_;

  uint64_t transaction_ = 0;  // the serial of a cascade's transaction's group (BeginTransaction); 0: none
  int64_t next_id_ = 0;          // the id of the next record added in the write group

  int key_ = -1;          // the key of the position, -1 before the first Set
  std::string bound_;     // the position: Next reads the first column above it
  int64_t current_id_ = 0;  // the record last read or added, 0 for none
  std::string current_data_;

  bool read_failed_ = false;  // the last read of the walk failed where it stands

  int64_t writes_ = 0;      // records this instance wrote, added or deleted
  int64_t key_writes_ = 0;  // of them, those that changed a key column

  bool writes_in_place_ = false;  // WriteInPlace serves a rewrite that keeps the keys
};

KeyedFile::KeyedFile(const RecordLayout& layout, uint8_t* record, std::span<uint8_t* const> memos,
                     Env* env)
    : impl_(std::make_unique<Impl>(layout, record, memos, env)) {}

KeyedFile::~KeyedFile() = default;

#define LOCKED(call)                      \
  std::lock_guard lock(impl_->mutex_); \
  return impl_->call

int KeyedFile::Create(std::string_view path) { LOCKED(Create(path)); }
int KeyedFile::Open(std::string_view path, int mode) { LOCKED(Open(path, mode)); }
int KeyedFile::CheckIntegrity() { LOCKED(CheckIntegrity()); }
int KeyedFile::Close() { LOCKED(Close()); }
bool KeyedFile::IsOpen() const { LOCKED(IsOpen()); }
int KeyedFile::Set(int key) { LOCKED(Set(key)); }
int KeyedFile::SetStart(int key) { LOCKED(SetStart(key)); }
int KeyedFile::Next() { LOCKED(Next()); }
bool KeyedFile::Eof() { LOCKED(Eof()); }
int KeyedFile::Get(int key) { LOCKED(Get(key)); }
int KeyedFile::Put() { LOCKED(Put()); }
int KeyedFile::Add() { LOCKED(Add()); }
int KeyedFile::Delete() { LOCKED(Delete()); }
int KeyedFile::Records() { LOCKED(Records()); }
int KeyedFile::Commit() { LOCKED(Commit()); }
bool KeyedFile::PositionKnown() const { LOCKED(PositionKnown()); }
int KeyedFile::CheckNotHeldByAnotherStation() { LOCKED(CheckNotHeldByAnotherStation()); }
int KeyedFile::ReadProgress(Progress* progress) { LOCKED(ReadProgress(progress)); }
int KeyedFile::BeginProgress(std::string_view pass) { LOCKED(BeginProgress(pass)); }
bool KeyedFile::Marked() const { LOCKED(Marked()); }
int KeyedFile::EndProgress(int64_t* left) { LOCKED(EndProgress(left)); }
int KeyedFile::Lock(int seconds) { LOCKED(Lock(seconds)); }
int KeyedFile::Unlock() { LOCKED(Unlock()); }
int KeyedFile::NextAutoIncrement(int key) { LOCKED(NextAutoIncrement(key)); }
int KeyedFile::CheckPut() { LOCKED(CheckPut()); }
void KeyedFile::SetRecover(int seconds) {
  std::lock_guard lock(impl_->mutex_);
  impl_->recover_seconds_ = seconds;
}
int KeyedFile::BeginTransaction() { LOCKED(BeginTransaction()); }
int KeyedFile::CommitTransaction() { LOCKED(CommitTransaction()); }
int KeyedFile::RollbackTransaction() { LOCKED(RollbackTransaction()); }
std::unique_ptr<KeyedFile::State> KeyedFile::Save() const {
  auto state = std::make_unique<State>();
  std::lock_guard lock(impl_->mutex_);
  state->data_ = impl_->Save();
  return state;
}
void KeyedFile::Restore(const State& state, bool restore_buffer) {
  LOCKED(Restore(*state.data_, restore_buffer));
}

#undef LOCKED

int KeyedFile::Code() const { return impl_->Code(); }
std::string_view KeyedFile::Text() const { return ErrorText(impl_->Code()); }
const std::string& KeyedFile::Path() const { return impl_->path_; }
std::string KeyedFile::Detail() const {
  return impl_->Detail().empty() ? std::string(Text()) : impl_->Detail();
}

}  // namespace files
