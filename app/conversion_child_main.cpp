// A second process for the conversion run's tests: a run that is killed at a chosen
// point, and a station that keeps a table's file in a write.
//
//   conversion_child run FOLDER POINT   runs the conversion over the suite in FOLDER (the
//       files <label>.VQF, the log in FOLDER/CopiasREC), answering "Si", and kills itself
//       at POINT:  yield:N       after the Nth record
//                  status:TEXT   when the status line first shows TEXT
//                  message:TEXT  when a message box shows TEXT
//       Each record takes a millisecond, as a repaint would, so that a table's writes
//       span several commits.
//   conversion_child hold PATH [EXCLUSIVE]   opens PATH with SQLite and keeps a write open
//       on it (with EXCLUSIVE, one that keeps readers out too); prints "held" once it has it.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "app/conversion_tables.h"
#include "app/ejecuta_proceso.h"
#include "app/globals.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "catalogue/modules.h"
#include "catalogue/table_managers.h"
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
  return 2;  // the point was never reached
}

int Hold(const char* path, bool exclusive) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path, &db) != SQLITE_OK ||
      sqlite3_exec(db, exclusive ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "run") == 0) return Run(argv[2], argv[3]);
  if (argc == 3 && std::strcmp(argv[1], "hold") == 0) return Hold(argv[2], false);
  if (argc == 4 && std::strcmp(argv[1], "hold") == 0 && std::strcmp(argv[3], "EXCLUSIVE") == 0) {
    return Hold(argv[2], true);
  }
  std::fprintf(stderr, "usage: conversion_child run FOLDER POINT | hold PATH [EXCLUSIVE]\n");
  return 64;
}
