#include "platform/files/errors.h"

namespace files {

std::string_view ErrorText(int code) {
  switch (code) {
    case kNoError: return "";
    case kFileNotFound: return "File Not Found";
    case kPathNotFound: return "Path Not Found";
    case kAccessDenied: return "Access Denied";
    case kFileLocked: return "File Is Already Locked";
    case kRecordNotAvailable: return "Record Not Available";
    case kRecordNotFound: return "Record Not Found";
    case kFileNotOpen: return "File Not Open";
    case kDuplicateKey: return "Key Value Already Exists";
    case kRecordHeld: return "Record Is Already Held";
    case kLayoutMismatch: return "File Layout Does Not Match";
    case kFileAlreadyOpen: return "File Already Open";
    case kRecordChanged: return "Record Changed By Another Station";
    case kFileSystemError: return "File System Error";
  }
  return "Unknown Error";
}

}  // namespace files
