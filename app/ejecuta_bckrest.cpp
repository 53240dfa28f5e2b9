#include "app/ejecuta_bckrest.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/amount_conversion.h"
#include "app/backup_areas.h"
#include "app/ejecuta_bckrest_def.h"
#include "app/ejecuta_proceso.h"
#include "app/globals.h"
#include "app/pausa.h"
#include "platform/library/line_reader.h"
#include "platform/library/window_manager.h"
#include "platform/runtime/command.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/picture.h"
#include "platform/runtime/text.h"
#include "platform/ui/backend.h"

namespace app {
namespace {

// A line as the reader hands it over: at most 256 characters.
constexpr size_t kLineBufferSize = 257;

// A window opened with request 4 closes as cancelled. Nothing opens it so: its close
// button completes.
constexpr uint8_t kCancellingRequest = 4;

// On Windows a script runs in a console window of its own, which waits for a key at its end.
#ifdef _WIN32
#define DINARVEX_SCRIPT_WINDOW " en su propia ventana; al terminar, esa ventana pide pulsar una tecla."
#else
#define DINARVEX_SCRIPT_WINDOW "."
#endif

// One of the two jobs: the script's command line, its log, and the list that shows it.
struct Job {
  Direction direction;
  const char* command;
  const char* script;
  const char* log_name;
  // Shown when the log cannot be opened; the two texts differ in their line break and
  // full stop, as the users know them.
  const char* missing_log_text;
  std::vector<std::string> EjecutaBCKRESTLocals::*list;
  // The list's line while the script runs.
  const char* running_text;
  // Heads the message that lists the files that failed the check after the script.
  const char* unsound_text;
};

constexpr Job kBackup = {
    Direction::Backup, "cmd.exe /c .\\RESBACK.BAT,1", "RESBACK.BAT", "ReconverBCK.log",
    "No consigo el archivo \"ReconverBCK.log\".\r\nAbortando muestra del log",
    &EjecutaBCKRESTLocals::backup_list, "La copia de respaldo está en curso" DINARVEX_SCRIPT_WINDOW,
    "La copia de respaldo no es confiable:"};
constexpr Job kRestore = {
    Direction::Restore, "cmd.exe /c .\\RESREST.BAT,1", "RESREST.BAT", "ReconverREST.log",
    "No consigo el archivo \"ReconverREST.log\"\nAbortando muestra del log",
    &EjecutaBCKRESTLocals::restore_list, "La restauración está en curso" DINARVEX_SCRIPT_WINDOW,
    "La restauración no es confiable:"};

// ", del 11/12/2026 a las 10:35" for the backup log's last write, which the last backup
// made; empty when there is no log.
std::string BackupDate(const std::string& log_folder) {
  std::error_code error;
  const std::string log = runtime::JoinPath(log_folder, kBackup.log_name);
  const auto written = std::filesystem::last_write_time(runtime::PathOf(log), error);
  if (error) return {};
  const std::time_t seconds =
      std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
  const std::tm* local = std::localtime(&seconds);
  if (local == nullptr) return {};
  char text[40];
  std::strftime(text, sizeof text, ", del %d/%m/%Y a las %H:%M", local);
  return text;
}

class EjecutaBCKRESTWindow : public library::ProcedureWindow {
 public:
  EjecutaBCKRESTWindow(EjecutaBCKRESTLocals& loc, ui::Window& window, library::Toolbar& toolbar,
                       library::LineReader& reader)
      : ProcedureWindow("EjecutaBCKREST", window, toolbar, *ErrorManagerGlobal),
        loc_(loc),
        reader_(reader) {}

  int TakeAccepted() override;

 protected:
  void PrepareWindow() override;

 private:
  bool RestoreConfirmed();
  int RunScript(const Job& job, int level);
  void MuestraLog(const Job& job, bool report_missing_log);
  void ReportFaults(const Job& job, const std::vector<std::string>& faults);
  void Calc();

  EjecutaBCKRESTLocals& loc_;
  library::LineReader& reader_;
  std::string log_folder_;
};

void EjecutaBCKRESTWindow::PrepareWindow() {
  loc_.BACKUP = runtime::FitString(kBackupHelp, 2000);
  loc_.RESTORE = runtime::FitString(kRestoreHelp, 2000);
  log_folder_ = runtime::JoinPath(runtime::CurrentFolder(), kBackupFolder);
  AddButtonAction(kCloseButton, REQUEST == kCancellingRequest ? library::kRequestCancelled
                                                              : library::kRequestCompleted);
}

// A restore overwrites the live data of all three areas at once: the user says so first.
bool EjecutaBCKRESTWindow::RestoreConfirmed() {
  const std::string question =
      "Los datos de las áreas administrativa, contable y de nómina se reemplazarán por la copia de "
      "respaldo de CopiasREC" + BackupDate(log_folder_) + ".\n¿Desea restaurar la copia?";
  return ui::Message(question, "Confirmar, por favor...", ui::Icon::Exclamation, "&Si|&No", 2) == 1;
}

// The window waits for the script with the wait cursor. A command processor that cannot
// be started ends the window (Fatal). Nothing runs while a copy to restore is damaged or
// another station has a file open; the files stay held against other stations until the
// script has ended. Then every file the script was to copy must stand whole and sound,
// and the script must end with exit code 0; else the window says the result is not to be
// relied on and names why.
int EjecutaBCKRESTWindow::RunScript(const Job& job, int level) {
  Update();
  if (job.direction == Direction::Restore && !RestoreConfirmed()) return level;
  ui::SetCursor(ui::Cursor::Wait);
  CopyPlan plan = PlanCopy(job.direction, log_folder_);
  std::string refusal;
  if (const std::vector<std::string> damaged = DamageLines(plan.check_before); !damaged.empty()) {
    refusal = "La copia de respaldo está dañada y no se restauró nada:";
    for (const std::string& line : damaged) refusal += "\n" + line;
  }
  QuietFiles quiet;
  if (refusal.empty()) {
    CloseOwnRecordFiles();
    refusal = quiet.Take(plan.quiet);
  }
  if (!refusal.empty()) {
    ui::Message(refusal, "Problema", ui::Icon::Error);
    ui::SetCursor(ui::Cursor::Normal);
    return level;
  }
  MeasureSources(&plan.copies);
  loc_.*job.list = {runtime::FitString(job.running_text, kLogLineWidth)};
  window().Display();
  const runtime::CommandResult result = runtime::RunCommand(job.command);
  quiet.Release();
  if (result.exit_code == runtime::kCommandNotStarted) {
    ui::Message(result.error_text, "Problemas");
    ui::SetCursor(ui::Cursor::Normal);
    return library::kLevelFatal;
  }
  MuestraLog(job, result.exit_code == 0);
  std::vector<std::string> faults = CopyFaults(plan.copies);
  if (result.exit_code != 0) {
    faults.push_back(std::string(job.script) + " terminó con el código " + std::to_string(result.exit_code) +
                     "; su registro dice qué no se copió.");
  }
  ReportFaults(job, faults);
  ui::SetCursor(ui::Cursor::Normal);
  return level;
}

// Every fault gets a line below the log's, and the window says the result is not to be
// relied on.
void EjecutaBCKRESTWindow::ReportFaults(const Job& job, const std::vector<std::string>& faults) {
  if (faults.empty()) return;
  std::vector<std::string>& list = loc_.*job.list;
  std::string text = job.unsound_text;
  for (const std::string& line : faults) {
    list.push_back(runtime::FitString(line, kLogLineWidth));
    text += "\n" + line;
  }
  window().Display();
  ui::Message(text, "Problema", ui::Icon::Error);
}

// MuestraLogCopia and MuestraLogRestaura: the list shows exactly the lines of the log
// as it is now. The log's name is not cut to a fixed length, so that a program folder
// with a long path still shows its logs. After a script that failed, a missing or empty
// log goes unremarked: the failure's own message follows.
void EjecutaBCKRESTWindow::MuestraLog(const Job& job, bool report_missing_log) {
  const std::string log_file = runtime::JoinPath(log_folder_, job.log_name);
  std::vector<std::string>& list = loc_.*job.list;
  list.clear();
  window().Display();
  if (reader_.Init(log_file) != 0) {
    if (report_missing_log) ui::Message(job.missing_log_text, "Problema", ui::Icon::Error);
    return;
  }
  std::string line;
  while (reader_.GetNextLine(&line, kLineBufferSize) == 0) {
    list.push_back(runtime::FitString(line, kLogLineWidth));
  }
  reader_.Close();
  Pausa(1);
  if (list.empty() && report_missing_log) ui::Message("No conseguí registros en: " + log_file, "CUENTA");
  window().Display();
}

// The typed amount goes through the amount conversion as the conversion run hands it a
// field: the text of its double value.
void EjecutaBCKRESTWindow::Calc() {
  Update();
  const std::string converted = ConvierteMonto(runtime::RealToText(loc_.MONTOX.ToDouble()));
  // "Error" stays "Error" rather than showing as an amount of zero.
  const auto value = runtime::Decimal::Parse(converted);
  loc_.MONTOS = runtime::FitString(value ? runtime::FormatNumber(*value, "n-15.2") : converted, 20);
  window().Display();
}

int EjecutaBCKRESTWindow::TakeAccepted() {
  const int level = WindowManager::TakeAccepted();
  switch (window().Accepted()) {
    case kBackupButton: return RunScript(kBackup, level);
    case kRestoreButton: return RunScript(kRestore, level);
    case kConversionButton:
      Update();
      EjecutaProceso();
      Reset(false);
      break;
    case kCalcButton: Calc(); break;
    default: break;
  }
  return level;
}

}  // namespace

void EjecutaBCKREST() {
  EjecutaBCKRESTLocals loc;
  ui::Window window(EjecutaBCKRESTDescription(loc));
  library::Toolbar toolbar;
  library::LineReader reader;
  EjecutaBCKRESTWindow manager(loc, window, toolbar, reader);
  library::ThreadWindowGlobals().ResponseGlobal = manager.Run();
}

}  // namespace app
