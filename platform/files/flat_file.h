// Flat binary files: fixed-length records one after the other, no header and no keys,
// read and written by record number (1 for the first record).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/env.h"

namespace files {

class FlatFile {
 public:
  // `record` holds `record_length` bytes and outlives this object, as `env` does.
  FlatFile(uint32_t record_length, uint8_t* record, Env* env = Env::Default());
  ~FlatFile();
  FlatFile(const FlatFile&) = delete;
  FlatFile& operator=(const FlatFile&) = delete;

  // Every operation returns the error code it leaves in Code() (0 on success).
  int Create(std::string_view path);  // a new empty file; an existing one is replaced
  int Open(std::string_view path, int mode);  // the modes of KeyedFile
  int Close();
  bool IsOpen() const { return file_ != nullptr; }

  int Get(int64_t number);  // record `number` into the buffer; 35 when there is none
  int Put(int64_t number);  // the buffer over record `number`; 35 when there is none
  int Add();                // the buffer as a new last record
  int64_t Records();        // records in the file, or -1 with the error set

  int Code() const { return code_; }
  std::string_view Text() const;
  const std::string& Path() const { return path_; }

 private:
  int Done(int code);
  // Reads or writes record `number`; `append` writes one past the last instead.
  int Transfer(int64_t number, bool write, bool append);

  const uint32_t length_;
  uint8_t* const record_;
  Env* const env_;
  std::unique_ptr<File> file_;
  int code_ = 0;
  std::string path_;
};

}  // namespace files
