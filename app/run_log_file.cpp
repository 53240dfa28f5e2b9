#include "app/run_log_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/runtime/cp1252.h"

namespace app {

constexpr const char* kFolder = "CopiasREC";
constexpr const char* kPath = "CopiasREC/ReconverPROC.log";

RunLogFile::~RunLogFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool RunLogFile::Open() {
  std::error_code ignored;
  std::filesystem::create_directories(kFolder, ignored);
  file_ = std::fopen(kPath, "ab");
  if (file_ == nullptr) error_ = std::string("No se puede escribir ") + kPath + " (" + std::strerror(errno) + ")";
  return file_ != nullptr;
}

void RunLogFile::Append(std::string_view line) {
  if (file_ == nullptr) return;
  const std::string bytes = runtime::Utf8ToCp1252(line) + "\r\n";
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  std::fflush(file_);
}

}  // namespace app
