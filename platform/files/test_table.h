// A small table for the drivers' tests: the key types and attributes the catalogue uses.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/keyed_file.h"
#include "platform/files/layout.h"
#include "platform/files/test_walk.h"

namespace files::test {

// CODE LONG, NAME CSTRING(11), CITY STRING(8), AMOUNT DECIMAL(9,2), TAG BYTE.
inline constexpr FieldDecl kFields[] = {
    {"T:CODE", FieldType::Long, 0, 4, 0, 0},
    {"T:NAME", FieldType::CString, 4, 11, 0, 0},
    {"T:CITY", FieldType::String, 15, 8, 0, 0},
    {"T:AMOUNT", FieldType::Decimal, 23, 5, 9, 2},
    {"T:TAG", FieldType::Byte, 28, 1, 0, 0},
};
inline constexpr KeyPart kByCode[] = {{0, false}};
inline constexpr KeyPart kByName[] = {{1, false}};
inline constexpr KeyPart kByCityCodeDown[] = {{2, false}, {0, true}};
inline constexpr KeyPart kByTag[] = {{4, false}};
inline constexpr KeyDecl kKeys[] = {
    {"T:KEYCODE", kByCode, kOpt | kNoCase | kPrimary},
    {"T:KEYNAME", kByName, kDup | kNoCase},
    {"T:KEYCITY", kByCityCodeDown, kDup},
    {"T:KEYTAG", kByTag, kOpt},
};
inline constexpr RecordLayout kLayout = {29, kFields, kKeys, {}};

enum Key { kCode = 0, kName = 1, kCity = 2, kTag = 3 };

// One record buffer with its file instance.
struct Table {
  explicit Table(Env* env = Env::Default()) : file(kLayout, record, {}, env) {}

  uint8_t record[29] = {};
  KeyedFile file;

  void Clear() { std::memset(record, 0, sizeof record); }
  void Fill(int32_t code, const std::string& name, const std::string& city = "", uint8_t tag = 0) {
    Clear();
    SetCode(code);
    std::memcpy(record + 4, name.data(), std::min<size_t>(name.size(), 10));
    std::memset(record + 15, ' ', 8);
    std::memcpy(record + 15, city.data(), std::min<size_t>(city.size(), 8));
    record[28] = tag;
  }
  void SetCode(int32_t code) { std::memcpy(record, &code, 4); }
  int32_t Code() const {
    int32_t code;
    std::memcpy(&code, record, 4);
    return code;
  }
  std::string Name() const { return reinterpret_cast<const char*>(record + 4); }
  uint8_t& Amount() { return record[23]; }  // a byte of the amount, changed by rewrites
};

// A new file at `path` holding the records 0 .. records - 1, each named "registro" with a
// blank city (generation 0); the code of the first step that failed, 0 when none did.
inline int CreateWithRecords(const std::string& path, int records) {
  Table t;
  if (const int rc = t.file.Create(path); rc != 0) return rc;
  if (const int rc = t.file.Open(path); rc != 0) return rc;
  for (int i = 0; i < records; ++i) {
    t.Fill(i, "registro");
    if (const int rc = t.file.Add(); rc != 0) return rc;
  }
  return t.file.Close();
}

// Every record of the file at `path` in code order, as bytes (opening it plays any journal
// left beside it); none when it cannot be opened.
inline std::vector<std::string> RecordsOf(const std::string& path) {
  Table t;
  std::vector<std::string> records;
  if (t.file.Open(path) != 0) return records;
  VisitRecords(t.file, kCode, [&] { records.emplace_back(t.record, t.record + sizeof t.record); });
  return records;
}

// A rewrite of generation g sets the city (a key) and the amount to g in every byte, so
// that a torn record or a stale index entry shows.
inline void StampGeneration(Table& t, uint8_t generation) {
  std::memset(t.record + 15, 'A' + generation % 26, 8);
  std::memset(t.record + 23, generation, 5);
}

// The generation of a record, or -1 when its bytes disagree.
inline int GenerationOf(const Table& t) {
  for (int i = 15; i < 23; ++i) {
    if (t.record[i] != t.record[15]) return -1;
  }
  for (int i = 23; i < 28; ++i) {
    if (t.record[i] != t.record[23]) return -1;
  }
  if (t.record[23] != 0 && t.record[15] != 'A' + t.record[23] % 26) return -1;
  return t.record[23];
}

}  // namespace files::test
