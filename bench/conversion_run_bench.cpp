// The conversion run over a generated suite, beside three references run in the same
// process on the same records:
//
// - walk and rewrite with real changes: every record of the 16 tables read in key order,
//   each converted amount's digits replaced by their nine's complement (so that every byte
//   of every amount changes, as a conversion of these amounts changes them) and written
//   back; no conversion. What the run costs beyond this is the conversion's own. It runs
//   before and after the run, and the ratio takes the mean of the two.
// - flat file rewritten in place: the same records one after the other in one flat file,
//   each read, changed the same way and written back in file order, the file made durable
//   every 100 ms like a write group. What the disk and the operating system cost.
// - walk and rewrite unchanged: every record written back as read. SQLite writes no page
//   whose content did not change, so this measures reading and the B-tree's search, not
//   writing; kept for comparison with earlier figures.
//
// The run checks each table's file whole before it writes into it (KeyedFile::CheckIntegrity);
// that check is also timed alone over the 16 tables, and its share of the run is given.
//
// Also the peak resident memory of the run. With --fltk (under an X server, e.g. xvfb-run)
// two copies of the suite, made before anything ran, are then converted one after the
// other, headless and under the real windows, so that both runs meet the same files and the
// same machine; the time spent updating controls and yielding to FLTK (which paints) is
// given beside them.
//
//   conversion_run_bench [detmov_records] [--fltk]   (default 1000000: 1,401,200 records)
//
// DetMovML gets the given count, CpdocuML a fifth of it, InventML and Movbanco a tenth,
// every other table 100 records. The files lie in a new folder under $TMPDIR (or /tmp),
// removed at the end.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/conversion_tables.h"
#include "app/ejecuta_proceso.h"
#include "app/globals.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/modules.h"
#include "catalogue/table_managers.h"
#include "platform/files/commit_groups.h"
#include "platform/library/field_value.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/test_support.h"
#include "platform/ui/fltk/fltk_backend.h"
#include "platform/ui/headless/headless_backend.h"
#include "platform/ui/window.h"

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

// Record i: numbers i, texts "<i>", amounts growing with i. Each record is also appended to
// the flat file `flat` (when it is open).
void Generate(Table table, int count, int flat) {
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
    if (flat >= 0 && write(flat, record.data(), record.size()) != static_cast<ssize_t>(record.size())) {
      std::perror("flat file");
      std::exit(1);
    }
  }
  file.Close();
}

// Replaces every digit of the table's converted amounts by its nine's complement; the sign
// half-byte stays.
void ChangeAmounts(const app::ConvertedTable& t, uint8_t* record) {
  for (const catalogue::FieldRef& f : t.amounts) {
    uint8_t* field = record + f.offset;
    const size_t size = runtime::DecimalFieldSize(f.digits);
    for (size_t i = 0; i + 1 < size; ++i) field[i] = static_cast<uint8_t>(0x99 - field[i]);
    field[size - 1] = static_cast<uint8_t>((0x90 - (field[size - 1] & 0xF0)) | (field[size - 1] & 0x0F));
  }
}

// Every record of every table read in key order and written back, with its amounts changed
// or as read.
long WalkAndRewrite(bool change) {
  long records = 0;
  for (const app::ConvertedTable& t : app::ConvertedTables()) {
    const files::RecordLayout& layout = catalogue::Def(t.key.table).layout;
    std::vector<uint8_t> record(layout.length);
    files::KeyedFile file(layout, record.data());
    file.Open(catalogue::DiskName(t.key.table));
    file.SetStart(t.key.index);
    while (!file.Eof() && file.Next() == 0) {
      if (change) ChangeAmounts(t, record.data());
      if (file.Put() != 0) {
        std::fprintf(stderr, "%s: %s\n", file.Path().c_str(), file.Detail().c_str());
        std::exit(1);
      }
      ++records;
    }
    if (file.Close() != 0) std::exit(1);
  }
  return records;
}

// The check that the run makes at each table's start, over the 16 tables.
double CheckEveryTable() {
  const Clock::time_point start = Clock::now();
  for (const app::ConvertedTable& t : app::ConvertedTables()) {
    const files::RecordLayout& layout = catalogue::Def(t.key.table).layout;
    std::vector<uint8_t> record(layout.length);
    files::KeyedFile file(layout, record.data());
    if (file.Open(catalogue::DiskName(t.key.table)) != 0 || file.CheckIntegrity() != 0) {
      std::fprintf(stderr, "%s: %s\n", file.Path().c_str(), file.Detail().c_str());
      std::exit(1);
    }
    file.Close();
  }
  return Seconds(start);
}

// The flat file's records, table by table in the run's order, each read, changed and
// written back in place; made durable every commit interval and at the end.
long FlatRewriteInPlace(int flat, const std::vector<int>& counts) {
  long records = 0;
  off_t offset = 0;
  Clock::time_point synced = Clock::now();
  for (size_t i = 0; i < app::ConvertedTables().size(); ++i) {
    const app::ConvertedTable& t = app::ConvertedTables()[i];
    std::vector<uint8_t> record(catalogue::Def(t.key.table).layout.length);
    const auto length = static_cast<ssize_t>(record.size());
    for (int n = 0; n < counts[i]; ++n, offset += length, ++records) {
      if (pread(flat, record.data(), record.size(), offset) != length) std::exit(1);
      ChangeAmounts(t, record.data());
      if (pwrite(flat, record.data(), record.size(), offset) != length) std::exit(1);
      if (Clock::now() - synced >= files::kCommitInterval) {
        if (fdatasync(flat) != 0) std::exit(1);
        synced = Clock::now();
      }
    }
  }
  if (fdatasync(flat) != 0) std::exit(1);
  return records;
}

// The peak resident memory since the last ResetPeakMemory, in MB, from the kernel's
// high-water mark (which clear_refs resets).
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
double PeakMemoryMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024;
  }
  return -1;
}

// The real windows driven as a person would drive them: the run button, "Si" and "Aceptar",
// then the close box. Times the control updates and the yields.
class ScriptedFltkBackend : public ui::FltkBackend {
 public:
  double show_seconds = 0, yield_seconds = 0;

  ui::Input NextInput(ui::Window& window) override {
    Poll(window);  // lets the window appear
    if (clicked_) return {};
    clicked_ = true;
    const auto& controls = window.description().controls;
    for (size_t i = 0; i < controls.size(); ++i) {
      if (controls[i].name == "?BTN_EJECUTAR") return {ui::Input::Kind::Click, static_cast<int>(i + 1), {}, {}, 0};
    }
    return {};
  }
  int Message(const ui::MessageBox& /*box*/) override { return 1; }
  void Show(ui::Window& window, int control) override {
    const Clock::time_point start = Clock::now();
    FltkBackend::Show(window, control);
    show_seconds += Seconds(start);
  }
  void Yield() override {
    const Clock::time_point start = Clock::now();
    FltkBackend::Yield();
    yield_seconds += Seconds(start);
  }

 private:
  bool clicked_ = false;
};

// Sets every table's disk name to its file in `dir`.
void UseSuiteIn(const fs::path& dir) {
  catalogue::SetDiskName(Table::ParameML, (dir / "ParameML.VQF").string());
  for (const app::ConvertedTable& t : app::ConvertedTables()) {
    catalogue::SetDiskName(t.key.table, (dir / (std::string(catalogue::Def(t.key.table).label) + ".VQF")).string());
  }
}

// The run as the user starts it, on the backend installed last.
double TimedRun() {
  catalogue::RelationManagerOf(Table::ParameML)->Open();
  const Clock::time_point running = Clock::now();
  app::EjecutaProceso();
  const double seconds = Seconds(running);
  catalogue::RelationManagerOf(Table::ParameML)->Close();
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  const int detmov = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const bool fltk = argc > 2 && std::string(argv[2]) == "--fltk";
  const runtime::test::TestFolder folder;
  const fs::path dir = folder.path();
  fs::current_path(dir);  // the run writes its log file under the working folder
  app::ErrorManagerGlobal.emplace();
  catalogue::CatalogInit(*app::ErrorManagerGlobal);

  long records = 0;
  const Clock::time_point generating = Clock::now();
  const std::string flat_path = (dir / "flat.dat").string();
  const int flat = open(flat_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (flat < 0) {
    std::perror(flat_path.c_str());
    return 1;
  }
  UseSuiteIn(dir);
  Generate(Table::ParameML, 1, -1);
  std::vector<int> counts;
  for (const app::ConvertedTable& t : app::ConvertedTables()) {
    counts.push_back(RecordsOf(t.key.table, detmov));
    Generate(t.key.table, counts.back(), flat);
    records += counts.back();
  }
  if (fdatasync(flat) != 0) return 1;
  uintmax_t bytes = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    if (e.path().extension() == ".VQF") bytes += e.file_size();
  }
  std::printf("suite: %ld records in 16 tables, %.2f GB of record files (flat file %.2f GB), generated in %.1f s\n",
              records, bytes / 1e9, fs::file_size(flat_path) / 1e9, Seconds(generating));

  const fs::path headless_copy = dir / "headless", fltk_copy = dir / "fltk";
  for (const fs::path& copy : {headless_copy, fltk_copy}) {
    if (!fltk) break;
    fs::create_directories(copy);
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
      if (e.path().extension() != ".VQF") continue;
      // On disk before anything is timed, so that no commit of the run pays for the copy.
      fs::copy_file(e.path(), copy / e.path().filename());
      const int fd = open((copy / e.path().filename()).c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0 || fsync(fd) != 0) return 1;
      close(fd);
    }
  }

  // The reference with changes runs before and after the run, and the run is set against
  // their mean, so that a machine that slows or speeds up meanwhile favours neither.
  Clock::time_point start = Clock::now();
  const long changed_before = WalkAndRewrite(true);
  const double changing_before = Seconds(start);

  int yields = 0;
  double run = 0, peak_mb = 0;
  {
    ui::HeadlessBackend screen;
    screen.Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar");
    ResetPeakMemory();
    run = TimedRun();
    peak_mb = PeakMemoryMb();
    yields = screen.yields();
  }

  start = Clock::now();
  const long changed = WalkAndRewrite(true);
  const double changing_after = Seconds(start);
  const double changing = (changing_before + changing_after) / 2;

  const double checking = CheckEveryTable();

  start = Clock::now();
  const long flat_records = FlatRewriteInPlace(flat, counts);
  const double flat_seconds = Seconds(start);
  close(flat);

  start = Clock::now();
  const long unchanged = WalkAndRewrite(false);
  const double unchanging = Seconds(start);

  const auto line = [](const char* what, double seconds, long n) {
    std::printf("%-44s %7.1f s  %6.2f us/record  (%ld records)\n", what, seconds, seconds * 1e6 / n, n);
  };
  line("conversion run:", run, records);
  line("  of it the check of each table at its start:", checking, records);
  line("walk and rewrite, amounts changed, before:", changing_before, changed_before);
  line("walk and rewrite, amounts changed, after:", changing_after, changed);
  line("flat file rewritten in place:", flat_seconds, flat_records);
  line("walk and rewrite, unchanged (no writes):", unchanging, unchanged);
  std::printf("ratio run / walk and rewrite with changes (mean):  %.2f\n", run / changing);
  std::printf("share of the check in the run:                     %.1f%%\n", 100 * checking / run);
  std::printf("ratio walk and rewrite (mean) / flat in place:     %.2f\n", changing / flat_seconds);
  std::printf("peak resident memory of the run:            %.1f MB  (%d yields)\n", peak_mb, yields);

  if (fltk) {
    UseSuiteIn(headless_copy);
    double headless = 0;
    {
      ui::HeadlessBackend screen;
      screen.Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar");
      headless = TimedRun();
    }
    UseSuiteIn(fltk_copy);
    ScriptedFltkBackend windows;
    const double shown = TimedRun();
    line("conversion run of a copy, headless:", headless, records);
    line("conversion run of a copy, under FLTK:", shown, records);
    std::printf("  of it updating controls %.1f s (%.1f%%), yielding and painting %.1f s (%.1f%%)\n",
                windows.show_seconds, 100 * windows.show_seconds / shown, windows.yield_seconds,
                100 * windows.yield_seconds / shown);
    std::printf("ratio run under FLTK / headless run (copies): %.2f\n", shown / headless);
  }

  catalogue::CatalogKill();
  app::ErrorManagerGlobal.reset();
  return changed_before == records && changed == records && flat_records == records && unchanged == records ? 0
                                                                                                           : 1;
}
