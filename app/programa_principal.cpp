#include "app/programa_principal.h"

#include "app/data_paths.h"
#include "app/full_window_drag.h"
#include "app/globals.h"
#include "app/screen.h"
#include "app/suite_checks.h"
#include "app/suite_settings.h"
#include "catalogue/catalogue.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/single_instance.h"

namespace app {

void ProgramaPrincipal(WindowProcedure main_window) {
  FuzzyMatcherGlobal->Init();
  FuzzyMatcherGlobal->SetOption(library::FuzzyMatcher::kNoCase, true);
  FuzzyMatcherGlobal->SetOption(library::FuzzyMatcher::kWordOnly, false);

  IniStoreGlobal->Init(kProgramSettingsFile);

  catalogue::CatalogInit(*ErrorManagerGlobal);

  screen::SetApplicationIcon("price-cut-save.ico");

  if (!runtime::CreateUniqueEvent(kProgramFileName)) {
    screen::BeepExclamation();
    screen::YieldOnce();
    screen::ShowInformation("El programa ya está ejecutandose..", "Oh no...");
    Halt(0);
  }

  screen::SetBusyCursor(true);
  // A folder that does not fit its variable stops the program: cut, it would name
  // another folder, and the program would read or create files there. So does a suite
  // whose settings, data folder, users or parameters cannot be used: every window would
  // find nothing there.
  std::string refusal = SetDataRoot();
  const std::string settings_file = runtime::JoinPath(GLO::RUTAPROG, kSuiteSettingsFile);
  if (refusal.empty()) refusal = CheckSettingsFile(settings_file);
  if (refusal.empty()) refusal = ReadSuiteSettings(settings_file);
  if (refusal.empty()) refusal = CheckDataFolder(settings_file);
  if (refusal.empty()) refusal = NameDiskFiles();
  if (refusal.empty()) refusal = CheckMainTables();
  screen::SetBusyCursor(false);
  if (!refusal.empty()) {
    screen::ShowError(refusal, "Problema");
    Halt(1);
  }

  {
    const FullWindowDragOff drag_off;
    main_window();
  }

  IniStoreGlobal->Kill();
  FuzzyMatcherGlobal->Kill();
}

}  // namespace app
