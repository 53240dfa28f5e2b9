// Record files: creating a file shaped like the suite's document details and one walk over
// its first key that rewrites the money fields of every record, against the same rewrite of
// a flat file of the same records with pread/pwrite (what the disk alone costs).
//   record_file_bench [records] [folder]
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/conversion_tables.h"
#include "catalogue/modules.h"
#include "platform/files/keyed_file.h"
#include "platform/runtime/test_support.h"

namespace {

// The suite's document-detail table as the catalogue declares it (1052-byte records,
// 12 keys), so that the benchmark measures a realistic file.
const files::RecordLayout& DetailLayout() {
  for (std::span<const catalogue::TableDef> module : catalogue::Modules()) {
    for (const catalogue::TableDef& def : module) {
      if (def.id == catalogue::Table::DetMovML) return def.layout;
    }
  }
  std::abort();
}

// The money fields that the conversion rewrites in that table.
std::span<const catalogue::FieldRef> DetailMoneyFields() {
  for (const app::ConvertedTable& table : app::ConvertedTables()) {
    if (table.key.table == catalogue::Table::DetMovML) return table.amounts;
  }
  std::abort();
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Record i: every field holds a number that is unique in its field (a shifted record
// number), so that every key, unique or not, accepts every record.
void FillRecord(uint8_t* record, int64_t i, int64_t records) {
  const files::RecordLayout& layout = DetailLayout();
  std::memset(record, 0, layout.length);
  for (size_t f = 0; f < layout.fields.size(); ++f) {
    const files::FieldDecl& field = layout.fields[f];
    uint8_t* p = record + field.offset;
    const int64_t value = (i + static_cast<int64_t>(f) * 1009) % records;
    switch (field.type) {
      case files::FieldType::CString:
      case files::FieldType::String: {
        char text[32];
        const int n = std::snprintf(text, sizeof text, "%c%010lld", 'A' + static_cast<int>(f % 26),
                                    static_cast<long long>(value));
        std::memset(p, field.type == files::FieldType::String ? ' ' : 0, field.size);
        std::memcpy(p, text, std::min<size_t>(static_cast<size_t>(n), field.size - 1));
        break;
      }
      case files::FieldType::Long: {
        const int32_t v = static_cast<int32_t>(value);
        std::memcpy(p, &v, 4);
        break;
      }
      case files::FieldType::Byte:
        *p = static_cast<uint8_t>(value % 3);  // in no unique key
        break;
      default:
        std::memset(p, 0x11, field.size);
        break;
    }
  }
}

// A stand-in for the conversion: every money field changes.
void ChangeMoney(uint8_t* record) {
  for (const catalogue::FieldRef& field : DetailMoneyFields()) ++record[field.offset];
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t records = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const runtime::test::TestFolder scratch;  // where the files go when no folder is given
  const std::filesystem::path folder = argc > 2 ? argv[2] : scratch.path();
  const std::string keyed_path = (folder / "BENCH_DETMOV.VQF").string();
  const std::string flat_path = (folder / "BENCH_DETMOV.DAT").string();
  const uint32_t length = DetailLayout().length;
  std::vector<uint8_t> record(length);

  files::KeyedFile file(DetailLayout(), record.data());
  auto start = Clock::now();
  if (file.Create(keyed_path) != 0 || file.Open(keyed_path) != 0) {
    std::fprintf(stderr, "%s\n", file.Detail().c_str());
    return 1;
  }
  for (int64_t i = 0; i < records; ++i) {
    FillRecord(record.data(), i, records);
    if (file.Add() != 0) {
      std::fprintf(stderr, "add %lld: %s\n", static_cast<long long>(i), file.Detail().c_str());
      return 1;
    }
  }
  if (file.Close() != 0) return 1;
  const double create_seconds = Seconds(start);

  start = Clock::now();
  int64_t rewritten = 0;
  if (file.Open(keyed_path) != 0) return 1;
  file.SetStart(0);
  while (!file.Eof()) {
    if (file.Next() != 0) return 1;
    ChangeMoney(record.data());
    if (file.Put() != 0) {
      std::fprintf(stderr, "put: %s\n", file.Detail().c_str());
      return 1;
    }
    ++rewritten;
  }
  if (file.Close() != 0 || rewritten != records) return 1;
  const double keyed_seconds = Seconds(start);

  // The flat reference: the same records, one sequential pass of pread, change, pwrite.
  const int fd = open(flat_path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return 1;
  for (int64_t i = 0; i < records; ++i) {
    FillRecord(record.data(), i, records);
    if (pwrite(fd, record.data(), length, i * length) != static_cast<ssize_t>(length)) return 1;
  }
  fsync(fd);
  start = Clock::now();
  for (int64_t i = 0; i < records; ++i) {
    if (pread(fd, record.data(), length, i * length) != static_cast<ssize_t>(length)) return 1;
    ChangeMoney(record.data());
    if (pwrite(fd, record.data(), length, i * length) != static_cast<ssize_t>(length)) return 1;
  }
  fsync(fd);
  close(fd);
  const double flat_seconds = Seconds(start);

  const double keyed_rate = static_cast<double>(records) / keyed_seconds;
  const double flat_rate = static_cast<double>(records) / flat_seconds;
  std::printf("records: %lld of %u bytes, %zu keys; keyed file %.0f MB\n",
              static_cast<long long>(records), length, DetailLayout().keys.size(),
              static_cast<double>(std::filesystem::file_size(keyed_path)) / 1e6);
  std::printf("create keyed file:         %8.2f s  %9.0f records/s  %6.1f us/record\n",
              create_seconds, static_cast<double>(records) / create_seconds,
              create_seconds * 1e6 / static_cast<double>(records));
  std::printf("keyed walk and rewrite:    %8.2f s  %9.0f records/s  %6.1f us/record\n",
              keyed_seconds, keyed_rate, keyed_seconds * 1e6 / static_cast<double>(records));
  std::printf("flat sequential rewrite:   %8.2f s  %9.0f records/s  %6.1f us/record\n",
              flat_seconds, flat_rate, flat_seconds * 1e6 / static_cast<double>(records));
  std::printf("keyed / flat time ratio:   %8.1f\n", keyed_seconds / flat_seconds);
  std::filesystem::remove(keyed_path);
  std::filesystem::remove(keyed_path + ".lck");
  std::filesystem::remove(flat_path);
  return 0;
}
