#include "app/main_window.h"

#include <string>

#include "app/ejecuta_bckrest.h"
#include "app/ejecuta_proceso.h"
#include "app/globals.h"
#include "app/login_rights.h"
#include "app/main_window_def.h"
#include "app/pausa.h"
#include "app/suite_checks.h"
#include "catalogue/catalogue.h"
#include "catalogue/generated/fields.h"
#include "catalogue/record.h"
#include "catalogue/table_managers.h"
#include "platform/files/errors.h"
#include "platform/library/field_value.h"
#include "platform/library/window_manager.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/text.h"
#include "platform/ui/backend.h"

namespace app {
namespace {

using catalogue::Table;

constexpr const char* kProblem = "Problema...";

bool HoldsLoginRights() {
  for (const catalogue::FieldRef& right : kLoginRights) {
    if (catalogue::GetText(right) != "1") return false;
  }
  return true;
}

void ClearRecord(Table table) {
  library::ClearRecord(*catalogue::FileManagerOf(table)->layout(), catalogue::RecordOf(table));
}

class MainWindow : public library::ProcedureWindow {
 public:
  MainWindow(MainLocals& loc, ui::Window& window, library::Toolbar& toolbar)
      : ProcedureWindow("Main", window, toolbar, *ErrorManagerGlobal), loc_(loc) {}

  int TakeAccepted() override;
  int TakeSelected() override;

 protected:
  void PrepareWindow() override;
  void CloseFiles() override;

 private:
  void LeeEmpresa();
  void MuestraInfo();
  void Status(std::string text) { loc_.MENSAJE = runtime::FitCString(text, 111); }
  void FindUser();
  void CheckPassword();
  int ConfirmExit();
  void RunNested(void (*procedure)());

  MainLocals& loc_;
  // Set only by a lookup that found the user, and dropped when the user code is typed
  // again: the password is never compared against a record of an earlier lookup.
  bool user_found_ = false;
};

void MainWindow::PrepareWindow() {
  LeeEmpresa();
  MuestraInfo();
  catalogue::RelationManagerOf(Table::SecUsuML)->Open();
  catalogue::RelationManagerOf(Table::ParameML)->Open();
  FILESOPENED = 1;
}

void MainWindow::CloseFiles() {
  if (FILESOPENED == 0) return;
  catalogue::RelationManagerOf(Table::SecUsuML)->Close();
  catalogue::RelationManagerOf(Table::ParameML)->Close();
}

// The company name from the parameters record, holding the parameters table locked for
// at most one second while it reads, so that no other station changes it meanwhile.
void MainWindow::LeeEmpresa() {
  files::KeyedFile& file = *catalogue::FileOf(Table::ParameML);
  const int opened = file.Open(catalogue::FileManagerOf(Table::ParameML)->file_name()->Get(),
                               files::kReadWriteDenyNone);
  loc_.EMPRESA.clear();
  if (opened != files::kNoError && opened != files::kFileAlreadyOpen) {
    ui::Message(FileProblemText(file), kProblem);
    return;
  }
  if (file.Lock(1) == files::kFileLocked) {
    ui::Beep(ui::Sound::Beep);
    ui::Message("Archivo ParameML ha sido bloqueado por otra estación", kProblem);
    return;
  }
  catalogue::SetText(catalogue::PAR::CONTROL, "1");
  if (file.Get(catalogue::PAR::KEYPAR01.index) != files::kNoError) {
    ui::Message(FileProblemText(file), kProblem);
  } else {
    loc_.EMPRESA = runtime::FitCString(catalogue::GetText(catalogue::PAR::NOMBRE), 111);
  }
  file.Unlock();
}

// The suite folder is held as the program folder followed by ".." (GLO:RUTAPROG, in its
// short form); its long form is the folder that names. Both this and LeeEmpresa run before
// the window opens, which displays what they set.
void MainWindow::MuestraInfo() {
  loc_.INFOSTRING = runtime::FitString(kInfoText, 2000);
  GLO::RUTAPROGLONG = runtime::LongPath(GLO::RUTAPROG.value());
}

int MainWindow::TakeSelected() {
  const int level = WindowManager::TakeSelected();
  if (window().Field() == kUserCode) {
    ui::Window& w = window();
    w.Disable(kLogin);
    w.Disable(kBackup);
    w.Disable(kProcess);
    GLO::CODUSER = "";
    loc_.CLAVE.clear();
    user_found_ = false;
    w.Display();
  }
  return level;
}

// A users table that cannot be read (held by another station, damaged) is said so, with
// its file and cause: the user typed may well be registered.
void MainWindow::FindUser() {
  files::KeyedFile& file = *catalogue::FileOf(Table::SecUsuML);
  const int opened = file.Open(catalogue::FileManagerOf(Table::SecUsuML)->file_name()->Get(),
                               files::kReadWriteDenyNone);
  catalogue::SetText(catalogue::SEC::CODUSER, runtime::Left(GLO::CODUSER.value(), 10));
  const int code = opened != files::kNoError && opened != files::kFileAlreadyOpen
                       ? opened
                       : file.Get(catalogue::SEC::KEYSEC01.index);
  user_found_ = code == files::kNoError;
  if (!user_found_) {
    ClearRecord(Table::SecUsuML);
    ui::Beep(ui::Sound::Exclamation);
    if (code == files::kRecordNotFound) {
      Status("Ud. no está registrado como usuario");
    } else {
      Status("No se pudo leer el archivo de usuarios " + runtime::FileNameOf(file.Path()));
      ui::Message(FileProblemText(file), kProblem);
    }
    window().Select(kUserCode);
  } else {
    Status("Usuario registrado exitosamente");
  }
  window().Display();
}

void MainWindow::CheckPassword() {
  Update();
  ui::Window& w = window();
  const bool matches =
      user_found_ && runtime::EqualPadded(runtime::Upper(loc_.CLAVE),
                                          runtime::Upper(catalogue::GetText(catalogue::SEC::CLAVE)));
  if (!matches) {
    Status("La clave es incorrecta. Inténtelo de nuevo");
    loc_.CLAVE.clear();
    w.Display();
    w.Select(kPassword);
    return;
  }
  if (!HoldsLoginRights()) {
    Status("Inicio de sesión no autorizado");
    w.Display();
    w.Select(kUserCode);
    return;
  }
  Status("Inicio de sesión activado");
  w.Display();
  Pausa(2);
  w.Hide(kLoginGroup);
  w.Display();
  w.Unhide(kInfoGroup);
  w.Unhide(kBackup);
  w.Unhide(kProcess);
  Status("Opcione una operación debajo");
  w.Enable(kBackup);
  w.Enable(kProcess);
  w.Display();
  w.Select(kBackup);
}

int MainWindow::ConfirmExit() {
  Update();
  const int answer = ui::Message("¿Seguro desea salir de la aplicación?",
                                 "Confirmar, por favor...", ui::Icon::Question, "&Si|&No", 2);
  if (answer == 1) window().Post(ui::event::CloseDown);
  return answer == 2 ? library::kLevelNotify : library::kLevelBenign;
}

void MainWindow::RunNested(void (*procedure)()) {
  Update();
  procedure();
  Reset(false);
}

int MainWindow::TakeAccepted() {
  const int level = WindowManager::TakeAccepted();
  ui::Window& w = window();
  switch (w.Accepted()) {
    case kUserCode: FindUser(); break;
    case kPassword:
      Status("Pulse \"Iniciar sesión\" para validar");
      w.Display();
      w.Enable(kLogin);
      w.Select(kLogin);
      break;
    case kLogin: CheckPassword(); break;
    case kBackup: RunNested(&EjecutaBCKREST); break;
    case kProcess: RunNested(&EjecutaProceso); break;
    case kExit: return ConfirmExit();
    default: break;
  }
  return level;
}

}  // namespace

void Main() {
  MainLocals loc;
  ui::Window window(MainWindowDescription(loc));
  library::Toolbar toolbar;
  MainWindow manager(loc, window, toolbar);
  library::ThreadWindowGlobals().ResponseGlobal = manager.Run();
}

}  // namespace app
