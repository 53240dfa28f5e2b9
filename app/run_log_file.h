// The conversion run's log on disk: CopiasREC/ReconverPROC.log in the program's folder,
// beside the backup and restore logs and written as they are (code page 1252, CR LF).
// Every line is handed to the system as it is written, so that a run that dies leaves a
// trace of how far it got; each run appends its lines after the earlier runs'.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace app {

class RunLogFile {
 public:
  RunLogFile() = default;
  ~RunLogFile();
  RunLogFile(const RunLogFile&) = delete;
  RunLogFile& operator=(const RunLogFile&) = delete;

  // Opens the log for appending, making its folder when missing; false with a sentence for
  // the user in error() when it cannot be written.
  bool Open();
  void Append(std::string_view line);
  const std::string& error() const { return error_; }

 private:
  std::FILE* file_ = nullptr;
  std::string error_;
};

}  // namespace app
