// Error codes of the record-file drivers and their texts, as the suite's messages show them.
#pragma once

#include <string_view>

namespace files {

enum ErrorCode : int {
  kNoError = 0,
  kFileNotFound = 2,
  kPathNotFound = 3,
  kAccessDenied = 5,
  kFileLocked = 32,
  kRecordNotAvailable = 33,  // Next past the last record, Put without a current record
  kRecordNotFound = 35,
  kFileNotOpen = 37,
  kDuplicateKey = 40,
  kRecordHeld = 43,
  kLayoutMismatch = 47,      // the stored layout differs from the declaration
  kFileAlreadyOpen = 52,
  kRecordChanged = 89,
  kFileSystemError = 90,     // damaged file, failed write
};

// The text of a code ("File Not Found"); "Unknown Error" for a code without one.
std::string_view ErrorText(int code);

}  // namespace files
