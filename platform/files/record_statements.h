// The prepared statements of a keyed file's records, one set per open file: reads by key
// (a walk from a column on, the first record of a value's range), the insert, the delete
// and the updates, and the reading of a record's row. The records table and its key
// columns are described in docs/record-format.md.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

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

// Memos are stored without their trailing NUL bytes; reading pads them back.
std::string_view TrimmedMemo(const uint8_t* memo, uint32_t size);

// A field's value as a number, for the next value of an auto-increment key: a text counts
// as the number its leading digits spell, after leading blanks.
int64_t ReadNumber(const FieldDecl& field, const uint8_t* record);
// Writes `value` into the field, as its type stores numbers.
void WriteNumber(const FieldDecl& field, uint8_t* record, int64_t value);
bool IsText(FieldType type);

class RecordStatements {
 public:
  RecordStatements(sqlite3* db, const RecordLayout& layout) : db_(db), layout_(layout) {}
  RecordStatements(const RecordStatements&) = delete;
  RecordStatements& operator=(const RecordStatements&) = delete;

  SqliteCode Prepare();

  Statement max_id, count, insert, remove;
  std::deque<Statement> walk;            // per key: the records past a column, in order
  std::deque<Statement> first_in_range;  // per key: the first record of a value's range

  // UPDATE of the data, the memos and the key columns in `changed` (a bit per key); ?1
  // data, ?2 id, ?3 the data as read (the record must still hold it), then the memos, then
  // the key columns. Prepared on first use.
  SqliteCode Update(uint64_t changed, Statement** out);

  // The row a read statement stands on, into `row` (whose buffers are reused).
  void ReadRow(const Statement& s, Row* row) const;
  // Steps `s` once, reads the row it meets and resets it.
  SqliteCode StepRow(Statement& s, Row* row) const;

 private:
  sqlite3* const db_;
  const RecordLayout& layout_;
  std::map<uint64_t, Statement> updates_;  // by the set of key columns written
};

}  // namespace files
