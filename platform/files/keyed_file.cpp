#include "platform/files/keyed_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/files/commit_groups.h"
#include "platform/files/env.h"
#include "platform/files/errors.h"
#include "platform/files/id_set.h"
#include "platform/files/key_encoding.h"
#include "platform/files/sqlite_statement.h"
#include "platform/files/stored_layout.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/text.h"

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

namespace {

using Clock = std::chrono::steady_clock;

// How long a write waits for another station's commit before it gives up with 32.
constexpr int kBusyTimeoutMs = 10000;
// How long the check for a station that holds the file waits: far longer than any commit,
// far shorter than a write that would wait behind a station that keeps the file.
constexpr int kHoldCheckTimeoutMs = 2000;

// Pages of new files. A record of 1 to 3 KB fills a small page alone and spills into
// overflow pages; 64 KB pages hold tens of records, so that a walk that rewrites them in key
// order writes each page (and journals it) once for many records. Measured on a conversion
// run's rewrite: half the time of the default 4 KB.
constexpr char kPageSizePragma[] = "PRAGMA page_size = 65536";

// The page cache of an open file, in KiB (a negative cache_size counts KiB). A write group
// of about 100 ms rewrites some tens of MB of pages; with SQLite's default 2 MB the cache
// spills dirty pages to the file in mid-group, with an extra sync of the journal each time.
// Pages are taken as they are used, so a file that is only looked up costs little.
constexpr char kCacheSizePragma[] = "PRAGMA cache_size = -65536";

// Conversion marks inserted by one statement.
constexpr size_t kMarkBatch = 64;

// One record as the file holds it, with its column of the key it was read by.
struct Row {
  int64_t id = 0;
  std::string data;
  std::string column;
  std::vector<std::string> memos;
};

std::string LockFilePath(const std::string& path) { return path + ".lck"; }

// Byte 18 of the file's header, the format version a writer must know: 1 for the rollback
// journal, 2 for WAL; SQLite only reads a file with a larger one. -1 when it cannot be read.
// Read straight from the file, so that it needs no lock another station may hold.
int WriteVersionOf(Env* env, const std::string& path) {
  std::unique_ptr<SequentialFile> file;
  if (env->OpenForReading(path, &file) != kNoError) return -1;
  char header[19];
  size_t have = 0;
  while (have < sizeof header) {
    size_t done = 0;
    if (file->Read(header + have, sizeof header - have, &done) != kNoError || done == 0) return -1;
    have += done;
  }
  return static_cast<uint8_t>(header[18]);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind(runtime::kPathSeparator);
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// Memos are stored without their trailing NUL bytes; reading pads them back.
std::string_view TrimmedMemo(const uint8_t* memo, uint32_t size) {
  while (size > 0 && memo[size - 1] == 0) --size;
  return {reinterpret_cast<const char*>(memo), size};
}

int64_t ReadNumber(const FieldDecl& field, const uint8_t* record) {
  const uint8_t* p = record + field.offset;
  switch (field.type) {
    case FieldType::Byte: return *p;
    case FieldType::Short: return static_cast<int16_t>(p[0] | p[1] << 8);
    case FieldType::Long:
      return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                  uint32_t{p[3]} << 24);
    case FieldType::Real: {
      double value;
      std::memcpy(&value, p, sizeof value);
      return static_cast<int64_t>(value);
    }
    default: {
      // A text counts as the number its leading digits spell, after leading blanks.
      uint32_t i = 0;
      while (i < field.size && p[i] == ' ') ++i;
      int64_t value = 0;
      for (; i < field.size && p[i] >= '0' && p[i] <= '9' && value < (int64_t{1} << 58); ++i) {
        value = value * 10 + (p[i] - '0');
      }
      return value;
    }
  }
}

void WriteNumber(const FieldDecl& field, uint8_t* record, int64_t value) {
  uint8_t* p = record + field.offset;
  switch (field.type) {
    case FieldType::Byte:
    case FieldType::Short:
    case FieldType::Long:
      for (uint32_t i = 0; i < field.size; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
      break;
    case FieldType::Real: {
      const double real = static_cast<double>(value);
      std::memcpy(p, &real, sizeof real);
      break;
    }
    case FieldType::CString:
      runtime::WriteCStringField(p, field.size, std::to_string(value));
      break;
    default:
      runtime::WriteStringField(p, field.size, std::to_string(value));
      break;
  }
}

bool IsText(FieldType type) { return type == FieldType::CString || type == FieldType::String; }

}  // namespace

class KeyedFile::Impl final : public CommitGroupOwner {
 public:
  Impl(const RecordLayout& layout, uint8_t* record, std::span<uint8_t* const> memos, Env* env)
      : layout_(layout), record_(record), memos_(memos.begin(), memos.end()), env_(env) {
    for (const KeyDecl& key : layout_.keys) {
      size_t length = 8;
      for (const KeyPart& part : key.parts) length += layout_.fields[part.field].size;
      column_lengths_.push_back(length);
    }
  }
  ~Impl() {
    std::lock_guard lock(mutex_);
    if (db_ != nullptr) Close();
  }

  // Serialises the owner's calls against the background commit.
  std::mutex mutex_;
  int code_ = kNoError;
  int recover_seconds_ = 0;  // SetRecover
  std::string detail_;
  std::string path_;

  int Create(std::string_view path) {
    if (db_ != nullptr) return Done(kFileAlreadyOpen);
    path_ = path;
    if (int rc = CheckKeysOrderable(); rc != kNoError) return rc;
    std::unique_ptr<File> lock_file;
    if (int rc = OpenLockFile(&lock_file); rc != kNoError) return rc;
    int result = lock_file->TakeSoleShare();
    if (result == kFileSystemError) {
      FailLockFile(*lock_file);
    } else if (result != kNoError) {
      Done(result, "El archivo " + path_ + " está abierto y no puede reemplazarse");
    } else {
      result = BuildEmptyFile();
    }
    return result;
  }

  int Open(std::string_view path, int mode) {
    if (db_ != nullptr) return Done(kFileAlreadyOpen);
    path_ = path;
    if (int rc = CheckKeysOrderable(); rc != kNoError) return rc;
    if (int rc = env_->CheckReadWrite(path_); rc != kNoError) return FailCode(rc);
    if (int rc = OpenLockFile(&lock_file_); rc != kNoError) return rc;
    if (int rc = TakeOpenShareWaiting(mode); rc != kNoError) {
      const int code = rc == kFileSystemError ? FailLockFile(*lock_file_)
                       : Done(rc, "El archivo " + path_ + " está abierto por otro en un modo que lo impide");
      ReleaseHandles();
      return code;
    }
    int rc = sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
      const int code = FailSql(rc);
      ReleaseHandles();
      return code;
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    if (int code = SetDurability(); code != kNoError) {
      ReleaseHandles();
      return code;
    }
    sqlite3_exec(db_, kCacheSizePragma, nullptr, nullptr, nullptr);  // a smaller cache only costs time
    // Reading the layout also rolls back what a crashed writer left half done.
    std::string difference;
    rc = CompareLayout(db_, layout_, &difference);
    std::string cut_short;
    if (rc == SQLITE_OK && difference.empty()) rc = CheckWholePages(&cut_short);
    if (!cut_short.empty()) {
      const int code = Done(kFileSystemError, cut_short);
      ReleaseHandles();
      return code;
    }
    if (rc == SQLITE_OK && difference.empty()) rc = PrepareStatements();
    if (rc == SQLITE_OK && difference.empty()) rc = ChooseWriteInPlace();
    if (rc != SQLITE_OK || !difference.empty()) {
      int code;
      if (rc == SQLITE_OK) {
        code = Done(kLayoutMismatch,
                    "El archivo " + path_ + " no tiene la estructura declarada (" + difference + ")");
      } else if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_IOERR) {
        code = FailSql(rc);
      } else {
        code = FailDamaged(rc);  // not a database, or not one of ours
      }
      ReleaseHandles();
      return code;
    }
    key_ = -1;
    current_id_ = 0;
    if (int rc = env_->IdentityOf(path_, &identity_); rc != kNoError) {
      ReleaseHandles();
      return FailCode(rc);
    }
    JoinPeers(identity_, this);
    return Done(kNoError);
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
    int rc = QuickCheck(&finding);
    if (rc == SQLITE_OK && finding.empty()) rc = CountIndexEntries(&finding);
    if (rc != SQLITE_OK) return FailSql(rc);
    if (finding.empty()) return Succeeded();
    return Damaged("El archivo " + path_ + " está dañado: no pasó la comprobación de integridad (" + finding + ")");
  }

  int Close() {
    if (db_ == nullptr) return Done(kFileNotOpen);
    int result = TakePendingError();
    if (in_group_ && EndGroup(true) != SQLITE_OK && group_writes_) {
      result = Done(kFileSystemError, LostWritesDetail(group_failure_));
    }
    if (whole_locked_) lock_file_->UnlockWholeFile();
    const std::string detail = detail_;
    ReleaseHandles();
    return Done(result, result == kNoError ? std::string() : detail);
  }

  int Commit() {
    if (db_ == nullptr) return Done(kFileNotOpen);
    if (int rc = TakePendingError(); rc != kNoError) return rc;
    if (!in_group_) return Done(kNoError);
    const bool writes = group_writes_;
    const int rc = EndGroup(true);
    if (rc == SQLITE_OK || !writes) return Done(kNoError);
    if (in_group_) return FailSql(rc);  // busy: the group stays for a later commit
    return Done(kFileSystemError, LostWritesDetail(group_failure_));
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
    if (!AheadIsCurrent()) {
      ahead_valid_ = false;
      const int rc = FetchAhead();
      if (rc != kNoError) return rc;
    }
    if (!ahead_found_) return Done(kRecordNotAvailable);
    ahead_valid_ = false;
    if (int rc = Load(ahead_row_); rc != kNoError) return rc;
    return Succeeded();
  }

  bool Eof() {
    if (ReadyKey(key_) != kNoError) return true;
    if (!AheadIsCurrent() && FetchAhead() != kNoError) return true;
    Done(kNoError);
    return !ahead_found_;
  }

  int Get(int key) {
    if (int rc = ReadyKey(key); rc != kNoError) return rc;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    const std::string value = EncodeKeyValue(layout_, layout_.keys[key], record_);
    Statement& s = st_->first_in_range[key];
    s.Bind(1, value);
    const std::string end = PrefixEnd(value, column_lengths_[key]);
    s.Bind(2, end);
    Row row;
    const int rc = StepRow(s, &row);
    if (rc != SQLITE_ROW) return rc == SQLITE_DONE ? Done(kRecordNotFound) : FailSql(rc);
    key_ = key;
    ahead_valid_ = false;
    if (int rc = Load(row); rc != kNoError) return rc;
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
    const auto* old_record = reinterpret_cast<const uint8_t*>(current_data_.data());
    for (size_t k = 0; k < layout_.keys.size(); ++k) {
      if (!KeyDiffers(k, old_record)) continue;
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
    ++group_write_count_;
    if (progress_open_) {
      if (int code = MarkDone(); code != kNoError) return code;
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
    Statement& s = st_->insert;
    s.Bind(1, id);
    s.Bind(2, record_, layout_.length);
    int index = 3;
    for (const std::string& column : columns) s.Bind(index++, column);
    for (size_t m = 0; m < memos_.size(); ++m) {
      const std::string_view memo = TrimmedMemo(memos_[m], layout_.memos[m].size);
      s.Bind(index++, memo.data(), memo.size());
    }
    const int rc = s.Step();
    s.Reset();
    if (rc != SQLITE_DONE) return FailSql(rc);
    ++next_id_;
    ++writes_;
    ++key_writes_;
    current_id_ = id;
    current_data_.assign(reinterpret_cast<const char*>(record_), layout_.length);
    ++group_write_count_;
    return Succeeded();
  }

  int Delete() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (current_id_ == 0) return Done(kRecordNotAvailable);
    if (int rc = BeginWrite(); rc != kNoError) return rc;
    Statement& s = st_->remove;
    s.Bind(1, current_id_);
    s.Bind(2, current_data_);
    const int rc = s.Step();
    s.Reset();
    if (rc != SQLITE_DONE) return FailSql(rc);
    if (sqlite3_changes(db_) == 0) {
      return RecordChangedSinceRead();
    }
    current_id_ = 0;
    ++writes_;
    ++key_writes_;
    ++group_write_count_;
    return Succeeded();
  }

  int Records() {
    if (Ready() != kNoError || BeginRead() != kNoError) return -1;
    Statement& s = st_->count;
    const int rc = s.Step();
    const int64_t count = s.Int(0);
    s.Reset();
    if (rc != SQLITE_ROW) {
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
    if (rc == kFileSystemError) return FailLockFile(*lock_file_);
    if (rc != kNoError) return Done(rc, "El archivo " + path_ + " está bloqueado por otra estación");
    whole_locked_ = true;
    return Done(kNoError);
  }

  int Unlock() {
    if (int rc = Ready(); rc != kNoError) return rc;
    // The next holder must see what was written under the lock.
    int result = Done(kNoError);
    if (in_group_) {
      const int rc = EndGroup(true);
      if (rc != SQLITE_OK) result = FailSql(rc);
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
    const std::string end = PrefixEnd(prefix, column_lengths_[key]);
    const std::string column = "key" + std::to_string(key + 1);
    // Numbers: the largest is at one end of the prefix's range. Texts order "9" after "10",
    // so every record of the range is read.
    std::string sql = "SELECT data FROM records WHERE " + column + " >= ?1 AND " + column + " < ?2";
    if (!IsText(field.type)) {
      sql += " ORDER BY " + column + (last.descending ? " ASC" : " DESC") + " LIMIT 1";
    }
    if (int rc = BeginRead(); rc != kNoError) return rc;
    Statement s;
    int rc = s.Prepare(db_, sql);
    if (rc != SQLITE_OK) return FailSql(rc);
    s.Bind(1, prefix);
    s.Bind(2, end);
    int64_t largest = 0;
    while ((rc = s.Step()) == SQLITE_ROW) {
      const std::string_view data = s.Blob(0);
      if (data.size() != layout_.length) return FailDamaged(SQLITE_CORRUPT);
      largest = std::max(largest, ReadNumber(field, reinterpret_cast<const uint8_t*>(data.data())));
    }
    if (rc != SQLITE_DONE) return FailSql(rc);
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
    ahead_valid_ = false;
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
    if (rc == kFileLocked) return Held();
    return rc == kNoError ? Done(kNoError) : rc;
  }

  // ---- The progress of a pass (tables progress_runs and progress_records) ----

  int ReadProgress(Progress* progress) {
    *progress = {};
    if (int rc = Ready(); rc != kNoError) return rc;
    if (int rc = WritePendingMarks(); rc != kNoError) return rc;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    bool present = false;
    if (int rc = ProgressTablesPresent(&present); rc != kNoError || !present) {
      return rc != kNoError ? rc : Succeeded();
    }
    Statement last_run;
    int rc = last_run.Prepare(db_, "SELECT pass, ended IS NOT NULL AND left = 0, CASE WHEN ended IS NULL THEN -1 ELSE left END"
                                   " FROM progress_runs ORDER BY run DESC LIMIT 1");
    if (rc == SQLITE_OK) rc = last_run.Step();
    if (rc == SQLITE_ROW) {
      progress->pass = last_run.Text(0);
      progress->complete = last_run.Int(1) != 0;
      progress->left = last_run.Int(2);
    }
    last_run.Reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return FailSql(rc);
    Statement marked;
    rc = marked.Prepare(db_, "SELECT count(*) FROM progress_records");
    if (rc == SQLITE_OK) rc = marked.Step();
    if (rc != SQLITE_ROW) return FailSql(rc);
    progress->marked = marked.Int(0);
    marked.Reset();
    return Succeeded();
  }

  // The run's row and the switch from another pass are committed before any record is
  // written, so that no mark can ever belong to a run the file does not hold.
  int BeginProgress(std::string_view pass) {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (progress_open_) return Done(kNoError);
    progress_pass_ = pass;
    if (int rc = BeginWrite(); rc != kNoError) return rc;
    int rc = sqlite3_exec(db_,
                          "CREATE TABLE IF NOT EXISTS progress_runs (run INTEGER PRIMARY KEY, pass TEXT NOT NULL,"
                          " started TEXT NOT NULL, ended TEXT, left INTEGER);"
                          "CREATE TABLE IF NOT EXISTS progress_records (run INTEGER NOT NULL, id INTEGER NOT NULL);",
                          nullptr, nullptr, nullptr);
    std::string stored_pass;
    Statement s;
    if (rc == SQLITE_OK) rc = s.Prepare(db_, "SELECT pass FROM progress_runs ORDER BY run DESC LIMIT 1");
    if (rc == SQLITE_OK) rc = s.Step();
    if (rc == SQLITE_ROW) stored_pass = s.Text(0);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) rc = SQLITE_OK;
    s.Reset();
    progress_marked_.Clear();
    if (rc == SQLITE_OK && stored_pass > pass) {
      // Passes are named by their start: a later one's marks are never given up for an
      // earlier one, whose run would convert those records again.
      EndGroup(true, true);
      return Done(kFileSystemError, "El archivo " + path_ + " guarda el avance de una conversión posterior (" +
                                        stored_pass + ")");
    }
    if (rc == SQLITE_OK && stored_pass != pass) {
      rc = sqlite3_exec(db_, "DELETE FROM progress_records; DELETE FROM progress_runs;", nullptr, nullptr, nullptr);
    } else if (rc == SQLITE_OK) {
      rc = ReadMarksOfPass(&progress_marked_);
    }
    if (rc == SQLITE_OK) rc = s.Prepare(db_, "INSERT INTO progress_runs (pass, started) VALUES (?1, " + kNow + ")");
    if (rc == SQLITE_OK) {
      s.BindText(1, pass);
      rc = s.Step() == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db_);
      s.Reset();
    }
    progress_run_ = sqlite3_last_insert_rowid(db_);
    progress_mark_ = std::make_unique<MarkStatements>();
    std::string insert = "INSERT INTO progress_records (run, id) VALUES (?1, ?2)";
    if (rc == SQLITE_OK) rc = progress_mark_->one.Prepare(db_, insert);
    for (size_t i = 1; i < kMarkBatch; ++i) insert += ", (?1, ?" + std::to_string(i + 2) + ")";
    if (rc == SQLITE_OK) rc = progress_mark_->batch.Prepare(db_, insert);
    if (rc != SQLITE_OK) {
      const int code = FailSql(rc);
      if (in_group_) EndGroup(true, true);
      return code;
    }
    if (int code = Commit(); code != kNoError) return code;
    progress_open_ = true;
    return Done(kNoError);
  }

  bool Marked() const {
    return progress_open_ && progress_marked_.Contains(current_id_);
  }

  // Without an open run (it could not begin) only the count is made. The count stored with
  // the run's end is made in the group that commits it; when that group does not commit as
  // it was counted, the count is made again once the outcome of every write is known, from
  // what the file then holds, and is unknown (-1) when it cannot be.
  int EndProgress(int64_t* left) {
    *left = -1;
    if (int rc = Ready(); rc != kNoError) return rc;
    if (!progress_open_) return CountUnmarked(left);
    progress_open_ = false;
    progress_marked_.Clear();
    int64_t counted = -1;
    int code = RecordRunEnd(&counted);
    if (code == kNoError) {
      *left = counted;
      return Done(kNoError);
    }
    std::string detail = detail_;
    // The walk's writes still grouped are kept when they can be; a commit that cannot keep
    // them says how many went back, which matters more than the run's end.
    if (in_group_ && group_writes_ && Commit() != kNoError) {
      code = code_;
      detail = detail_;
    }
    if (!in_group_) CountUnmarked(left);
    return Done(code, detail);
  }

  // The run's end and the count of the records left, committed with the group's last writes.
  int RecordRunEnd(int64_t* left) {
    if (int rc = BeginWrite(); rc != kNoError) return rc;
    if (int rc = CountUnmarked(left); rc != kNoError) return rc;
    Statement s;
    int rc = s.Prepare(db_, "UPDATE progress_runs SET ended = " + kNow + ", left = ?1 WHERE run = ?2");
    if (rc == SQLITE_OK) {
      s.Bind(1, *left);
      s.Bind(2, progress_run_);
      rc = s.Step();
      s.Reset();
    }
    if (rc != SQLITE_DONE) return FailSql(rc);
    return Commit();
  }

  // Whether the buffer holds another value than `old_record` in a component of key k.
  bool KeyDiffers(size_t k, const uint8_t* old_record) const {
    for (const KeyPart& part : layout_.keys[k].parts) {
      const FieldDecl& f = layout_.fields[part.field];
      if (std::memcmp(old_record + f.offset, record_ + f.offset, f.size) != 0) return true;
    }
    return false;
  }

  // Put's check of the unique keys whose value the buffer changes, without the write.
  int CheckPut() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (current_id_ == 0) return Done(kRecordNotAvailable);
    if (int rc = BeginRead(); rc != kNoError) return rc;
    const auto* old_record = reinterpret_cast<const uint8_t*>(current_data_.data());
    for (size_t k = 0; k < layout_.keys.size(); ++k) {
      if (!KeyDiffers(k, old_record)) continue;
      const std::string value = EncodeKeyValue(layout_, layout_.keys[k], record_);
      if (int rc = CheckUnique(k, value, current_id_); rc != kNoError) return rc;
    }
    return Done(kNoError);
  }

  // The cascade's transaction: a write group that only its owner ends. The background
  // committer, the due check of Succeeded and a peer's request all leave it open.
  int BeginTransaction() {
    if (int rc = Ready(); rc != kNoError) return rc;
    if (in_transaction_) return Done(kNoError);
    if (in_group_) {
      const int rc = EndGroup(true);
      if (rc != SQLITE_OK) return FailSql(rc);
    }
    EndPeerGroups(identity_, this);
    // Exclusive from the start: other stations' readers wait (as for any commit) while the
    // change runs, and in exchange its commit never waits for one of them.
    int rc = sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return FailSql(rc);
    rc = st_->max_id.Step();
    next_id_ = st_->max_id.Int(0) + 1;
    st_->max_id.Reset();
    if (rc != SQLITE_ROW) {
      const int code = FailSql(rc);
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      return code;
    }
    StartGroup(true);
    in_transaction_ = true;
    return Done(kNoError);
  }

  int CommitTransaction() {
    if (!in_transaction_) return Done(kNoError);
    in_transaction_ = false;
    if (!in_group_) {
      // A failed write made SQLite roll the whole transaction back.
      return Done(kFileSystemError, "Se perdieron las escrituras de la transacción en " + path_);
    }
    const int rc = EndGroup(true);
    if (rc == SQLITE_OK) return Done(kNoError);
    const int code = FailSql(rc);
    if (in_group_) EndGroup(true, true);
    return code;
  }

  int RollbackTransaction() {
    if (!in_transaction_) return Done(kNoError);
    in_transaction_ = false;
    ahead_valid_ = false;
    if (!in_group_) return Done(kNoError);
    const int rc = EndGroup(true, true);
    return rc == SQLITE_OK ? Done(kNoError) : FailSql(rc);
  }

  bool EndGroupIfIdle(bool due_only) override {
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return false;
    if (!in_group_) return true;
    if (in_transaction_) return false;  // its owner commits it
    if (due_only && Clock::now() - group_start_ < kCommitInterval) return false;
    const bool writes = group_writes_;
    const int rc = EndGroup(!due_only);
    if (rc == SQLITE_OK || !writes) return !in_group_;
    if (in_group_) return false;  // still open (another station reading): try again later
    pending_error_ = kFileSystemError;
    pending_detail_ = LostWritesDetail(group_failure_);
    return true;
  }

 private:
  struct Statements {
    Statement begin_read, begin, commit, rollback, max_id, count, insert, remove;
    std::deque<Statement> walk;            // per key: the records past a column, in order
    std::deque<Statement> first_in_range;  // per key: the first record of a value's range
    std::map<uint64_t, Statement> updates;  // by the set of key columns written
  };

  // SQLite's local time of day, to the microsecond, as the progress tables store it.
  inline static const std::string kNow = "strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')";

  int ProgressTablesPresent(bool* present) {
    Statement s;
    int rc = s.Prepare(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'progress_runs'");
    if (rc == SQLITE_OK) rc = s.Step();
    if (rc != SQLITE_ROW) return FailSql(rc);
    *present = s.Int(0) != 0;
    s.Reset();
    return kNoError;
  }

  // The ids that the marks of the pass last begun name.
  int ReadMarksOfPass(IdSet* marked) {
    Statement s;
    int rc = s.Prepare(db_, "SELECT id FROM progress_records WHERE run IN (SELECT run FROM progress_runs WHERE pass = ?1)");
    if (rc != SQLITE_OK) return rc;
    s.BindText(1, progress_pass_);
    while ((rc = s.Step()) == SQLITE_ROW) marked->Add(s.Int(0));
    s.Reset();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  }

  // The records that no mark of the pass last begun names (every record when the file's
  // marks are of another pass), within the current transaction. The ids come from one of
  // the key indexes, each of which holds them all, rather than from the records' rows;
  // the marks are set against them here, where SQLite would build a table of them.
  int CountUnmarked(int64_t* left) {
    if (int rc = WritePendingMarks(); rc != kNoError) return rc;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    bool present = false;
    if (int rc = ProgressTablesPresent(&present); rc != kNoError) return rc;
    IdSet marked;
    int rc = present ? ReadMarksOfPass(&marked) : SQLITE_OK;
    Statement s;
    if (rc == SQLITE_OK) rc = s.Prepare(db_, "SELECT id FROM records");
    int64_t count = 0;
    if (rc == SQLITE_OK) {
      while ((rc = s.Step()) == SQLITE_ROW) count += marked.Contains(s.Int(0)) ? 0 : 1;
      s.Reset();
    }
    if (rc != SQLITE_DONE) return FailSql(rc);
    *left = count;
    return Done(kNoError);
  }

  // The mark of the record just written, in its transaction. Marks are inserted kMarkBatch
  // at a time, and the rest before the group commits: a statement for each costs as much as
  // the record's own write. A mark that cannot be written takes the whole group back: a
  // record written but not marked would be converted again.
  int MarkDone() {
    // Another station may move a converted record ahead of the walk between two groups:
    // met again, it is marked already. (Were its group lost, it would count as left over.)
    progress_marked_.Add(current_id_);
    pending_marks_.push_back(current_id_);
    return pending_marks_.size() < kMarkBatch ? kNoError : WritePendingMarks();
  }

  // The marks not yet written, written before the progress tables are read or a batch is full.
  int WritePendingMarks() {
    return WriteMarks() == SQLITE_OK ? kNoError : LoseGroup(group_failure_);
  }

  // Inserts the marks not yet written, in the open group; those that could not be stay.
  // SQLITE_OK, or the failed step's code. Marks belong to the group of their records: when
  // that group is gone (SQLite rolled it back), so are they.
  int WriteMarks() {
    if (!in_group_) pending_marks_.clear();
    size_t written = 0;
    int rc = SQLITE_DONE;
    while (rc == SQLITE_DONE && written < pending_marks_.size()) {
      const bool whole = pending_marks_.size() - written >= kMarkBatch;
      Statement& s = whole ? progress_mark_->batch : progress_mark_->one;
      s.Bind(1, progress_run_);
      const size_t count = whole ? kMarkBatch : 1;
      for (size_t i = 0; i < count; ++i) s.Bind(static_cast<int>(i) + 2, pending_marks_[written + i]);
      rc = s.Step();
      if (rc != SQLITE_DONE) group_failure_ = SqlMessage(rc);
      s.Reset();
      if (rc == SQLITE_DONE) written += count;
    }
    pending_marks_.erase(pending_marks_.begin(), pending_marks_.begin() + static_cast<ptrdiff_t>(written));
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  }

  // Ends the open group by rolling it back, after a write that cannot stand: each of its
  // writes is lost, and the detail counts them.
  int LoseGroup(const std::string& cause) {
    if (in_group_) {
      if (sqlite3_get_autocommit(db_) == 0) GiveUpGroup();
      EndStepping();  // after SQLite's own rollback, a read statement would hold the read lock
      pending_marks_.clear();
      in_group_ = false;
      UnregisterOpenGroup(this);
    }
    return Done(kFileSystemError, LostWritesDetail(cause));
  }

  // The detail of a write group that went back: its commit failed, or SQLite undid it. The
  // count comes first, so that a line cut to its width still tells it.
  std::string LostWritesDetail(const std::string& cause) const {
    const std::string error = "error de sistema de archivos en " + path_ + ": " + cause;
    if (group_write_count_ == 0) return "Error de sistema de archivos en " + path_ + " (" + cause + ")";
    if (group_write_count_ == 1) {
      return "Se perdió 1 escritura aún no confirmada: ese registro volvió a su valor anterior (" + error + ")";
    }
    return "Se perdieron " + std::to_string(group_write_count_) +
           " escrituras aún no confirmadas: esos registros volvieron a sus valores anteriores (" + error + ")";
  }

  // Rolls the open transaction back. If even that fails, the connection cannot be trusted
  // with further writes; closing it lets SQLite's journal restore the file.
  void GiveUpGroup() {
    EndStepping();
    pending_marks_.clear();
    st_->rollback.Step();
    st_->rollback.Reset();
    if (sqlite3_get_autocommit(db_) == 0) {
      damaged_ = true;
      damage_detail_ = "No se pudieron deshacer las escrituras no confirmadas en " + path_ +
                       "; cierre el archivo para que se restablezca";
    }
  }

  // A record whose bytes do not fit the layout. The position steps past it, so that a walk
  // can go on with the next record, and nothing else of the file is given up; the buffer
  // holds no record to write.
  int BadRecord(const Row& row) {
    bound_ = row.column;
    current_id_ = 0;
    return Done(kFileSystemError, "El registro " + std::to_string(row.id) + " de " + path_ +
                                      " está dañado: tiene " + std::to_string(row.data.size()) +
                                      " bytes y su estructura pide " + std::to_string(layout_.length));
  }

  // The journal and sync settings of every open, rather than the library's defaults: the
  // rollback journal (never WAL, which shared network folders cannot carry), and EXTRA
  // sync, under which a commit that has returned survives a power cut: the journal is
  // synced before the file is written, the file before the journal is deleted, and the
  // folder after that deletion, so that the journal cannot come back and undo the commit.
  // A file another program switched to WAL is taken back to the journal; while such a
  // program keeps it open that cannot be done, and the file is refused.
  int SetDurability() {
    std::string mode;
    sqlite3_busy_timeout(db_, kHoldCheckTimeoutMs);
    int rc = sqlite3_exec(
        db_, "PRAGMA journal_mode=DELETE",
        [](void* out, int, char** values, char**) {
          *static_cast<std::string*>(out) = values[0] != nullptr ? values[0] : "";
          return 0;
        },
        &mode, nullptr);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    // Busy is a file in WAL mode that another program has open, or one that another
    // station keeps locked in a write: the header tells them apart.
    if ((rc & 0xFF) == SQLITE_BUSY && WriteVersionOf(env_, path_) != 2) return Held();
    if ((rc == SQLITE_OK && mode != "delete") || (rc & 0xFF) == SQLITE_BUSY) {
      return Done(kAccessDenied, "El archivo " + path_ + " está en modo WAL y otro programa lo tiene abierto; " +
                                     "ciérrelo y vuelva a intentarlo, pues este archivo solo se usa con el diario " +
                                     "de reversión");
    }
    if (rc == SQLITE_OK) rc = sqlite3_exec(db_, "PRAGMA synchronous=EXTRA", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return kNoError;
    if ((rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT) return FailDamaged(rc);
    return FailSql(rc);
  }

  // Another station keeps the file in a write (its lock outlasts any commit).
  int Held() {
    return Done(kFileLocked, "El archivo " + path_ + " está tomado por otra estación, que lo mantiene en una escritura");
  }

  // Another instance rewrote or deleted the record after this one read it.
  int RecordChangedSinceRead() {
    return Done(kRecordChanged, "El registro cambió o fue eliminado en " + path_ + " desde que se leyó");
  }

  int Done(int code, std::string detail = {}) {
    code_ = code;
    detail_ = std::move(detail);
    return code;
  }

  int FailErrno(int error) { return FailCode(CodeForSystemError(error, path_), SystemErrorText(error)); }

  int FailCode(int code, const std::string& system_text = "") {
    switch (code) {
      case kFileNotFound: return Done(code, "No se encuentra el archivo " + path_);
      case kPathNotFound: return Done(code, "No existe la carpeta del archivo " + path_);
      case kAccessDenied: return Done(code, "Acceso denegado al archivo " + path_);
      default:
        return Done(code, "Error de sistema de archivos en " + path_ +
                              (system_text.empty() ? std::string() : " (" + system_text + ")"));
    }
  }

  std::string SqlMessage(int rc) const {
    return db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
  }

  int FailDamaged(int rc) {
    return Damaged("El archivo " + path_ + " está dañado o no es un archivo de datos (" + SqlMessage(rc) + ")");
  }

  // From now on every call but Close fails with `detail`: nothing more is read from the
  // file or written into it through this instance.
  int Damaged(std::string detail) {
    damaged_ = true;
    damage_detail_ = std::move(detail);
    if (in_group_) EndGroup(true, true);
    return Done(kFileSystemError, damage_detail_);
  }

  // The driver's code for a failed SQLite call.
  int FailSql(int rc) {
    switch (rc & 0xFF) {
      case SQLITE_CORRUPT:
      case SQLITE_NOTADB:
        return FailDamaged(rc);
      case SQLITE_BUSY:
      case SQLITE_LOCKED:
        return Done(kFileLocked, "El archivo " + path_ + " está siendo escrito por otra estación");
      case SQLITE_CANTOPEN:
      case SQLITE_PERM:
        if (db_ != nullptr && sqlite3_system_errno(db_) != 0) return FailErrno(sqlite3_system_errno(db_));
        return Done(kAccessDenied, "Acceso denegado al archivo " + path_);
      case SQLITE_READONLY:
        return FailReadOnly();
    }
    const std::string cause = SqlMessage(rc);  // before ending the statements resets it
    if (in_group_ && sqlite3_get_autocommit(db_) != 0) {
      // SQLite rolled the open group back: its earlier writes are lost, say so. A read
      // statement of the group would go on reading, and hold the file's read lock.
      EndStepping();
      pending_marks_.clear();
      in_group_ = false;
      UnregisterOpenGroup(this);
      if (group_writes_ && group_write_count_ > 0) return Done(kFileSystemError, LostWritesDetail(cause));
    }
    if ((rc & 0xFF) == SQLITE_FULL) {
      return Done(kFileSystemError, "No queda espacio en el disco del archivo " + path_ + " (" + cause + ")");
    }
    return Done(kFileSystemError, "Error de sistema de archivos en " + path_ + " (" + cause + ")");
  }

  // SQLite opened the file for reading only: its header asks for a newer writer, or the
  // system lets this process only read it.
  int FailReadOnly() {
    if (WriteVersionOf(env_, path_) > 2) {
      return Done(kAccessDenied, "El archivo " + path_ + " no admite escritura: su cabecera declara una versión " +
                                     "de formato más nueva, con la que solo puede leerse");
    }
    return Done(kAccessDenied, "El sistema solo permite leer el archivo " + path_ + "; no puede escribirse en él");
  }

  // The share of Open, waiting up to the recovery time for an opener whose mode excludes
  // this one to close.
  int TakeOpenShareWaiting(int mode) {
    const auto deadline = Clock::now() + std::chrono::seconds(recover_seconds_);
    int rc;
    while ((rc = lock_file_->TakeOpenShare(mode)) == kAccessDenied && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return rc;
  }

  // SQLite's check of every page, stopped at its first finding (empty when there is none).
  int QuickCheck(std::string* finding) {
    Statement check;
    int rc = check.Prepare(db_, "PRAGMA quick_check(1)");
    if (rc == SQLITE_OK) rc = check.Step();
    if (rc != SQLITE_ROW) return rc;
    *finding = check.Text(0);
    check.Reset();
    if (*finding == "ok") finding->clear();
    // A finding about a page comes after a line that names the database: one line is kept.
    constexpr std::string_view kHeading = "*** in database main ***\n";
    if (finding->starts_with(kHeading)) finding->erase(0, kHeading.size());
    std::replace(finding->begin(), finding->end(), '\n', ' ');
    return SQLITE_OK;
  }

  // The first index whose entries are not as many as the table's rows, into *finding.
  int CountIndexEntries(std::string* finding) {
    int64_t rows = 0;
    int rc = Count("SELECT count(*) FROM records NOT INDEXED", &rows);
    for (size_t k = 1; rc == SQLITE_OK && finding->empty() && k <= layout_.keys.size(); ++k) {
      const std::string column = "key" + std::to_string(k), index = "records_" + column;
      int64_t entries = 0;
      rc = Count("SELECT count(" + column + ") FROM records INDEXED BY " + index, &entries);
      if (rc == SQLITE_OK && entries != rows) {
        *finding = "el índice " + index + " tiene " + std::to_string(entries) + " entradas y la tabla " +
                   std::to_string(rows) + " registros";
      }
    }
    return rc;
  }

  int Count(const std::string& sql, int64_t* count) {
    Statement s;
    int rc = s.Prepare(db_, sql);
    if (rc == SQLITE_OK) rc = s.Step();
    if (rc != SQLITE_ROW) return rc;
    *count = s.Int(0);
    s.Reset();
    return SQLITE_OK;
  }

  // A quick look at the structure at open: the file must be exactly the whole pages that
  // its header counts. SQLite rounds a file cut short up to whole pages and, when the cut
  // is small, reads and writes it as if nothing were missing; such a file is refused here
  // as damaged (*cut_short says how). The check runs under a read lock, so that no writer
  // changes the size meanwhile.
  int CheckWholePages(std::string* cut_short) {
    int rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
    int64_t pages = 0, page_size = 0;
    rc = Count("PRAGMA page_count", &pages);
    if (rc == SQLITE_OK) rc = Count("PRAGMA page_size", &page_size);
    int64_t size = 0;
    if (rc == SQLITE_OK && env_->SizeOfFile(path_, &size) == kNoError && size != pages * page_size) {
      *cut_short = "El archivo " + path_ + " está dañado: mide " + std::to_string(size) +
                   " bytes y debería medir " + std::to_string(pages * page_size);
    }
    sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    return rc;
  }

  // The lock file beside the data file, created when missing, never through a link.
  int OpenLockFile(std::unique_ptr<File>* file) {
    const std::string lock_path = LockFilePath(path_);
    int error = 0;
    if (env_->OpenLockFile(lock_path, file, &error) == kNoError) return kNoError;
    return FailBesideFile(error, lock_path);
  }

  // A share or lock of the lock file that failed, neither taken nor refused by another
  // holder: a folder whose file system keeps no locks.
  int FailLockFile(const File& lock_file) {
    return Done(kFileSystemError, "Error de sistema de archivos en " + LockFilePath(path_) + " (" +
                                      SystemErrorText(lock_file.SystemError()) + ")");
  }

  // A failure to create or open `file`, a file beside the data file (its lock file, the
  // new file of Create): the message names that file, or the folder when it is the cause.
  int FailBesideFile(int error, const std::string& file) {
    const std::string folder = FolderOf(path_);
    if (IsLinkRefusal(error)) {
      return Done(kAccessDenied, "El archivo de bloqueo " + file + " es un enlace simbólico y no se usa");
    }
    switch (CodeForSystemError(error, file)) {
      case kFileNotFound:
      case kPathNotFound:
        return Done(kPathNotFound, "No existe la carpeta " + folder);
      case kAccessDenied:
        if (env_->FolderRefusesNewFile(file, folder)) {
          return Done(kAccessDenied, "No se puede crear el archivo " + file + ": la carpeta " +
                                         folder + " no admite escritura");
        }
        return Done(kAccessDenied, "Acceso denegado al archivo " + file);
      default:
        return Done(kFileSystemError, "Error de sistema de archivos en " + file + " (" +
                                          SystemErrorText(error) + ")");
    }
  }


  int CheckKeysOrderable() {
    for (const KeyDecl& key : layout_.keys) {
      for (const KeyPart& part : key.parts) {
        if (!IsKeyableType(layout_.fields[part.field].type)) {
          return Done(kLayoutMismatch, std::string("La clave ") + key.name +
                                           " usa un campo que no puede ordenarse");
        }
      }
    }
    return kNoError;
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

  int BuildEmptyFile() {
    const std::string temporary = path_ + ".nuevo";
    env_->RemoveFile(temporary);
    env_->RemoveFile(temporary + "-journal");
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(temporary.c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, kPageSizePragma, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, SchemaSql(layout_).c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = WriteLayout(db, layout_);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const int system_error = db != nullptr ? sqlite3_system_errno(db) : 0;
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
      env_->RemoveFile(temporary);
      if (system_error != 0) return FailBesideFile(system_error, temporary);
      return Done(kFileSystemError, "No se pudo crear el archivo " + path_ + " (" + message + ")");
    }
    if (int code = env_->MoveOver(temporary, path_); code != kNoError) {
      env_->RemoveFile(temporary);
      return FailCode(code);
    }
    return Done(kNoError);
  }

  int PrepareStatements() {
    st_ = std::make_unique<Statements>();
    std::string memo_columns;
    for (size_t m = 1; m <= layout_.memos.size(); ++m) memo_columns += ", memo" + std::to_string(m);
    int rc = SQLITE_OK;
    auto prepare = [&](Statement& s, const std::string& sql) {
      if (rc == SQLITE_OK) rc = s.Prepare(db_, sql);
    };
    prepare(st_->begin_read, "BEGIN");
    prepare(st_->begin, "BEGIN IMMEDIATE");
    prepare(st_->commit, "COMMIT");
    prepare(st_->rollback, "ROLLBACK");
    prepare(st_->max_id, "SELECT coalesce(max(id), 0) FROM records");
    prepare(st_->count, "SELECT count(*) FROM records");
    prepare(st_->remove, "DELETE FROM records WHERE id = ?1 AND data = ?2");
    std::string insert = "INSERT INTO records (id, data";
    std::string values = "?1, ?2";
    int index = 3;
    for (size_t k = 1; k <= layout_.keys.size(); ++k) {
      insert += ", key" + std::to_string(k);
      values += ", ?" + std::to_string(index++);
    }
    for (size_t m = 1; m <= layout_.memos.size(); ++m) {
      insert += ", memo" + std::to_string(m);
      values += ", ?" + std::to_string(index++);
    }
    prepare(st_->insert, insert + ") VALUES (" + values + ")");
    for (size_t k = 1; k <= layout_.keys.size(); ++k) {
      const std::string column = "key" + std::to_string(k);
      const std::string select = "SELECT id, data, " + column + memo_columns + " FROM records WHERE ";
      prepare(st_->walk.emplace_back(), select + column + " > ?1 ORDER BY " + column);
      prepare(st_->first_in_range.emplace_back(),
              select + column + " >= ?1 AND " + column + " < ?2 ORDER BY " + column + " LIMIT 1");
    }
    return rc;
  }

  // The buffer written over the current record's row with an UPDATE: the data, the memos
  // and the key columns in `changed`. The row must still hold the data as read.
  int UpdateRow(uint64_t changed, const std::vector<std::string>& columns) {
    Statement* update = nullptr;
    if (int rc = PrepareUpdate(changed, &update); rc != SQLITE_OK) return FailSql(rc);
    Statement& s = *update;
    s.Bind(1, record_, layout_.length);
    s.Bind(2, current_id_);
    s.Bind(3, current_data_);
    int index = 4;
    for (size_t m = 0; m < memos_.size(); ++m) {
      const std::string_view memo = TrimmedMemo(memos_[m], layout_.memos[m].size);
      s.Bind(index++, memo.data(), memo.size());
    }
    for (size_t k = 0; k < layout_.keys.size(); ++k) {
      if ((changed >> k & 1) != 0) s.Bind(index++, columns[k]);
    }
    const int rc = s.Step();
    s.Reset();
    if (rc != SQLITE_DONE) return FailSql(rc);
    return sqlite3_changes(db_) == 0 ? RecordChangedSinceRead() : kNoError;
  }

  // The buffer written over the current record's `data` in place, through SQLite's BLOB
  // handle: no statement runs, no row with its key columns is rebuilt and no index is looked
  // at. The row must still hold the data as read. A write that fails may have changed part
  // of the record (one spread over overflow pages), so its whole group goes back, as for a
  // mark that cannot be written.
  int WriteInPlace() {
    int rc = blob_ == nullptr ? sqlite3_blob_open(db_, "main", "records", "data", current_id_, 1, &blob_)
                              : sqlite3_blob_reopen(blob_, current_id_);
    if (rc != SQLITE_OK) {
      CloseBlob();
      return rc == SQLITE_ERROR ? RecordChangedSinceRead() : FailSql(rc);  // ERROR: no such row
    }
    stored_.resize(current_data_.size());
    if (sqlite3_blob_bytes(blob_) != static_cast<int>(stored_.size())) return RecordChangedSinceRead();
    rc = sqlite3_blob_read(blob_, stored_.data(), static_cast<int>(stored_.size()), 0);
    if (rc != SQLITE_OK) {
      CloseBlob();
      return FailSql(rc);
    }
    if (stored_ != current_data_) return RecordChangedSinceRead();
    if (std::memcmp(record_, stored_.data(), stored_.size()) == 0) return kNoError;  // nothing to write
    rc = sqlite3_blob_write(blob_, record_, static_cast<int>(layout_.length), 0);
    if (rc == SQLITE_OK) return kNoError;
    const std::string cause = SqlMessage(rc);
    CloseBlob();
    return LoseGroup(cause);
  }

  void CloseBlob() {
    sqlite3_blob_close(blob_);
    blob_ = nullptr;
  }

  // The walk's statement and the BLOB handle are open statements to SQLite: a commit or a
  // rollback needs them ended, and the connection's close needs them gone.
  void EndStepping() {
    StopWalk();
    CloseBlob();
  }

  // A write through the BLOB handle passes by the table's triggers (rules someone gave the
  // file with sqlite3) and writes `data` alone, not the memos the buffer may have changed:
  // files with either have every record written with an UPDATE.
  int ChooseWriteInPlace() {
    Statement s;
    int rc = s.Prepare(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = 'records'");
    if (rc == SQLITE_OK) rc = s.Step();
    if (rc != SQLITE_ROW) return rc;
    writes_in_place_ = s.Int(0) == 0 && layout_.memos.empty();
    s.Reset();
    return SQLITE_OK;
  }

  // UPDATE of the data, the memos and the key columns in `changed`; ?1 data, ?2 id, ?3 the
  // data as read (the record must still hold it), then the memos, then the key columns.
  // Into *out; an SQLite result code.
  int PrepareUpdate(uint64_t changed, Statement** out) {
    Statement& s = st_->updates[changed];
    *out = &s;
    if (s.Prepared()) return SQLITE_OK;
    std::string sql = "UPDATE records SET data = ?1";
    int index = 4;
    for (size_t m = 1; m <= layout_.memos.size(); ++m) {
      sql += ", memo" + std::to_string(m) + " = ?" + std::to_string(index++);
    }
    for (size_t k = 0; k < layout_.keys.size(); ++k) {
      if ((changed >> k & 1) != 0) {
        sql += ", key" + std::to_string(k + 1) + " = ?" + std::to_string(index++);
      }
    }
    return s.Prepare(db_, sql + " WHERE id = ?2 AND data = ?3");
  }

  // 40 when a record other than `own_id` holds `value` on a unique key; an all-blank value
  // of an optional key is exempt.
  int CheckUnique(size_t k, const std::string& value, int64_t own_id) {
    const KeyDecl& key = layout_.keys[k];
    if ((key.flags & kDup) != 0) return kNoError;
    if ((key.flags & kOpt) != 0 && IsBlankKeyValue(layout_, key, record_)) return kNoError;
    Statement& s = st_->first_in_range[k];
    s.Bind(1, value);
    const std::string end = PrefixEnd(value, column_lengths_[k]);
    s.Bind(2, end);
    const int rc = s.Step();
    const int64_t id = rc == SQLITE_ROW ? s.Int(0) : 0;
    s.Reset();
    if (rc == SQLITE_ROW && id != own_id) {
      return Done(kDuplicateKey, std::string("Ya existe un registro con ese valor de ") + key.name +
                                     " en " + path_);
    }
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? kNoError : FailSql(rc);
  }

  // The row a statement stands on, into `row` (whose buffers are reused).
  void ReadRow(const Statement& s, Row* row) const {
    row->id = s.Int(0);
    row->data = s.Blob(1);
    row->column = s.Blob(2);
    row->memos.resize(memos_.size());
    for (size_t m = 0; m < memos_.size(); ++m) row->memos[m] = s.Blob(3 + static_cast<int>(m));
  }

  int StepRow(Statement& s, Row* row) {
    const int rc = s.Step();
    if (rc == SQLITE_ROW) ReadRow(s, row);
    s.Reset();
    return rc;
  }

  // Reads the record that follows the position into ahead_row_ (none past the end).
  int FetchAhead() {
    read_failed_ = true;
    if (int rc = BeginRead(); rc != kNoError) return rc;
    Statement& s = st_->walk[key_];
    if (!WalkGoesOn()) {
      StopWalk();
      walk_from_ = bound_;
      s.Bind(1, walk_from_);
      walk_key_ = key_;
      walk_group_ = group_serial_;
      walk_key_writes_ = key_writes_;
    }
    const int rc = s.Step();
    if (rc == SQLITE_ROW) {
      ReadRow(s, &ahead_row_);
    } else {
      StopWalk();
      if (rc != SQLITE_DONE) return FailSql(rc);
    }
    read_failed_ = false;
    ahead_valid_ = true;
    ahead_found_ = rc == SQLITE_ROW;
    ahead_key_ = key_;
    ahead_bound_ = bound_;
    ahead_group_ = in_group_ ? group_serial_ : 0;
    ahead_writes_ = writes_;
    return kNoError;
  }

  // A walk steps one statement from record to record instead of looking each one up, for as
  // long as nothing can have moved what lies ahead in its key: the same group (no other
  // station wrote since it started), no key column written here since, and the position
  // where its last step left it.
  bool WalkGoesOn() const {
    return walk_key_ == key_ && walk_group_ == group_serial_ && walk_key_writes_ == key_writes_ &&
           ahead_row_.column == bound_;
  }

  // A statement still stepping keeps its read lock, and a commit must not wait for it.
  void StopWalk() {
    if (walk_key_ >= 0) st_->walk[walk_key_].Reset();
    walk_key_ = -1;
  }

  // The record read ahead by Eof is still what Next would read: same position, and no write
  // since, by this instance or by anyone else (this instance's group has kept other writers
  // out since the read).
  bool AheadIsCurrent() const {
    return ahead_valid_ && ahead_key_ == key_ && ahead_bound_ == bound_ && in_group_ &&
           ahead_group_ == group_serial_ && ahead_writes_ == writes_;
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

  // Reads run in a group too: one read transaction over many calls spares each call the
  // locking and the check of the file that SQLite does at every transaction's start.
  int BeginRead() {
    if (in_group_) return kNoError;
    EndPeerGroups(identity_, this);
    const int rc = st_->begin_read.Step();
    st_->begin_read.Reset();
    if (rc != SQLITE_DONE) return FailSql(rc);
    StartGroup(false);
    return kNoError;
  }

  // A write group holds the file's reserved lock: nobody else writes until it commits.
  int BeginWrite() {
    if (in_group_ && group_writes_) return kNoError;
    if (in_group_ && EndGroup(true) != SQLITE_OK) return FailSql(SQLITE_ERROR);
    EndPeerGroups(identity_, this);
    int rc = st_->begin.Step();
    st_->begin.Reset();
    if (rc != SQLITE_DONE) return FailSql(rc);
    rc = st_->max_id.Step();
    next_id_ = st_->max_id.Int(0) + 1;
    st_->max_id.Reset();
    if (rc != SQLITE_ROW) {
      st_->rollback.Step();
      st_->rollback.Reset();
      return FailSql(rc);
    }
    StartGroup(true);
    return kNoError;
  }

  void StartGroup(bool writes) {
    EndStepping();  // left over from a group that SQLite rolled back
    pending_marks_.clear();
    in_group_ = true;
    group_writes_ = writes;
    group_write_count_ = 0;
    ++group_serial_;
    group_start_ = Clock::now();
    RegisterOpenGroup(this);
  }

  // Commits (or rolls back) the open group. When a commit fails and SQLite has rolled the
  // group back, the group is over; when it is merely busy, it stays open.
  int EndGroup(bool unregister, bool roll_back = false) {
    EndStepping();
    if (roll_back) pending_marks_.clear();
    int rc = WriteMarks();  // the group's last marks commit with it
    if (rc == SQLITE_OK) {
      Statement& s = roll_back ? st_->rollback : st_->commit;
      rc = s.Step();
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
      else group_failure_ = SqlMessage(rc);
      s.Reset();
    }
    if (rc != SQLITE_OK && sqlite3_get_autocommit(db_) == 0) {
      if ((rc & 0xFF) == SQLITE_BUSY) return rc;
      // A commit that cannot complete (a full disk, an I/O error) is given up whole rather
      // than kept open to grow: its writes go back, and the error says how many.
      GiveUpGroup();
    }
    in_group_ = false;
    if (unregister) UnregisterOpenGroup(this);
    return rc;
  }

  // Ends the group of the call that succeeded once it is due; code 0 unless the group's
  // writes were lost.
  int Succeeded() {
    if (in_group_ && !in_transaction_ && Clock::now() - group_start_ >= kCommitInterval) {
      const bool writes = group_writes_;
      const int rc = EndGroup(true);
      if (rc != SQLITE_OK && !in_group_ && writes) return Done(kFileSystemError, LostWritesDetail(group_failure_));
    }
    return Done(kNoError);
  }

  // Closing the connection rolls back a group still open.
  void ReleaseHandles() {
    if (in_group_) UnregisterOpenGroup(this);
    if (db_ != nullptr) LeavePeers(identity_, this);
    if (st_ != nullptr) EndStepping();
    progress_mark_.reset();
    pending_marks_.clear();
    st_.reset();
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
    lock_file_.reset();
    whole_locked_ = false;
    damaged_ = false;
    in_group_ = false;
    read_failed_ = false;
    progress_open_ = false;
    progress_marked_.Clear();
    in_transaction_ = false;
    ahead_valid_ = false;
    current_id_ = 0;
    key_ = -1;
  }

  const RecordLayout& layout_;
  uint8_t* const record_;
  const std::vector<uint8_t*> memos_;
  std::vector<size_t> column_lengths_;  // per key: value bytes + 8 id bytes

  Env* const env_;
  sqlite3* db_ = nullptr;
  FileIdentity identity_{};
  std::unique_ptr<Statements> st_;
  std::unique_ptr<File> lock_file_;
  bool whole_locked_ = false;
  bool damaged_ = false;
  std::string damage_detail_;
  int pending_error_ = kNoError;  // a background commit that failed, told by the next call
  std::string pending_detail_;

  bool in_group_ = false;     // a transaction is open
  bool group_writes_ = false;  // and it is a write group
  int64_t group_write_count_ = 0;  // records written in the group
  std::string group_failure_;      // SQLite's account of the last commit that failed
  bool in_transaction_ = false;  // and a cascade's transaction (BeginTransaction)
  uint64_t group_serial_ = 0;
  Clock::time_point group_start_;
  int64_t next_id_ = 0;

  int key_ = -1;          // the key of the position, -1 before the first Set
  std::string bound_;     // the position: Next reads the first column above it
  int64_t current_id_ = 0;  // the record last read or added, 0 for none
  std::string current_data_;

  bool read_failed_ = false;  // the last read of the walk failed where it stands

  // The open run of a pass, between BeginProgress and EndProgress.
  bool progress_open_ = false;
  std::string progress_pass_;  // the pass last begun, open or not
  int64_t progress_run_ = 0;
  struct MarkStatements {
    Statement one, batch;
  };
  std::unique_ptr<MarkStatements> progress_mark_;
  std::vector<int64_t> pending_marks_;  // of records written in the open group
  IdSet progress_marked_;  // the records marked before this run, and by it

  bool ahead_valid_ = false;  // Eof has read ahead_row_ (or found no record: !ahead_found_)
  bool ahead_found_ = false;
  Row ahead_row_;
  int ahead_key_ = -1;
  std::string ahead_bound_;
  uint64_t ahead_group_ = 0;
  int64_t ahead_writes_ = 0;

  int64_t writes_ = 0;      // records this instance wrote, added or deleted
  int64_t key_writes_ = 0;  // of them, those that changed a key column
  int walk_key_ = -1;       // the key whose walk statement is stepping, -1 for none
  uint64_t walk_group_ = 0;
  int64_t walk_key_writes_ = 0;
  std::string walk_from_;   // the walk's bound value, which SQLite reads in place

  bool writes_in_place_ = false;  // WriteInPlace serves a rewrite that keeps the keys
  sqlite3_blob* blob_ = nullptr;
  std::string stored_;            // the row's data, read back before it is written over
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

int KeyedFile::Code() const { return impl_->code_; }
std::string_view KeyedFile::Text() const { return ErrorText(impl_->code_); }
const std::string& KeyedFile::Path() const { return impl_->path_; }
std::string KeyedFile::Detail() const {
  return impl_->detail_.empty() ? std::string(Text()) : impl_->detail_;
}

}  // namespace files
