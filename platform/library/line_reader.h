// The class library's reader of line-text files: opens a text file through the line-text
// driver and hands its lines over one at a time, as UTF-8 text.
//
// A line that is valid UTF-8 is taken as UTF-8, any other line as code page 1252. The
// logs this reader shows are ASCII apart from file names, which the scripts write as the
// file system holds them: code page 1252 on Windows, UTF-8 elsewhere; both read right.
// (A code page 1252 line whose accented letters happen to form valid UTF-8, such as "Ã©",
// is read as UTF-8; no log line looks like that.)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/files/line_file.h"

namespace library {

class LineReader {
 public:
  // Opens the file for reading, closing any file this reader still holds. The open is
  // tried up to 50 times in a row, since the writer may not have let go of the file yet.
  // Returns 0 when the file is open, the driver's error code when it cannot be opened.
  int Init(std::string_view file_name);

  // The next line into `buffer`, cut to size - 1 characters. Returns 0 for a line,
  // nonzero at the end of the file or on an error (no file open included).
  int GetNextLine(std::string* buffer, size_t size);

  // Closes the file when one is open; the destructor does the same.
  void Close();

 private:
  files::LineFile file_;
};

}  // namespace library
