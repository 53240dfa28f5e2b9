#include "app/ejecuta_proceso.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/amount_conversion.h"
#include "app/conversion_progress.h"
#include "app/conversion_tables.h"
#include "app/ejecuta_proceso_def.h"
#include "app/globals.h"
#include "app/run_log_file.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/generated/fields.h"
#include "catalogue/modules.h"
#include "catalogue/table_managers.h"
#include "platform/files/errors.h"
#include "platform/library/window_manager.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/paths.h"
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

// What a run does: a new pass over the suite, or the continuation of the pass `pass`,
// which converts only the records it has not converted yet.
struct RunKind {
  std::string pass;
  bool continued = false;
};

// The run itself: the tables one after the other, the log list and the status line.
class ConversionRun {
 public:
  ConversionRun(Locals& loc, ui::Window& window, RunKind kind) : loc_(loc), window_(window), kind_(std::move(kind)) {}

  // EjecutaReconversion
  void Run() {
    loc_.log.clear();
    const bool logged = log_file_.Open();
    ui::SetCursor(ui::Cursor::Wait);
    const std::string start = "Comienza el proceso de reconversión monetaria...." + Now();
    Status(start);
    AddLog(start);
    if (!logged) AddLog("**** " + log_file_.error());
    if (kind_.continued) {
      AddLog("Continúa la conversión que comenzó el " + PassStartText(kind_.pass) +
             ": los registros que ya convirtió no se tocan");
    }
    window_.Display();
    ConvierteTablas();
    UpdateParameters();
  }

 private:
  void ConvierteTablas() {
    for (const ConvertedTable& table : ConvertedTables()) ConvertTable(table);
    for (const std::string& line : left_lines_) AddLog(line);
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
    // A table without a file is an empty table. A file that cannot be opened otherwise
    // (held by another station, damaged, of another layout) is left for a later run.
    if (file.Open(catalogue::DiskName(table), files::kReadWriteDenyNone) != files::kNoError) {
      FileError(t, file);
      if (file.Code() == files::kFileNotFound || file.Code() == files::kPathNotFound) {
        ArchivoVacio();
      } else {
        LeftUncounted(t, kConvertedLater);
      }
      return;
    }
    // A damaged file is found before anything is written into it: a walk by one key could
    // miss a row that its index lacks, or stop at a page that does not parse.
    if (file.CheckIntegrity() != files::kNoError) {
      FileError(t, file);
      LeftUncounted(t, "; repare el archivo y ejecute el proceso otra vez");
      file.Close();
      return;
    }
    // A table that another station keeps in a write, or that cannot be written at all (a
    // full disk, a file only to be read), is found here, once, and left for a later run:
    // each of its writes would otherwise wait or fail in vain.
    if (file.CheckNotHeldByAnotherStation() != files::kNoError || file.BeginProgress(kind_.pass) != files::kNoError) {
      FileError(t, file);
      CountLeft(t, file);
      if (file.Close() != files::kNoError) FileError(t, file);
      return;
    }
    // The walk starts at the start of the key, so that no record sorts below where it
    // begins; a table counts as empty only when the walk reached its end.
    bool empty = false;
    if (file.SetStart(t.key.index) == files::kNoError) {
      empty = ConvertRecords(t, file, record) == 0 && file.Code() == files::kNoError;
    } else {
      FileError(t, file);
    }
    CountLeft(t, file);
    if (empty) ArchivoVacio();
    if (file.Close() != files::kNoError) FileError(t, file);
  }

  // Reads the table in key order from where it stands and converts every record that the
  // pass has not converted yet; returns the number of records read. A record that cannot
  // be read gets its line and the walk goes on with the next one; a read that leaves the
  // position unknown ends the table. A failed read's buffer is never converted nor written.
  int ConvertRecords(const ConvertedTable& t, files::KeyedFile& file, uint8_t* record) {
    int count = 0;
    for (;;) {
      if (file.Eof()) {
        if (file.Code() == files::kNoError) return count;
        FileError(t, file);
        if (file.PositionKnown()) continue;
        return count;
      }
      if (file.Next() != files::kNoError) {
        FileError(t, file);
        if (file.PositionKnown()) continue;
        return count;
      }
      ++count;
      if (file.Marked()) continue;
      const bool repaint = count == 1 || RepaintDue();
      if (repaint) {
        Status("  --> Procesando " + t.progress(record));
        window_.Display(kStatusLine);
      }
      if (!ConvertRecord(t, file, record, repaint)) return count;
      ui::Yield();
    }
  }

  // Converts every amount of the record in the buffer and writes it back. A record with a
  // damaged amount is not written, so that it keeps all its values. False when the table
  // must end here: another station has taken the file, and every further write would wait
  // for it.
  bool ConvertRecord(const ConvertedTable& t, files::KeyedFile& file, uint8_t* record, bool repaint) {
    bool damaged = false;
    for (const catalogue::FieldRef& f : t.amounts) {
      damaged = !ConvertAmountField(record + f.offset, f.digits) || damaged;
    }
    std::string error;
    if (damaged) {
      error = "un monto del registro está dañado; el registro no se modificó";
    } else if (file.Put() != files::kNoError) {
      error = file.Detail();
    } else {
      return true;
    }
    const std::string line = t.error_prefix + t.record_text(record) + t.separator + error;
    Status(line);
    AddLog(line);
    if (repaint || RepaintDue()) window_.Display();
    return damaged || file.Code() != files::kFileLocked;
  }

  // Closes the table's run of the pass and keeps the line for the end of the log when
  // records are left unconverted.
  void CountLeft(const ConvertedTable& t, files::KeyedFile& file) {
    int64_t left = -1;
    if (file.EndProgress(&left) != files::kNoError) FileError(t, file);
    const std::string label = catalogue::Def(t.key.table).label;
    if (left == 1) {
      left_lines_.push_back("**** Quedó sin convertir 1 registro de " + label + kConvertedLater);
    } else if (left > 1) {
      left_lines_.push_back("**** Quedaron sin convertir " + std::to_string(left) + " registros de " + label +
                            kConvertedLater);
    } else if (left < 0) {
      LeftUncounted(t, kConvertedLater);
    }
  }

  // The line for the end of the log of a table whose unconverted records are not known,
  // with what to do about them.
  void LeftUncounted(const ConvertedTable& t, std::string_view next_step) {
    left_lines_.push_back("**** Quedaron sin convertir registros de " + std::string(catalogue::Def(t.key.table).label) +
                          ", que no pudieron contarse" + std::string(next_step));
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
      // Committed now: a write that is lost later would go unreported.
      if (stored && file.Put() == files::kNoError && file.Commit() == files::kNoError) return;
    }
    Status("Ha ocurrido un error actualizando PARAMEML -->" + std::string(file.Text()));
    window_.Display(kStatusLine);
  }

  // The log file takes the whole line: the list's width cuts long file names short.
  void AddLog(std::string_view line) {
    loc_.log.emplace_back(runtime::Left(line, kLogLineSize));
    log_file_.Append(line);
  }
  void Status(std::string_view line) { loc_.mensabase = runtime::Left(line, kStatusSize); }

  bool RepaintDue() {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_repaint_ < kRepaintInterval) return false;
    last_repaint_ = now;
    return true;
  }

  static constexpr const char* kConvertedLater = "; al ejecutar el proceso otra vez se convertirán";

  Locals& loc_;
  ui::Window& window_;
  const RunKind kind_;
  RunLogFile log_file_;
  std::vector<std::string> left_lines_;  // the tables' unconverted records, for the end
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
      case kRunButton: {
        Update();
        std::optional<RunKind> kind = Confirmed();
        if (kind) ConversionRun(loc_, window(), std::move(*kind)).Run();
        break;
      }
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
  // The run the person asks for, nothing when they decline. A pass the files show
  // unfinished (a table not walked to its end, records left unconverted, or the parameters
  // not written) is offered for continuing, before anything is written; the question on
  // converted data stays for a suite whose last pass converted everything.
  static std::optional<RunKind> Confirmed() {
    if (ui::Message("¿Desea ejecutar este proceso?", "Confirmar, por favor...", ui::Icon::Question, "&Si|&No", 2) != 1) {
      return std::nullopt;
    }
    const SuiteProgress progress = ReadSuiteProgress();
    const bool converted = AlreadyConverted();
    if (!progress.pass.empty() && !(progress.tables_complete && converted)) {
      std::string question = "La conversión anterior no terminó: comenzó el " + PassStartText(progress.pass) +
                             " y convirtió " + std::to_string(progress.converted) + " registros.\n";
      for (const std::string& line : progress.unfinished) question += line + "\n";
      if (!converted) {
        question += "parámetros (" + runtime::FileNameOf(catalogue::DiskName(catalogue::Table::ParameML)) +
                    "): aún no tienen la moneda BsS y el factor 100000\n";
      }
      question += "¿Desea continuarla? Solo se convertirán los registros que aún no se convirtieron.";
      if (ui::Message(question, "Confirmar, por favor...", ui::Icon::Exclamation, "&Si|&No", 1) != 1) {
        return std::nullopt;
      }
      return RunKind{progress.pass, true};
    }
    if (converted && ui::Message("Los datos parecen convertidos ya: los parámetros tienen la moneda BsS y el factor "
                                 "100000. Si se convierten otra vez, todos los montos se dividirán de nuevo. "
                                 "¿Desea convertirlos otra vez?",
                                 "Confirmar, por favor...", ui::Icon::Exclamation, "&Si|&No", 2) != 1) {
      return std::nullopt;
    }
    return RunKind{NewPass(), false};
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
