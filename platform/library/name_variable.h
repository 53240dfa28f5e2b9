// A process-wide CSTRING(size) variable that names a disk file. Written by start-up, read by
// the file managers of every thread on each open.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace library {

class NameVariable {
 public:
  explicit NameVariable(size_t size) : size_(size) {}
  NameVariable(const NameVariable&) = delete;
  NameVariable& operator=(const NameVariable&) = delete;

  // Keeps at most size - 1 characters of `text`.
  void Set(std::string_view text);
  std::string Get() const;
  size_t size() const { return size_; }

 private:
  const size_t size_;
  mutable std::mutex mutex_;
  std::string text_;
};

}  // namespace library
