// A thorough check of a keyed record file, as a copy must pass before anyone relies on it.
#pragma once

#include <string>

namespace files {

// Opens the file read-only and checks it: SQLite's integrity check (every page, every
// index entry against its row), the layout table, and every record of the stored length.
// 0 when sound; 2 when missing; else 90, with a sentence for the user in `detail` that
// names the file and the first fault found.
int CheckRecordFile(const std::string& path, std::string* detail);

}  // namespace files
