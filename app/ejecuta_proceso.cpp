#include "app/ejecuta_proceso.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/amount_conversion.h"
#include "app/conversion_tables.h"
#include "app/ejecuta_proceso_def.h"
#include "app/globals.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/fields.h"
#include "catalogue/table_managers.h"
#include "platform/files/errors.h"
#include "platform/library/window_manager.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/picture.h"
#include "platform/runtime/text.h"

namespace app {
namespace {

using catalogue::PAR::FACTORCONVERSION;
using catalogue::PAR::NOMBREMONEDA;

constexpr size_t kLogLineSize = 210;
constexpr size_t kStatusSize = 200;
constexpr int kRunButton = 4;
constexpr int kStatusLine = 5;
constexpr int kLogList = 6;
constexpr int kCloseButton = 7;
constexpr std::string_view kNewCurrency = "BsS";
constexpr int kNewFactor = 100000;
// Repaints during a table are spaced this far apart at least, so that painting does not
// slow the run down; the first record of every table is always shown.
constexpr auto kRepaintInterval = std::chrono::milliseconds(40);

using Locals = EjecutaProcesoLocals;

// The date and time that close the start and end lines: "10/12/2026" then "03:45PM".
std::string Now() {
  return runtime::FormatDate(runtime::Today(), "D06") + runtime::FormatTime(runtime::Clock(), "T3");
}

// The parameters record (PAR:CONTROL 1) into its buffer; false when it cannot be read.
bool ReadParameters() {
  catalogue::TableFileManager* manager = catalogue::FileManagerOf(catalogue::Table::ParameML);
  if (manager->UseFile(library::kUseNormal) != library::kLevelBenign) return false;
  uint8_t* record = catalogue::RecordOf(catalogue::Table::ParameML);
  const int32_t control = 1;
  std::memcpy(record + catalogue::PAR::CONTROL.offset, &control, sizeof control);
  return catalogue::FileOf(catalogue::Table::ParameML)->Get(catalogue::PAR::KEYPAR01.index) == files::kNoError;
}

// The run itself: the tables one after the other, the log list and the status line.
class ConversionRun {
 public:
  ConversionRun(Locals& loc, ui::Window& window) : loc_(loc), window_(window) {}

  // EjecutaReconversion
  void Run() {
    loc_.log.clear();
    ui::SetCursor(ui::Cursor::Wait);
    const std::string start = "Comienza el proceso de reconversión monetaria...." + Now();
    Status(start);
    AddLog(start);
    window_.Display();
    ConvierteTablas();
    UpdateParameters();
  }

 private:
  void ConvierteTablas() {
    for (const ConvertedTable& table : ConvertedTables()) ConvertTable(table);
    const std::string end = "*** Fin del Procesamiento " + Now();
    AddLog(end);
    Status(end);
    window_.Display();
    ui::SetCursor(ui::Cursor::Normal);
    window_.Hide(kRunButton);
    ui::Message("Fin del proceso", "Información");
  }

  void ConvertTable(const ConvertedTable& t) {
    AddLog(t.header);
    if (t.header_to_status) Status(t.header);
    window_.Display();
    const catalogue::Table table = t.key.table;
    files::KeyedFile& file = *catalogue::FileOf(table);
    uint8_t* record = catalogue::RecordOf(table);
    // A file that cannot be opened is reported and counts as empty. The walk starts at the
    // start of the key, so that no record sorts below where it begins.
    if (file.Open(catalogue::DiskName(table), files::kReadWriteDenyNone) != files::kNoError) {
      FileError(t, file);
      ArchivoVacio();
      return;
    }
    int count = 0;
    if (file.SetStart(t.key.index) == files::kNoError) {
      count = ConvertRecords(t, file, record);
    } else {
      FileError(t, file);
    }
    if (count == 0) ArchivoVacio();
    if (file.Close() != files::kNoError) FileError(t, file);
  }

  // Reads the table in key order from where it stands and converts every record; returns
  // the number of records read. A read that fails ends the table, and its buffer is never
  // converted nor written.
  int ConvertRecords(const ConvertedTable& t, files::KeyedFile& file, uint8_t* record) {
    int count = 0;
    for (;;) {
      if (file.Eof()) {
        if (file.Code() != files::kNoError) FileError(t, file);
        return count;
      }
      if (file.Next() != files::kNoError) {
        FileError(t, file);
        return count;
      }
      ++count;
      const bool repaint = count == 1 || RepaintDue();
      if (repaint) {
        Status("  --> Procesando " + t.progress(record));
        window_.Display(kStatusLine);
      }
      ConvertRecord(t, file, record, repaint);
      ui::Yield();
    }
  }

  // Converts every amount of the record in the buffer and writes it back. A record with a
  // damaged amount is not written, so that it keeps all its values.
  void ConvertRecord(const ConvertedTable& t, files::KeyedFile& file, uint8_t* record, bool repaint) {
    bool damaged = false;
    for (const catalogue::FieldRef& f : t.amounts) {
      damaged = !ConvertAmountField(record + f.offset, f.digits) || damaged;
    }
    std::string error;
    if (damaged) {
      error = "un monto del registro está dañado; el registro no se modificó";
    } else if (file.Put() != files::kNoError) {
      error = file.Text();
    } else {
      return;
    }
    const std::string line = t.error_prefix + t.record_text(record) + t.separator + error;
    Status(line);
    AddLog(line);
    if (repaint || RepaintDue()) window_.Display();
  }

  // A failed open, positioning, read or close: the table's error prefix and the file
  // layer's account of it, which names the file.
  void FileError(const ConvertedTable& t, const files::KeyedFile& file) {
    const std::string line = t.error_prefix + file.Detail();
    AddLog(line);
    Status(line);
    window_.Display();
  }

  void ArchivoVacio() {
    const std::string line = "   <--- ARCHIVO VACIO --->";
    AddLog(line);
    Status(line);
    window_.Display();
  }

  // PAR:RECONVERSION 0, the new factor and currency name in the parameters record. A
  // record that cannot be read is not written: the write would land on whatever record
  // was read last.
  void UpdateParameters() {
    files::KeyedFile& file = *catalogue::FileOf(catalogue::Table::ParameML);
    uint8_t* record = catalogue::RecordOf(catalogue::Table::ParameML);
    if (ReadParameters()) {
      record[catalogue::PAR::RECONVERSION.offset] = 0;
      const bool stored = runtime::StoreDecimalField(record + FACTORCONVERSION.offset, FACTORCONVERSION.digits,
                                                     FACTORCONVERSION.places, runtime::Decimal::FromInt(kNewFactor));
      runtime::WriteCStringField(record + NOMBREMONEDA.offset, NOMBREMONEDA.size, kNewCurrency);
      if (stored && file.Put() == files::kNoError) return;
    }
    Status("Ha ocurrido un error actualizando PARAMEML -->" + std::string(file.Text()));
    window_.Display(kStatusLine);
  }

  void AddLog(std::string_view line) { loc_.log.emplace_back(runtime::Left(line, kLogLineSize)); }
  void Status(std::string_view line) { loc_.mensabase = runtime::Left(line, kStatusSize); }

  bool RepaintDue() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_repaint_ < kRepaintInterval) return false;
    last_repaint_ = now;
    return true;
  }

  Locals& loc_;
  ui::Window& window_;
  std::chrono::steady_clock::time_point last_repaint_{};
};

// The parameters record already holds the new currency and factor: a run now would
// divide the converted amounts once more.
bool AlreadyConverted() {
  if (!ReadParameters()) return false;
  const uint8_t* record = catalogue::RecordOf(catalogue::Table::ParameML);
  const std::string currency = runtime::ReadCStringField(record + NOMBREMONEDA.offset, NOMBREMONEDA.size);
  const std::optional<runtime::Decimal> factor = runtime::LoadDecimalField(
      record + FACTORCONVERSION.offset, FACTORCONVERSION.digits, FACTORCONVERSION.places);
  return runtime::Clip(currency) == kNewCurrency && factor == runtime::Decimal::FromInt(kNewFactor);
}

class EjecutaProcesoWindow : public library::ProcedureWindow {
 public:
  EjecutaProcesoWindow(Locals& loc, ui::Window& window, library::Toolbar& toolbar, library::ErrorManager& errors)
      : ProcedureWindow("EjecutaProceso", window, toolbar, errors), loc_(loc) {}

  int TakeAccepted() override {
    const int level = ProcedureWindow::TakeAccepted();
    switch (window().Accepted()) {
      case kRunButton:
        Update();
        if (Confirmed()) ConversionRun(loc_, window()).Run();
        break;
      case kCloseButton:
        Update();
        window().Post(ui::event::CloseWindow);
        break;
    }
    return level;
  }

 protected:
  void WindowOpened() override { window().Unhide(kRunButton); }

 private:
  static bool Confirmed() {
    if (ui::Message("¿Desea ejecutar este proceso?", "Confirmar, por favor...", ui::Icon::Question, "&Si|&No", 2) != 1) {
      return false;
    }
    return !AlreadyConverted() ||
           ui::Message("Los datos parecen convertidos ya: los parámetros tienen la moneda BsS y el factor "
                       "100000. Si se convierten otra vez, todos los montos se dividirán de nuevo. "
                       "¿Desea convertirlos otra vez?",
                       "Confirmar, por favor...", ui::Icon::Exclamation, "&Si|&No", 2) == 1;
  }

  Locals& loc_;
};

}  // namespace

void EjecutaProceso() {
  Locals loc;
  ui::Window window(EjecutaProcesoDescription(loc));
  library::Toolbar toolbar;
  EjecutaProcesoWindow manager(loc, window, toolbar, *ErrorManagerGlobal);
  library::ThreadWindowGlobals().ResponseGlobal = manager.Run();
}

}  // namespace app
