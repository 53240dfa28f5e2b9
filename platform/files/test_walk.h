// For the tests: every record of a keyed file in the order of one of its keys.
#pragma once

#include <functional>

#include "platform/files/keyed_file.h"

namespace files::test {

// Walks the open `file` by `key` from its first record and calls `visit` with each record
// in the file's record buffer. A damaged record that the walk can step past is left out;
// the walk ends where the file cannot be read on. Returns 0 when every record was read,
// else the code of the last read that failed.
int VisitRecords(KeyedFile& file, int key, const std::function<void()>& visit);

}  // namespace files::test
