#include "platform/runtime/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace runtime {
namespace {

std::string LockPath(std::string_view name) {
  const char* runtime_dir = std::getenv("XDG_RUNTIME_DIR");
  if (runtime_dir != nullptr && runtime_dir[0] == '/') {
    return std::string(runtime_dir) + "/" + UniqueEventName(name) + ".lock";
  }
  // The temporary folder is shared by all users: the user's id keeps their marks apart.
  const char* tmp_dir = std::getenv("TMPDIR");
  const std::string folder = tmp_dir != nullptr && tmp_dir[0] == '/' ? tmp_dir : "/tmp";
  return folder + "/" + UniqueEventName(name) + "-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

bool CreateUniqueEvent(std::string_view name) {
  // O_CLOEXEC: the programs this one starts (the batch scripts) must not inherit the
  // lock, or one left running would keep the mark after this process ended.
  const int fd = open(LockPath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // flock belongs to this open file, not to the process: another open of the same file,
  // even in this process, is refused, and the lock ends with the last descriptor, which
  // is never closed here (the kernel closes it when the process ends).
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  return true;
}

}  // namespace runtime
