#include "platform/files/record_statements.h"

#include <cstring>

#include "platform/runtime/text.h"

namespace files {

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

SqliteCode RecordStatements::Prepare() {
  std::string memo_columns;
  for (size_t m = 1; m <= layout_.memos.size(); ++m) memo_columns += ", memo" + std::to_string(m);
  SqliteCode rc = SqliteCode::kOk;
  auto prepare = [&](Statement& s, const std::string& sql) {
    if (rc == SqliteCode::kOk) rc = s.Prepare(db_, sql);
  };
  prepare(max_id, "SELECT coalesce(max(id), 0) FROM records");
  prepare(count, "SELECT count(*) FROM records");
  prepare(remove, "DELETE FROM records WHERE id = ?1 AND data = ?2");
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
  prepare(insert, insert_sql + ") VALUES (" + values + ")");
  for (size_t k = 1; k <= layout_.keys.size(); ++k) {
    const std::string column = "key" + std::to_string(k);
    const std::string select = "SELECT id, data, " + column + memo_columns + " FROM records WHERE ";
    prepare(walk.emplace_back(), select + column + " > ?1 ORDER BY " + column);
    prepare(first_in_range.emplace_back(),
            select + column + " >= ?1 AND " + column + " < ?2 ORDER BY " + column + " LIMIT 1");
  }
  return rc;
}

SqliteCode RecordStatements::Update(uint64_t changed, Statement** out) {
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

void RecordStatements::ReadRow(const Statement& s, Row* row) const {
  row->id = s.Int(0);
  row->data = s.Blob(1);
  row->column = s.Blob(2);
  row->memos.resize(layout_.memos.size());
  for (size_t m = 0; m < layout_.memos.size(); ++m) row->memos[m] = s.Blob(3 + static_cast<int>(m));
}

SqliteCode RecordStatements::StepRow(Statement& s, Row* row) const {
  const SqliteCode rc = s.Step();
  if (rc == SqliteCode::kRow) ReadRow(s, row);
  s.Reset();
  return rc;
}

}  // namespace files
