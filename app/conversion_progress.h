// How far the conversion run got, as the tables' own files record it: each converted
// record is marked in its file in the same commit that writes it (see the progress tables
// in docs/record-format.md). A pass is one conversion of the whole suite, however many
// runs it takes; it is named by the moment its first run started.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

struct SuiteProgress {
  std::string pass;        // the latest pass found in the files; empty when none
  int64_t converted = 0;   // records that pass has converted
  bool tables_complete = false;  // every table walked to its end with nothing left undone
  // For each table the pass has not finished, a line that names it, its file and why
  // ("inventario (IVPROSER.VQF): 3 registros quedaron sin convertir (...)").
  std::vector<std::string> unfinished;
};

// Reads the progress of the run's sixteen tables through the catalogue's file instances,
// which it leaves closed. A table without a file is an empty table, which every run walks
// whole, as its log line says; a file that is there but cannot be read is not finished.
SuiteProgress ReadSuiteProgress();

// A new pass's name: the local time now, to the hundredth ("2026-12-10 19:30:14.12").
std::string NewPass();
// "10/12/2026 a las 07:30PM" for a pass's name.
std::string PassStartText(const std::string& pass);

}  // namespace app
