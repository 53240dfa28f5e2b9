// The prepared statements of a keyed file's records, one set per open file: reads by key
// (a walk from a column on, the first record of a value's range), the insert, the delete
// and the updates, the write of a record's data in place, and the reading of a record's
// row. The records table and its key
// columns are described in docs/record-format.md.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/key_encoding.h"
#include "platform/files/layout.h"
#include "platform/files/sqlite_code.h"
#include "platform/files/sqlite_statement.h"

namespace files {

// One record as the file holds it, with its column of the key it was read by.
struct Row {
  int64_t id = 0;
  std::string data;
  std::string column;
  std::vector<std::string> memos;
};

// A field's value as a number, for the next value of an auto-increment key: a text counts
// as the number its leading digits spell, after leading blanks.
int64_t ReadNumber(const FieldDecl& field, const uint8_t* record);
// Writes `value` into the field, as its type stores numbers.
void WriteNumber(const FieldDecl& field, uint8_t* record, int64_t value);
bool IsText(FieldType type);

// Statements bind the instance's record buffer and memo buffers (keyed_file.h) as they are
// when the call is made.
class RecordStatements {
 public:
  RecordStatements(sqlite3* db, const RecordLayout& layout, const uint8_t* record,
                   const std::vector<uint8_t*>& memos);
  ~RecordStatements() { CloseBlob(); }
  RecordStatements(const RecordStatements&) = delete;
  RecordStatements& operator=(const RecordStatements&) = delete;

  SqliteCode Prepare();

  // Per key: the records whose column lies past ?1, in order (key_walk.h steps it).
  Statement& walk(int key) { return walk_[key]; }
  // The row a read statement stands on, into `row` (whose buffers are reused).
  void ReadRow(const Statement& s, Row* row) const;

  // The first record whose column of key `k` begins with the encoded `value` (key_encoding.h),
  // into *row: kRow, kDone when there is none, or an error.
  SqliteCode FirstWithValue(size_t k, const std::string& value, Row* row);
  // The end of the range of key k's columns that begin with `prefix`.
  std::string RangeEnd(size_t k, const std::string& prefix) const { return PrefixEnd(prefix, column_lengths_[k]); }
  // Whether the buffer holds another value than the record `as_read` in a component of key k.
  bool KeyChanged(size_t k, const std::string& as_read) const;
  // Whether a record other than `own_id` holds `value`, the buffer's value of key k, where
  // the key is unique (an all-blank value of an optional key is exempt), into *taken: kOk
  // or an error.
  SqliteCode FindDuplicate(size_t k, const std::string& value, int64_t own_id, bool* taken);
  // The largest id stored (0 for none), with kRow, or an error.
  SqliteCode MaxId(int64_t* id);
  // The number of records, with kRow, or an error.
  SqliteCode Count(int64_t* count);

  // The buffer as the new record `id`, with its key columns: kDone or an error.
  SqliteCode Insert(int64_t id, const std::vector<std::string>& columns);
  // The buffer written over record `id`, which must still hold `as_read`: the data, the
  // memos and the key columns in `changed` (a bit per key, the column in columns[k]).
  // kDone or an error.
  SqliteCode Update(uint64_t changed, int64_t id, const std::string& as_read, const std::vector<std::string>& columns);
  // Deletes record `id`, which must still hold `as_read`: kDone or an error.
  SqliteCode Remove(int64_t id, const std::string& as_read);
  // The buffer's data written over record `id` in place, through SQLite's BLOB handle: no
  // statement runs, no row with its key columns is rebuilt and no index is looked at.
  // kOk, with *held false when the row no longer holds `as_read` (nothing is written then);
  // or an error, with *torn true when the write itself failed, which may have changed part
  // of a record spread over overflow pages. The handle stays open for the next record.
  SqliteCode WriteInPlace(int64_t id, const std::string& as_read, bool* held, bool* torn);
  // The BLOB handle is an open statement to SQLite: a commit or a rollback needs it ended.
  void CloseBlob();
  // The records that the last Insert, Update or Remove changed: 0 when the record did not
  // hold what was read.
  int Changes() const { return sqlite3_changes(db_); }

 private:
  // UPDATE of the data, the memos and the key columns in `changed`; ?1 data, ?2 id, ?3 the
  // data as read, then the memos, then the key columns. Prepared on first use.
  SqliteCode PrepareUpdate(uint64_t changed, Statement** out);
  // Binds the memo buffers from parameter `index` on; the next free index.
  int BindMemos(Statement& s, int index) const;

  sqlite3* const db_;
  const RecordLayout& layout_;
  const uint8_t* const record_;
  const std::vector<uint8_t*>& memos_;
  Statement max_id_, count_, insert_, remove_;
  std::deque<Statement> walk_;            // per key
  std::deque<Statement> first_in_range_;  // per key: the first record of a value's range
  std::map<uint64_t, Statement> updates_;  // by the set of key columns written
  std::vector<size_t> column_lengths_;     // per key: value bytes + 8 id bytes
  sqlite3_blob* blob_ = nullptr;
  std::string stored_;  // the row's data, read back before it is written over
};

}  // namespace files
