#include "platform/files/line_file.h"

#include <chrono>
#include <thread>

#include "platform/files/errors.h"
#include "platform/files/os_file.h"

namespace files {
namespace {

constexpr char kCtrlZ = 0x1A;
constexpr size_t kTabWidth = 8;
constexpr auto kRetryPause = std::chrono::milliseconds(10);

}  // namespace

LineFile::~LineFile() {
  if (file_ != nullptr) fclose(file_);
}

int LineFile::Open(std::string_view path, int attempts) {
  if (file_ != nullptr) return code_ = kFileAlreadyOpen;
  path_ = path;
  for (int attempt = 1;; ++attempt) {
    int code = kNoError;
    file_ = OpenForReading(path_, &code);
    if (file_ != nullptr) break;
    if (attempt >= attempts) return code_ = code;
    std::this_thread::sleep_for(kRetryPause);
  }
  ended_ = false;
  return code_ = kNoError;
}

int LineFile::Close() {
  if (file_ == nullptr) return code_ = kFileNotOpen;
  fclose(file_);
  file_ = nullptr;
  return code_ = kNoError;
}

int LineFile::ReadLine(std::string* line, size_t max_length) {
  if (file_ == nullptr) return code_ = kFileNotOpen;
  line->clear();
  if (ended_) return code_ = kRecordNotAvailable;
  bool any = false;  // a line that holds nothing but its end still counts
  for (;;) {
    const int c = std::getc(file_);
    if (c == EOF || c == kCtrlZ) {
      if (c == EOF && ferror(file_)) return code_ = kFileSystemError;
      ended_ = true;
      if (!any) return code_ = kRecordNotAvailable;
      break;
    }
    any = true;
    if (c == '\n') break;
    if (c == '\t') {
      line->append(kTabWidth - line->size() % kTabWidth, ' ');
    } else {
      line->push_back(static_cast<char>(c));
    }
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  if (line->size() > max_length) line->resize(max_length);
  while (!line->empty() && line->back() == ' ') line->pop_back();
  return code_ = kNoError;
}

std::string_view LineFile::Text() const { return ErrorText(code_); }

}  // namespace files
