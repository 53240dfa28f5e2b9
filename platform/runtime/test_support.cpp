#include "platform/runtime/test_support.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "platform/runtime/paths.h"

namespace runtime::test {

// A name drawn at random, taken only by the process that creates the folder: creating a
// folder that exists fails on both platforms.
TestFolder::TestFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::filesystem::temp_directory_path() / ("dinarvex-test-" + std::to_string(random() % 1000000000));
    std::error_code error;
    if (std::filesystem::create_directory(path_, error)) return;
  }
  throw std::runtime_error("no temporary folder");
}

TestFolder::~TestFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TestFolder::In(const std::string& name) const {
  const std::u8string folder = path_.u8string();
  return JoinPath(std::string(folder.begin(), folder.end()), name);
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

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
