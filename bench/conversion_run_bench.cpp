// The conversion run over a generated suite, beside the record-file layer's plain walk
// and rewrite of the same files in the same process.
//
//   conversion_run_bench [detmov_records]   (default 1000000)
//
// DetMovML gets the given count, CpdocuML a fifth of it, InventML and Movbanco a tenth,
// every other table 100 records.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/conversion_tables.h"
#include "app/ejecuta_proceso.h"
#include "app/globals.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/modules.h"
#include "catalogue/table_managers.h"
#include "platform/library/field_value.h"
#include "platform/runtime/decimal.h"
#include "platform/ui/headless/headless_backend.h"

namespace {

namespace fs = std::filesystem;
using catalogue::Table;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

int RecordsOf(Table table, int detmov) {
  switch (table) {
    case Table::DetMovML: return detmov;
    case Table::CpdocuML: return detmov / 5;
    case Table::InventML:
    case Table::Movbanco: return detmov / 10;
    default: return 100;
  }
}

// Record i: numbers i, texts "<i>", amounts growing with i.
void Generate(Table table, int count) {
  const files::RecordLayout& layout = catalogue::Def(table).layout;
  std::vector<uint8_t> record(layout.length);
  files::KeyedFile file(layout, record.data());
  const std::string path = catalogue::DiskName(table);
  if (file.Create(path) != 0 || (!file.IsOpen() && file.Open(path) != 0)) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), file.Detail().c_str());
    std::exit(1);
  }
  for (int i = 0; i < count; ++i) {
    library::ClearRecord(layout, record.data());
    for (const files::FieldDecl& f : layout.fields) {
      if (f.type == files::FieldType::Long || f.type == files::FieldType::Short) {
        library::SetFieldNumber(f, record.data(), i);
      } else if (f.type == files::FieldType::CString || f.type == files::FieldType::String) {
        library::SetFieldText(f, record.data(), std::to_string(i));
      } else if (f.type == files::FieldType::Decimal && f.places == 2 && f.digits >= 11) {
        const runtime::Decimal amount = runtime::Decimal::FromUnits(12345678 + i * 37, 2);
        (void)runtime::StoreDecimalField(record.data() + f.offset, f.digits, f.places, amount);
      }
    }
    if (file.Add() != 0) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), file.Detail().c_str());
      std::exit(1);
    }
  }
  file.Close();
}

// Every record of every table read in key order and written back unchanged.
long PlainWalkAndRewrite() {
  long records = 0;
  for (const app::ConvertedTable& t : app::ConvertedTables()) {
    const files::RecordLayout& layout = catalogue::Def(t.key.table).layout;
    std::vector<uint8_t> record(layout.length);
    files::KeyedFile file(layout, record.data());
    file.Open(catalogue::DiskName(t.key.table));
    file.SetStart(t.key.index);
    while (!file.Eof() && file.Next() == 0) {
      file.Put();
      ++records;
    }
    file.Close();
  }
  return records;
}

}  // namespace

int main(int argc, char** argv) {
  const int detmov = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const fs::path dir = fs::temp_directory_path() / ("conversion_run_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  app::ErrorManagerGlobal.emplace();
  catalogue::CatalogInit(*app::ErrorManagerGlobal);

  long records = 0;
  const Clock::time_point generating = Clock::now();
  std::vector<Table> tables{Table::ParameML};
  for (const app::ConvertedTable& t : app::ConvertedTables()) tables.push_back(t.key.table);
  for (Table table : tables) {
    catalogue::SetDiskName(table, (dir / (std::string(catalogue::Def(table).label) + ".VQF")).string());
    const int count = table == Table::ParameML ? 1 : RecordsOf(table, detmov);
    Generate(table, count);
    if (table != Table::ParameML) records += count;
  }
  std::printf("suite: %ld records in 16 tables, generated in %.1f s\n", records, Seconds(generating));

  catalogue::RelationManagerOf(Table::ParameML)->Open();
  ui::HeadlessBackend screen;
  screen.Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar");
  const Clock::time_point running = Clock::now();
  app::EjecutaProceso();
  const double run = Seconds(running);
  catalogue::RelationManagerOf(Table::ParameML)->Close();

  const Clock::time_point walking = Clock::now();
  const long walked = PlainWalkAndRewrite();
  const double plain = Seconds(walking);

  std::printf("conversion run:        %8.1f s  %9.0f records/s  (%d yields)\n", run, records / run, screen.yields());
  std::printf("plain walk and rewrite: %7.1f s  %9.0f records/s  (%ld records)\n", plain, walked / plain, walked);
  std::printf("ratio run / plain: %.2f\n", run / plain);

  catalogue::CatalogKill();
  app::ErrorManagerGlobal.reset();
  fs::remove_all(dir);
  return walked == records ? 0 : 1;
}
