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
#include "platform/runtime/picture.h"

namespace app {

SuiteProgress ReadSuiteProgress() {
  std::vector<files::KeyedFile::Progress> found;
  for (const ConvertedTable& t : ConvertedTables()) {
    files::KeyedFile& file = *catalogue::FileOf(t.key.table);
    files::KeyedFile::Progress progress;
    if (file.Open(catalogue::DiskName(t.key.table), files::kReadWriteDenyNone) == files::kNoError) {
      if (file.ReadProgress(&progress) != files::kNoError) progress = {};
      file.Close();
    }
    found.push_back(progress);
  }
  SuiteProgress suite;
  for (const files::KeyedFile::Progress& p : found) suite.pass = std::max(suite.pass, p.pass);
  if (suite.pass.empty()) return suite;
  suite.tables_complete = true;
  for (const files::KeyedFile::Progress& p : found) {
    if (p.pass == suite.pass) suite.converted += p.marked;
    suite.tables_complete = suite.tables_complete && p.pass == suite.pass && p.complete;
  }
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
