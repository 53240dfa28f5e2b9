// What the platforms' open files have in common (env_posix.cpp, env_windows.cpp): the
// path their errors are told for, the last system error, and the share that an open mode
// takes.
#pragma once

#include <string>

#include "platform/files/env.h"
#include "platform/files/errors.h"
#include "platform/files/keyed_file.h"

namespace files {

class SystemFile : public File {
 public:
  int TakeOpenShare(int mode) final { return Share(mode == kReadWriteDenyWrite); }
  int TakeSoleShare() final { return Share(true); }
  int SystemError() const final { return system_error_; }

 protected:
  explicit SystemFile(std::string path) : path_(std::move(path)) {}

  // The writers' byte, alone when `exclusive`, else shared; 5 when another holder's lock
  // excludes this one.
  virtual int Share(bool exclusive) = 0;

  int Fail(int error) {
    system_error_ = error;
    return CodeForSystemError(error, path_);
  }

  // Whatever the system says, a lock that failed is no refusal by another holder.
  int FailLock(int error) {
    system_error_ = error;
    return kFileSystemError;
  }

 private:
  const std::string path_;
  int system_error_ = 0;
};

}  // namespace files
