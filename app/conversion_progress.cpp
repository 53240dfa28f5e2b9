#include "app/conversion_progress.h"

#include <chrono>
#include <cstdio>
#include <ctime>
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
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%06lld", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<long long>(micros));
  return text;
}

std::string PassStartText(const std::string& pass) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  if (std::sscanf(pass.c_str(), "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute) != 5) return pass;
  return runtime::FormatDate(runtime::DayNumber({year, month, day}), "D06") + " a las " +
         runtime::FormatTime(runtime::ClockValue({hour, minute, 0, 0}), "T3");
}

}  // namespace app
