// Line-text files, read line by line: a line ends with CR LF (a lone LF ends one too, and
// its CR is dropped), tabs expand to the next multiple of 8 columns, a Ctrl-Z ends the
// file, trailing blanks are cut. Bytes come through unchanged (code page 1252).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/files/env.h"

namespace files {

class LineFile {
 public:
  // `env` outlives this object.
  explicit LineFile(Env* env = Env::Default()) : env_(env) {}
  ~LineFile();
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;

  // Tries the open up to `attempts` times, a short pause apart (the writer of the file may
  // not have let go of it yet). The file is only read.
  int Open(std::string_view path, int attempts);
  int Close();
  bool IsOpen() const { return file_ != nullptr; }

  // The next line into `line`, cut to `max_length` bytes; 33 at the end of the file.
  int ReadLine(std::string* line, size_t max_length);

  int Code() const { return code_; }
  std::string_view Text() const;

 private:
  // The next byte of the file into *c: 0, 33 at its end, or the read's error.
  int NextByte(char* c);

  Env* const env_;
  std::unique_ptr<SequentialFile> file_;
  std::string buffer_;  // read ahead of the line
  size_t taken_ = 0;    // bytes of buffer_ already taken
  bool ended_ = false;  // a Ctrl-Z or the end of the file was met
  int code_ = 0;
  std::string path_;
};

}  // namespace files
