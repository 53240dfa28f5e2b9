#include "platform/files/record_statements.h"

#include <cstring>

#include "platform/runtime/text.h"

namespace files {
namespace {

// Memos are stored without their trailing NUL bytes; reading pads them back.
std::string_view TrimmedMemo(const uint8_t* memo, uint32_t size) {
  while (size > 0 && memo[size - 1] == 0) --size;
  return {reinterpret_cast<const char*>(memo), size};
}

}  // namespace

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

RecordStatements::RecordStatements(sqlite3* db, const RecordLayout& layout, const uint8_t* record,
                                   const std::vector<uint8_t*>& memos)
    : db_(db), layout_(layout), record_(record), memos_(memos) {
  for (const KeyDecl& key : layout_.keys) {
    size_t length = 8;
    for (const KeyPart& part : key.parts) length += layout_.fields[part.field].size;
    column_lengths_.push_back(length);
  }
}

SqliteCode RecordStatements::Prepare() {
  std::string memo_columns;
  for (size_t m = 1; m <= layout_.memos.size(); ++m) memo_columns += ", memo" + std::to_string(m);
  SqliteCode rc = SqliteCode::kOk;
  auto prepare = [&](Statement& s, const std::string& sql) {
    if (rc == SqliteCode::kOk) rc = s.Prepare(db_, sql);
  };
  prepare(max_id_, "SELECT coalesce(max(id), 0) FROM records");
  prepare(count_, "SELECT count(*) FROM records");
  prepare(remove_, "DELETE FROM records WHERE id = ?1 AND data = ?2");
  std::string insert_sql = "INSERT INTO records (id, data";
  std::string values = "?1, ?2";
  int index = 3;
  for (size_t k = 1; k <= layout_.keys.size(); ++k) {
    insert_sql += ", key" + std::to_string(k);
    values += ", ?" + std::to_string(index++);
  }
  for (size_t m = 1; m <= layout_.memos.size(); ++m) {
    insert_sql += ", memo" + std::to_string(m);
    values += ", ?" + std::to_string(index++);
  }
  prepare(insert_, insert_sql + ") VALUES (" + values + ")");
  for (size_t k = 1; k <= layout_.keys.size(); ++k) {
    const std::string column = "key" + std::to_string(k);
    const std::string select = "SELECT id, data, " + column + memo_columns + " FROM records WHERE ";
    prepare(walk_.emplace_back(), select + column + " > ?1 ORDER BY " + column);
    prepare(first_in_range_.emplace_back(),
            select + column + " >= ?1 AND " + column + " < ?2 ORDER BY " + column + " LIMIT 1");
  }
  return rc;
}

SqliteCode RecordStatements::PrepareUpdate(uint64_t changed, Statement** out) {
  Statement& s = updates_[changed];
  *out = &s;
  if (s.Prepared()) return SqliteCode::kOk;
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

SqliteCode RecordStatements::FirstWithValue(size_t k, const std::string& value, Row* row) {
  Statement& s = first_in_range_[k];
  const std::string end = RangeEnd(k, value);
  s.Bind(1, value);
  s.Bind(2, end);
  const SqliteCode rc = s.Step();
  if (rc == SqliteCode::kRow) ReadRow(s, row);
  s.Reset();
  return rc;
}

bool RecordStatements::KeyChanged(size_t k, const std::string& as_read) const {
  const auto* old_record = reinterpret_cast<const uint8_t*>(as_read.data());
  for (const KeyPart& part : layout_.keys[k].parts) {
    const FieldDecl& f = layout_.fields[part.field];
    if (std::memcmp(old_record + f.offset, record_ + f.offset, f.size) != 0) return true;
  }
  return false;
}

SqliteCode RecordStatements::FindDuplicate(size_t k, const std::string& value, int64_t own_id, bool* taken) {
  *taken = false;
  const KeyDecl& key = layout_.keys[k];
  if ((key.flags & kDup) != 0) return SqliteCode::kOk;
  if ((key.flags & kOpt) != 0 && IsBlankKeyValue(layout_, key, record_)) return SqliteCode::kOk;
  Statement& s = first_in_range_[k];
  const std::string end = RangeEnd(k, value);
  s.Bind(1, value);
  s.Bind(2, end);
  const SqliteCode rc = s.Step();
  *taken = rc == SqliteCode::kRow && s.Int(0) != own_id;
  s.Reset();
  return rc == SqliteCode::kRow || rc == SqliteCode::kDone ? SqliteCode::kOk : rc;
}

SqliteCode RecordStatements::MaxId(int64_t* id) {
  const SqliteCode rc = max_id_.Step();
  *id = max_id_.Int(0);
  max_id_.Reset();
  return rc;
}

SqliteCode RecordStatements::Count(int64_t* count) {
  const SqliteCode rc = count_.Step();
  *count = count_.Int(0);
  count_.Reset();
  return rc;
}

SqliteCode RecordStatements::Insert(int64_t id, const std::vector<std::string>& columns) {
  Statement& s = insert_;
  s.Bind(1, id);
  s.Bind(2, record_, layout_.length);
  int index = 3;
  for (const std::string& column : columns) s.Bind(index++, column);
  BindMemos(s, index);
  const SqliteCode rc = s.Step();
  s.Reset();
  return rc;
}

SqliteCode RecordStatements::Update(uint64_t changed, int64_t id, const std::string& as_read,
                                    const std::vector<std::string>& columns) {
  Statement* update = nullptr;
  if (SqliteCode rc = PrepareUpdate(changed, &update); rc != SqliteCode::kOk) return rc;
  Statement& s = *update;
  s.Bind(1, record_, layout_.length);
  s.Bind(2, id);
  s.Bind(3, as_read);
  int index = BindMemos(s, 4);
  for (size_t k = 0; k < layout_.keys.size(); ++k) {
    if ((changed >> k & 1) != 0) s.Bind(index++, columns[k]);
  }
  const SqliteCode rc = s.Step();
  s.Reset();
  return rc;
}

SqliteCode RecordStatements::Remove(int64_t id, const std::string& as_read) {
  Statement& s = remove_;
  s.Bind(1, id);
  s.Bind(2, as_read);
  const SqliteCode rc = s.Step();
  s.Reset();
  return rc;
}

SqliteCode RecordStatements::WriteInPlace(int64_t id, const std::string& as_read, bool* held, bool* torn) {
  *held = true;
  *torn = false;
  SqliteCode rc{blob_ == nullptr ? sqlite3_blob_open(db_, "main", "records", "data", id, 1, &blob_)
                                 : sqlite3_blob_reopen(blob_, id)};
  if (rc != SqliteCode::kOk) {
    CloseBlob();
    *held = rc != SqliteCode::kError;  // ERROR: no such row
    return *held ? rc : SqliteCode::kOk;
  }
  stored_.resize(as_read.size());
  if (sqlite3_blob_bytes(blob_) != static_cast<int>(stored_.size())) {
    *held = false;
    return SqliteCode::kOk;
  }
  rc = SqliteCode{sqlite3_blob_read(blob_, stored_.data(), static_cast<int>(stored_.size()), 0)};
  if (rc != SqliteCode::kOk) {
    CloseBlob();
    return rc;
  }
  *held = stored_ == as_read;
  if (!*held || std::memcmp(record_, stored_.data(), stored_.size()) == 0) return SqliteCode::kOk;  // nothing to write
  rc = SqliteCode{sqlite3_blob_write(blob_, record_, static_cast<int>(layout_.length), 0)};
  *torn = rc != SqliteCode::kOk;
  return rc;
}

void RecordStatements::CloseBlob() {
  sqlite3_blob_close(blob_);
  blob_ = nullptr;
}

int RecordStatements::BindMemos(Statement& s, int index) const {
  for (size_t m = 0; m < memos_.size(); ++m) {
    const std::string_view memo = TrimmedMemo(memos_[m], layout_.memos[m].size);
    s.Bind(index++, memo.data(), memo.size());
  }
  return index;
}

void RecordStatements::ReadRow(const Statement& s, Row* row) const {
  row->id = s.Int(0);
  row->data = s.Blob(1);
  row->column = s.Blob(2);
  row->memos.resize(memos_.size());
  for (size_t m = 0; m < memos_.size(); ++m) row->memos[m] = s.Blob(3 + static_cast<int>(m));
}

}  // namespace files
