#include "platform/files/line_file.h"

#include <chrono>
#include <thread>

#include "platform/files/errors.h"

namespace files {
namespace {

constexpr char kCtrlZ = 0x1A;
constexpr size_t kTabWidth = 8;
constexpr size_t kReadAhead = 16384;
constexpr auto kRetryPause = std::chrono::milliseconds(10);

}  // namespace

LineFile::~LineFile() = default;

int LineFile::Open(std::string_view path, int attempts) {
  if (file_ != nullptr) return code_ = kFileAlreadyOpen;
  path_ = path;
  for (int attempt = 1;; ++attempt) {
    const int code = env_->OpenForReading(path_, &file_);
    if (code == kNoError) break;
    if (attempt >= attempts) return code_ = code;
    std::this_thread::sleep_for(kRetryPause);
  }
  buffer_.clear();
  taken_ = 0;
  ended_ = false;
  return code_ = kNoError;
}

int LineFile::Close() {
  if (file_ == nullptr) return code_ = kFileNotOpen;
  file_.reset();
  return code_ = kNoError;
}

int LineFile::NextByte(char* c) {
  if (taken_ == buffer_.size()) {
    buffer_.resize(kReadAhead);
    size_t done = 0;
    const int rc = file_->Read(buffer_.data(), buffer_.size(), &done);
    buffer_.resize(rc == kNoError ? done : 0);
    taken_ = 0;
    if (rc != kNoError) return rc;
    if (done == 0) return kRecordNotAvailable;
  }
  *c = buffer_[taken_++];
  return kNoError;
}

int LineFile::ReadLine(std::string* line, size_t max_length) {
  if (file_ == nullptr) return code_ = kFileNotOpen;
  line->clear();
  if (ended_) return code_ = kRecordNotAvailable;
  bool any = false;  // a line that holds nothing but its end still counts
  for (;;) {
    char c = 0;
    const int rc = NextByte(&c);
    if (rc != kNoError && rc != kRecordNotAvailable) return code_ = rc;
    if (rc == kRecordNotAvailable || c == kCtrlZ) {
      ended_ = true;
      if (!any) return code_ = kRecordNotAvailable;
      break;
    }
    any = true;
    if (c == '\n') break;
    if (c == '\t') {
      line->append(kTabWidth - line->size() % kTabWidth, ' ');
    } else {
      line->push_back(c);
    }
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  if (line->size() > max_length) line->resize(max_length);
  while (!line->empty() && line->back() == ' ') line->pop_back();
  return code_ = kNoError;
}

std::string_view LineFile::Text() const { return ErrorText(code_); }

}  // namespace files
