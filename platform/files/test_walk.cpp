#include "platform/files/test_walk.h"

#include "platform/files/errors.h"

namespace files::test {

int VisitRecords(KeyedFile& file, int key, const std::function<void()>& visit) {
  int failed = file.SetStart(key);
  if (failed != kNoError) return failed;
  while (!file.Eof()) {
    if (const int rc = file.Next(); rc != kNoError) {
      failed = rc;
      if (!file.PositionKnown()) break;
      continue;
    }
    visit();
  }
  return failed != kNoError ? failed : file.Code();
}

}  // namespace files::test
