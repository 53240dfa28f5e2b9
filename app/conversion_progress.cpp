#include "app/conversion_progress.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "app/conversion_tables.h"
#include "catalogue/catalogue.h"
#include "catalogue/disk_names.h"
#include "platform/files/errors.h"
#include "platform/files/keyed_file.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/picture.h"

namespace app {

namespace {

// What a table's file says of the passes over it.
struct TableProgress {
  const ConvertedTable* table = nullptr;
  bool missing = false;         // no file: an empty table
  std::string unreadable;       // why the file could not be read; empty when it was
  files::KeyedFile::Progress progress;
};

TableProgress ReadTableProgress(const ConvertedTable& t) {
  TableProgress found;
  found.table = &t;
  files::KeyedFile& file = *catalogue::FileOf(t.key.table);
  if (file.Open(catalogue::DiskName(t.key.table), files::kReadWriteDenyNone) != files::kNoError) {
    found.missing = file.Code() == files::kFileNotFound;
    if (!found.missing) found.unreadable = file.Detail();
    return found;
  }
  if (file.ReadProgress(&found.progress) != files::kNoError) {
    found.unreadable = file.Detail();
    found.progress = {};
  }
  file.Close();
  return found;
}

// Why the pass `pass` has not finished the table; empty when it has.
std::string Unfinished(const TableProgress& found, const std::string& pass) {
  if (found.missing) return "";
  if (!found.unreadable.empty()) return found.unreadable;
  const files::KeyedFile::Progress& p = found.progress;
  if (p.pass != pass) {
    return "sin convertir: la conversión no llegó a esta tabla o no pudo escribir en ella";
  }
  if (p.complete) return "";
  if (p.left < 0) return "la conversión no terminó esta tabla";
  if (p.left == 1) return "1 registro quedó sin convertir (no se pudo leer o escribir)";
  return std::to_string(p.left) + " registros quedaron sin convertir (no se pudieron leer o escribir)";
}

}  // namespace

SuiteProgress ReadSuiteProgress() {
  std::vector<TableProgress> found;
  for (const ConvertedTable& t : ConvertedTables()) found.push_back(ReadTableProgress(t));
  SuiteProgress suite;
  for (const TableProgress& f : found) suite.pass = std::max(suite.pass, f.progress.pass);
  if (suite.pass.empty()) return suite;
  for (const TableProgress& f : found) {
    if (f.progress.pass == suite.pass) suite.converted += f.progress.marked;
    const std::string why = Unfinished(f, suite.pass);
    if (why.empty()) continue;
    const std::string file = runtime::FileNameOf(catalogue::DiskName(f.table->key.table));
    suite.unfinished.push_back(std::string(f.table->name) + " (" + file + "): " + why);
  }
  suite.tables_complete = suite.unfinished.empty();
  return suite;
}

std::string NewPass() {
  const std::optional<runtime::CivilDate> date = runtime::DateOfDay(runtime::Today());
  const std::optional<runtime::TimeOfDay> time = runtime::TimeOfClock(runtime::Clock());
  if (!date || !time) return "0000-00-00 00:00:00.00";
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%02d", date->year, date->month, date->day,
                time->hour, time->minute, time->second, time->hundredths);
  return text;
}

std::string PassStartText(const std::string& pass) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  if (std::sscanf(pass.c_str(), "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute) != 5) return pass;
  return runtime::FormatDate(runtime::DayNumber({year, month, day}), "D06") + " a las " +
         runtime::FormatTime(runtime::ClockValue({hour, minute, 0, 0}), "T3");
}

}  // namespace app
