#include "platform/files/flat_file.h"

#include "platform/files/errors.h"

namespace files {

FlatFile::FlatFile(uint32_t record_length, uint8_t* record)
    : length_(record_length), record_(record) {}

FlatFile::~FlatFile() = default;

int FlatFile::Done(int code) { return code_ = code; }

int FlatFile::Create(std::string_view path) {
  if (file_.IsOpen()) return Done(kFileAlreadyOpen);
  path_ = path;
  OsFile file;
  if (const int code = file.Open(path_, true); code != kNoError) return Done(code);
  // Emptied only when nobody else has it open.
  int code = file.TakeSoleShare();
  if (code == kNoError) code = file.TruncateToEmpty();
  return Done(code);
}

int FlatFile::Open(std::string_view path, int mode) {
  if (file_.IsOpen()) return Done(kFileAlreadyOpen);
  path_ = path;
  if (const int code = file_.Open(path_, false); code != kNoError) return Done(code);
  if (const int code = file_.TakeOpenShare(mode); code != kNoError) {
    file_.Close();
    return Done(code);
  }
  return Done(kNoError);
}

int FlatFile::Close() {
  if (!file_.IsOpen()) return Done(kFileNotOpen);
  return Done(file_.Close());
}

int64_t FlatFile::Records() {
  if (!file_.IsOpen()) {
    Done(kFileNotOpen);
    return -1;
  }
  int64_t size = 0;
  if (Done(file_.Size(&size)) != kNoError) return -1;
  return size / length_;  // a partial last record does not count
}

int FlatFile::Get(int64_t number) { return Transfer(number, false, false); }
int FlatFile::Put(int64_t number) { return Transfer(number, true, false); }
int FlatFile::Add() { return Transfer(0, true, true); }

int FlatFile::Transfer(int64_t number, bool write, bool append) {
  const int64_t records = Records();
  if (records < 0) return code_;
  if (append) number = records + 1;
  if (number < 1 || number > records + (append ? 1 : 0)) return Done(kRecordNotFound);
  const int64_t offset = (number - 1) * length_;
  return Done(write ? file_.WriteAt(record_, length_, offset) : file_.ReadAt(record_, length_, offset));
}

std::string_view FlatFile::Text() const { return ErrorText(code_); }

}  // namespace files
