#include "platform/files/stored_layout.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/files/sqlite_statement.h"

namespace files {
namespace {

constexpr std::string_view kTypeNames[] = {"BYTE",    "SHORT",   "LONG",   "REAL",
                                           "DECIMAL", "CSTRING", "STRING", "GROUP"};

std::string_view TypeName(FieldType type) { return kTypeNames[static_cast<int>(type)]; }

// "3,-5": field numbers (1-based), negative for a descending component.
std::string ComponentsText(const KeyDecl& key) {
  std::string text;
  for (const KeyPart& part : key.parts) {
    if (!text.empty()) text += ',';
    text += std::to_string(part.descending ? -(part.field + 1) : part.field + 1);
  }
  return text;
}

}  // namespace

std::string SchemaSql(const RecordLayout& layout) {
  std::string sql =
      "CREATE TABLE layout (item TEXT PRIMARY KEY, value INTEGER NOT NULL) WITHOUT ROWID;"
      "CREATE TABLE layout_fields (number INTEGER PRIMARY KEY, name TEXT NOT NULL,"
      " type TEXT NOT NULL, offset INTEGER NOT NULL, size INTEGER NOT NULL,"
      " digits INTEGER NOT NULL, places INTEGER NOT NULL);"
      "CREATE TABLE layout_keys (number INTEGER PRIMARY KEY, name TEXT NOT NULL,"
      " flags INTEGER NOT NULL, components TEXT NOT NULL);"
      "CREATE TABLE layout_memos (number INTEGER PRIMARY KEY, name TEXT NOT NULL,"
      " size INTEGER NOT NULL);"
      "CREATE TABLE records (id INTEGER PRIMARY KEY, data BLOB NOT NULL";
  for (size_t k = 1; k <= layout.keys.size(); ++k) sql += ", key" + std::to_string(k) + " BLOB NOT NULL";
  for (size_t m = 1; m <= layout.memos.size(); ++m) sql += ", memo" + std::to_string(m) + " BLOB NOT NULL";
  sql += ");";
  for (size_t k = 1; k <= layout.keys.size(); ++k) {
    const std::string n = std::to_string(k);
    sql += "CREATE UNIQUE INDEX records_key" + n + " ON records (key" + n + ");";
  }
  return sql;
}

SqliteCode WriteLayout(sqlite3* db, const RecordLayout& layout) {
  Statement item, field, key, memo;
  SqliteCode rc = item.Prepare(db, "INSERT INTO layout VALUES (?1, ?2)");
  if (rc == SqliteCode::kOk) rc = field.Prepare(db, "INSERT INTO layout_fields VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  if (rc == SqliteCode::kOk) rc = key.Prepare(db, "INSERT INTO layout_keys VALUES (?1, ?2, ?3, ?4)");
  if (rc == SqliteCode::kOk) rc = memo.Prepare(db, "INSERT INTO layout_memos VALUES (?1, ?2, ?3)");
  auto run = [&rc](Statement& s) {
    if (rc == SqliteCode::kOk && s.Step() != SqliteCode::kDone) rc = SqliteCode::kError;
    s.Reset();
  };
  const std::pair<std::string, int64_t> items[] = {{"format", kFormatVersion},
                                                   {"record_length", layout.length}};
  for (const auto& [name, value] : items) {
    item.BindText(1, name);
    item.Bind(2, value);
    run(item);
  }
  for (size_t i = 0; i < layout.fields.size(); ++i) {
    const FieldDecl& f = layout.fields[i];
    field.Bind(1, static_cast<int64_t>(i + 1));
    field.BindText(2, f.name);
    field.BindText(3, TypeName(f.type));
    field.Bind(4, f.offset);
    field.Bind(5, f.size);
    field.Bind(6, f.digits);
    field.Bind(7, f.places);
    run(field);
  }
  for (size_t i = 0; i < layout.keys.size(); ++i) {
    const KeyDecl& k = layout.keys[i];
    key.Bind(1, static_cast<int64_t>(i + 1));
    key.BindText(2, k.name);
    key.Bind(3, k.flags);
    const std::string components = ComponentsText(k);
    key.BindText(4, components);
    run(key);
  }
  for (size_t i = 0; i < layout.memos.size(); ++i) {
    memo.Bind(1, static_cast<int64_t>(i + 1));
    memo.BindText(2, layout.memos[i].name);
    memo.Bind(3, layout.memos[i].size);
    run(memo);
  }
  return rc;
}

SqliteCode CompareLayout(sqlite3* db, const RecordLayout& layout, std::string* difference) {
  difference->clear();
  Statement s;
  SqliteCode rc = s.Prepare(db, "SELECT value FROM layout WHERE item = 'format'");
  if (rc != SqliteCode::kOk) return rc;
  rc = s.Step();
  if (rc != SqliteCode::kRow) return rc == SqliteCode::kDone ? SqliteCode::kCorrupt : rc;
  if (s.Int(0) != kFormatVersion) {
    *difference = "formato " + std::to_string(s.Int(0));
    return SqliteCode::kOk;
  }
  s.Reset();

  // Each row is one item of the layout in a fixed textual form; the declaration's rows must
  // equal the stored ones one for one.
  auto rows = [](const RecordLayout& l) {
    std::vector<std::string> out;
    out.push_back("record_length " + std::to_string(l.length));
    for (size_t i = 0; i < l.fields.size(); ++i) {
      const FieldDecl& f = l.fields[i];
      out.push_back("field " + std::to_string(i + 1) + " " + std::string(TypeName(f.type)) + " " +
                    std::to_string(f.offset) + " " + std::to_string(f.size) + " " +
                    std::to_string(f.digits) + " " + std::to_string(f.places));
    }
    for (size_t i = 0; i < l.keys.size(); ++i) {
      out.push_back("key " + std::to_string(i + 1) + " " + std::to_string(l.keys[i].flags) + " " +
                    ComponentsText(l.keys[i]));
    }
    for (size_t i = 0; i < l.memos.size(); ++i) {
      out.push_back("memo " + std::to_string(i + 1) + " " + std::to_string(l.memos[i].size));
    }
    return out;
  };
  rc = s.Prepare(db,
                 "SELECT 'record_length ' || value FROM layout WHERE item = 'record_length' "
                 "UNION ALL SELECT * FROM (SELECT 'field ' || number || ' ' || type || ' ' || offset"
                 " || ' ' || size || ' ' || digits || ' ' || places FROM layout_fields ORDER BY number) "
                 "UNION ALL SELECT * FROM (SELECT 'key ' || number || ' ' || flags || ' ' || components"
                 " FROM layout_keys ORDER BY number) "
                 "UNION ALL SELECT * FROM (SELECT 'memo ' || number || ' ' || size FROM layout_memos"
                 " ORDER BY number)");
  if (rc != SqliteCode::kOk) return rc;
  std::vector<std::string> stored;
  while ((rc = s.Step()) == SqliteCode::kRow) stored.emplace_back(s.Text(0));
  if (rc != SqliteCode::kDone) return rc;
  const std::vector<std::string> declared = rows(layout);
  for (size_t i = 0; i < std::max(stored.size(), declared.size()); ++i) {
    const std::string a = i < stored.size() ? stored[i] : "(nada)";
    const std::string b = i < declared.size() ? declared[i] : "(nada)";
    if (a != b) {
      *difference = "guardado: " + a + "; declarado: " + b;
      break;
    }
  }
  return SqliteCode::kOk;
}

}  // namespace files
