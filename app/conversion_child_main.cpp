// A second process for the conversion run's tests: a run that is killed at a chosen
// point or meets a failing disk, and the whole program.
//
//   conversion_child run FOLDER POINT [FAULT]   runs the conversion over the suite in
//       FOLDER (the files <label>.VQF, the log in FOLDER/CopiasREC), answering "Si", and
//       kills itself at POINT:  yield:N       after the Nth record
//                               status:TEXT   when the status line first shows TEXT
//                               message:TEXT  when a message box shows TEXT
//       or, with POINT "end", runs to the end and exits with 0. Each record takes a
//       millisecond, as a repaint would, so that a table's writes span several commits.
//   conversion_child program FOLDER [FAULT]   the whole program in the suite FOLDER (its
//       program folder FOLDER/Dinarvex): logs in as DEMO, runs the conversion, closes its
//       window and leaves through the exit question; exits with the program's code.
//   FAULT is KIND FILE NTH: the files whose path ends with FILE meet KIND (full-disk,
//       write-error, sync-error or read-only) on their NTH write (or sync), on every one
//       when NTH is 0.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/conversion_tables.h"
#include "app/ejecuta_proceso.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/program_run.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/modules.h"
#include "catalogue/table_managers.h"
#include "platform/files/fault_vfs.h"
#include "platform/runtime/test_support.h"
#include "platform/ui/headless/headless_backend.h"

namespace {

class DyingBackend : public ui::HeadlessBackend {
 public:
  explicit DyingBackend(std::string point) : point_(std::move(point)) {}

  void Show(ui::Window& window, int control) override {
    HeadlessBackend::Show(window, control);
    const ui::ShownWindow* shown = Shown("Dinarvex$Dinvx004");
    if (shown != nullptr && Is("status:", shown->Control("?LOC:MENSABASE").text)) runtime::test::KillThisProcess();
  }
  void Yield() override {
    HeadlessBackend::Yield();
    if (Is("yield:", std::to_string(yields()))) runtime::test::KillThisProcess();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  int Message(const ui::MessageBox& box) override {
    if (Is("message:", box.text)) runtime::test::KillThisProcess();
    return HeadlessBackend::Message(box);
  }

 private:
  bool Is(const std::string& kind, const std::string& value) const { return point_ == kind + value; }
  std::string point_;
};

using files::test::FaultVfs;

// Installs the fault that argv[first..first+2] name; false when they name none.
bool SetFault(FaultVfs& vfs, int argc, char** argv, int first) {
  if (argc == first) return true;
  if (argc != first + 3) return false;
  const std::string kind = argv[first];
  FaultVfs::Fault fault;
  if (kind == "full-disk") fault = FaultVfs::Fault::kFullDisk;
  else if (kind == "write-error") fault = FaultVfs::Fault::kWriteError;
  else if (kind == "sync-error") fault = FaultVfs::Fault::kSyncError;
  else if (kind == "read-only") fault = FaultVfs::Fault::kReadOnly;
  else return false;
  const int nth = std::atoi(argv[first + 2]);
  if (nth == 0) vfs.Fail(argv[first + 1], fault);
  else vfs.FailNth(argv[first + 1], fault, nth);
  return true;
}

int Run(const std::filesystem::path& folder, const std::string& point) {
  using catalogue::Table;
  app::ErrorManagerGlobal.emplace();
  catalogue::CatalogInit(*app::ErrorManagerGlobal);
  std::vector<Table> tables{Table::ParameML};
  for (const app::ConvertedTable& t : app::ConvertedTables()) tables.push_back(t.key.table);
  for (Table table : tables) {
    catalogue::SetDiskName(table, (folder / (std::string(catalogue::Def(table).label) + ".VQF")).string());
  }
  std::filesystem::current_path(folder);
  if (catalogue::RelationManagerOf(Table::ParameML)->Open() != 0) return 1;
  DyingBackend screen(point);
  screen.Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar");
  app::EjecutaProceso();
  if (point == "end") return 0;
  return 2;  // the point was never reached
}

int Program(const std::filesystem::path& folder) {
  std::filesystem::current_path(folder / "Dinarvex");
  ui::HeadlessBackend screen;
  screen.Type("?GLO:CODUSER", "DEMO").Tab().Type("?LOC:CLAVE", "demo123").Tab().Click("?BTN_INICIAR");
  screen.Click("?BTN_PROCESO").Click("?BTN_EJECUTAR").Answer("Si").Answer("Aceptar").CloseBox();
  screen.Click("?SALIR").Answer("Si");
  return app::RunProgram(&app::Main);
}

}  // namespace

int main(int argc, char** argv) {
  FaultVfs vfs;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "run" && argc >= 4 && SetFault(vfs, argc, argv, 4)) return Run(argv[2], argv[3]);
  if (mode == "program" && argc >= 3 && SetFault(vfs, argc, argv, 3)) return Program(argv[2]);
  std::fprintf(stderr, "usage: conversion_child run FOLDER POINT [FAULT] | program FOLDER [FAULT]\n");
  return 64;
}
