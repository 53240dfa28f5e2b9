#include "platform/files/key_encoding.h"

#include <cstring>

#include "platform/runtime/cp1252.h"

namespace files {
namespace {

void AppendBigEndian(std::string& out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>(value >> (8 * i)));
}

uint64_t ReadLittleEndian(const uint8_t* p, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}

// Text compares as if blank-padded to the field size: "ABC" and "ABC " are one value.
void AppendText(std::string& out, const uint8_t* p, uint32_t size, bool cstring, bool nocase) {
  uint32_t length = size;
  if (cstring) {
    const void* nul = std::memchr(p, 0, size);
    if (nul != nullptr) length = static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - p);
  }
  for (uint32_t i = 0; i < size; ++i) {
    unsigned char c = i < length ? p[i] : ' ';
    out.push_back(static_cast<char>(nocase ? runtime::UpperCp1252(c) : c));
  }
}

void AppendComponent(std::string& out, const FieldDecl& field, const uint8_t* record,
                     bool nocase) {
  const uint8_t* p = record + field.offset;
  switch (field.type) {
    case FieldType::Byte:
      out.push_back(static_cast<char>(*p));
      break;
    case FieldType::Short:
      AppendBigEndian(out, ReadLittleEndian(p, 2) ^ 0x8000u, 2);
      break;
    case FieldType::Long:
      AppendBigEndian(out, ReadLittleEndian(p, 4) ^ 0x80000000u, 4);
      break;
    case FieldType::Real: {
      // Negative doubles order by inverted bits, positive ones by the bits with the sign set.
      uint64_t bits = ReadLittleEndian(p, 8);
      bits = (bits >> 63) != 0 ? ~bits : bits | (uint64_t{1} << 63);
      AppendBigEndian(out, bits, 8);
      break;
    }
    case FieldType::CString:
      AppendText(out, p, field.size, true, nocase);
      break;
    case FieldType::String:
      AppendText(out, p, field.size, false, nocase);
      break;
    case FieldType::Decimal:
    case FieldType::Group:
      break;  // refused when the file is opened (IsKeyableType)
  }
}

bool IsBlankComponent(const FieldDecl& field, const uint8_t* record) {
  const uint8_t* p = record + field.offset;
  switch (field.type) {
    case FieldType::CString:
      for (uint32_t i = 0; i < field.size && p[i] != 0; ++i) {
        if (p[i] != ' ') return false;
      }
      return true;
    case FieldType::String:
      for (uint32_t i = 0; i < field.size; ++i) {
        if (p[i] != ' ' && p[i] != 0) return false;
      }
      return true;
    case FieldType::Real: {
      double value;
      std::memcpy(&value, p, sizeof value);
      return value == 0.0;
    }
    default:
      for (uint32_t i = 0; i < field.size; ++i) {
        if (p[i] != 0) return false;
      }
      return true;
  }
}

}  // namespace

bool IsKeyableType(FieldType type) {
  return type != FieldType::Decimal && type != FieldType::Group;
}

std::string EncodeKeyValue(const RecordLayout& layout, const KeyDecl& key, const uint8_t* record) {
  std::string out;
  const bool nocase = (key.flags & kNoCase) != 0;
  for (const KeyPart& part : key.parts) {
    const size_t start = out.size();
    AppendComponent(out, layout.fields[part.field], record, nocase);
    if (part.descending) {
      for (size_t i = start; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
    }
  }
  return out;
}

std::string KeyColumn(const std::string& value, int64_t id) {
  std::string column = value;
  AppendBigEndian(column, static_cast<uint64_t>(id), 8);
  return column;
}

std::string PrefixEnd(const std::string& prefix, size_t column_length) {
  std::string end = prefix;
  while (!end.empty() && static_cast<unsigned char>(end.back()) == 0xFF) end.pop_back();
  if (end.empty()) return std::string(column_length + 1, '\xFF');
  end.back() = static_cast<char>(static_cast<unsigned char>(end.back()) + 1);
  return end;
}

bool IsBlankKeyValue(const RecordLayout& layout, const KeyDecl& key, const uint8_t* record) {
  for (const KeyPart& part : key.parts) {
    if (!IsBlankComponent(layout.fields[part.field], record)) return false;
  }
  return true;
}

}  // namespace files
