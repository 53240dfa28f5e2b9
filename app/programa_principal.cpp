#include "app/programa_principal.h"

#include "app/data_paths.h"
#include "app/full_window_drag.h"
#include "app/globals.h"
#include "app/screen.h"
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
  GLO::RUTAPROG = DataRoot();
  ReadSuiteSettings(runtime::JoinPath(GLO::RUTAPROG, kSuiteSettingsFile));
  NameDiskFiles();
  screen::SetBusyCursor(false);

  {
    const FullWindowDragOff drag_off;
    main_window();
  }

  IniStoreGlobal->Kill();
  FuzzyMatcherGlobal->Kill();
}

}  // namespace app
