#include "platform/files/flat_file.h"

#include "platform/files/errors.h"

namespace files {

FlatFile::FlatFile(uint32_t record_length, uint8_t* record, Env* env)
    : length_(record_length), record_(record), env_(env) {}

FlatFile::~FlatFile() = default;

int FlatFile::Done(int code) { return code_ = code; }

int FlatFile::Create(std::string_view path) {
  if (IsOpen()) return Done(kFileAlreadyOpen);
  path_ = path;
  std::unique_ptr<File> file;
  if (const int code = env_->OpenFile(path_, true, &file, nullptr); code != kNoError) return Done(code);
  // Emptied only when nobody else has it open.
  int code = file->TakeSoleShare();
  if (code == kNoError) code = file->TruncateToEmpty();
  return Done(code);
}

int FlatFile::Open(std::string_view path, int mode) {
  if (IsOpen()) return Done(kFileAlreadyOpen);
  path_ = path;
  std::unique_ptr<File> file;
  if (const int code = env_->OpenFile(path_, false, &file, nullptr); code != kNoError) return Done(code);
  if (const int code = file->TakeOpenShare(mode); code != kNoError) return Done(code);
  file_ = std::move(file);
  return Done(kNoError);
}

int FlatFile::Close() {
  if (!IsOpen()) return Done(kFileNotOpen);
  const int code = file_->Close();
  file_.reset();
  return Done(code);
}

int64_t FlatFile::Records() {
  if (!IsOpen()) {
    Done(kFileNotOpen);
    return -1;
  }
  int64_t size = 0;
  if (Done(file_->Size(&size)) != kNoError) return -1;
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
  return Done(write ? file_->WriteAt(record_, length_, offset) : file_->ReadAt(record_, length_, offset));
}

std::string_view FlatFile::Text() const { return ErrorText(code_); }

}  // namespace files
