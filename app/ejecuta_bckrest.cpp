#include "app/ejecuta_bckrest.h"

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

// One of the two jobs: the script's command line, its log, and the list that shows it.
struct Job {
  Direction direction;
  const char* command;
  const char* log_name;
  // Shown when the log cannot be opened; the two texts differ in their line break and
  // full stop, as the users know them.
  const char* missing_log_text;
  std::vector<std::string> EjecutaBCKRESTLocals::*list;
  // Heads the message that lists the files that failed the check after the script.
  const char* unsound_text;
};

constexpr Job kBackup = {
    Direction::Backup, "cmd.exe /c .\\RESBACK.BAT,1", "ReconverBCK.log",
    "No consigo el archivo \"ReconverBCK.log\".\r\nAbortando muestra del log",
    &EjecutaBCKRESTLocals::backup_list, "La copia de respaldo no es confiable:"};
constexpr Job kRestore = {
    Direction::Restore, "cmd.exe /c .\\RESREST.BAT,1", "ReconverREST.log",
    "No consigo el archivo \"ReconverREST.log\"\nAbortando muestra del log",
    &EjecutaBCKRESTLocals::restore_list, "La restauración no es confiable:"};

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
  int RunScript(const Job& job, int level);
  void MuestraLog(const Job& job);
  void ReportDamage(const Job& job, const std::vector<std::string>& paths);
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

// The window waits for the script with the wait cursor. A command processor that cannot
// be started ends the window (Fatal); a script that fails leaves the lists as they were.
// Nothing runs while a copy to restore is damaged or another station has a file open;
// the files stay held against other stations until the script has ended.
int EjecutaBCKRESTWindow::RunScript(const Job& job, int level) {
  Update();
  ui::SetCursor(ui::Cursor::Wait);
  const CopyPlan plan = PlanCopy(job.direction, log_folder_);
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
  const runtime::CommandResult result = runtime::RunCommand(job.command);
  quiet.Release();
  if (result.exit_code == 0) {
    MuestraLog(job);
    ReportDamage(job, plan.check_after);
  } else if (result.exit_code == runtime::kCommandNotStarted) {
    ui::Message(result.error_text, "Problemas");
    level = library::kLevelFatal;
  }
  ui::SetCursor(ui::Cursor::Normal);
  return level;
}

// Every file that fails the check gets a line below the log's, and the window says the
// copy is not to be relied on.
void EjecutaBCKRESTWindow::ReportDamage(const Job& job, const std::vector<std::string>& paths) {
  const std::vector<std::string> damaged = DamageLines(paths);
  if (damaged.empty()) return;
  std::vector<std::string>& list = loc_.*job.list;
  std::string text = job.unsound_text;
  for (const std::string& line : damaged) {
    list.push_back(runtime::FitString(line, kLogLineWidth));
    text += "\n" + line;
  }
  window().Display();
  ui::Message(text, "Problema", ui::Icon::Error);
}

// MuestraLogCopia and MuestraLogRestaura: the list shows exactly the lines of the log
// as it is now. The log's name is not cut to a fixed length, so that a program folder
// with a long path still shows its logs.
void EjecutaBCKRESTWindow::MuestraLog(const Job& job) {
  const std::string log_file = runtime::JoinPath(log_folder_, job.log_name);
  std::vector<std::string>& list = loc_.*job.list;
  list.clear();
  window().Display();
  if (reader_.Init(log_file) != 0) {
    ui::Message(job.missing_log_text, "Problema", ui::Icon::Error);
    return;
  }
  std::string line;
  while (reader_.GetNextLine(&line, kLineBufferSize) == 0) {
    list.push_back(runtime::FitString(line, kLogLineWidth));
  }
  reader_.Close();
  Pausa(1);
  if (list.empty()) ui::Message("No conseguí registros en: " + log_file, "CUENTA");
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
