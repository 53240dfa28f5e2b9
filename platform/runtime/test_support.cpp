#include "platform/runtime/test_support.h"

#include <utility>

namespace runtime::test {

std::string ChildProcess::ReadLine() {
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    char buffer[256];
    const size_t n = ReadSome(buffer, sizeof buffer);
    if (n == 0) return std::exchange(pending_, {});
    pending_.append(buffer, n);
  }
}

}  // namespace runtime::test
