#include "platform/library/record_driver.h"

namespace library {
namespace {

template <class Saved>
struct StateOf : RecordDriver::State {
  explicit StateOf(Saved saved) : saved(std::move(saved)) {}
  Saved saved;
};

}  // namespace

std::unique_ptr<RecordDriver::State> KeyedDriver::Save() const {
  return std::make_unique<StateOf<std::unique_ptr<files::KeyedFile::State>>>(file_.Save());
}

void KeyedDriver::Restore(const State& state) {
  file_.Restore(*static_cast<const StateOf<std::unique_ptr<files::KeyedFile::State>>&>(state).saved,
                false);
}

int FlatDriver::Open(std::string_view path, int mode) {
  position_ = 0;
  return Done(file_.Open(path, mode));
}

int FlatDriver::SetStart(int) {
  if (!file_.IsOpen()) return Done(files::kFileNotOpen);
  position_ = 0;
  return Done(files::kNoError);
}

int FlatDriver::Next() {
  const int64_t records = Records();
  if (records < 0) return code_;
  if (position_ >= records) return Done(files::kRecordNotAvailable);
  const int code = file_.Get(position_ + 1);
  if (code == files::kNoError) ++position_;
  return Done(code);
}

int FlatDriver::Current() {
  if (!file_.IsOpen()) return files::kFileNotOpen;
  return position_ == 0 ? files::kRecordNotAvailable : files::kNoError;
}

int FlatDriver::Put() {
  if (const int code = Current(); code != files::kNoError) return Done(code);
  return Done(file_.Put(position_));
}

int FlatDriver::CheckPut() { return Done(Current()); }

int FlatDriver::Add() {
  if (const int code = file_.Add(); code != files::kNoError) return Done(code);
  const int64_t records = Records();
  if (records < 0) return code_;
  position_ = records;
  return Done(files::kNoError);
}

int64_t FlatDriver::Records() {
  const int64_t records = file_.Records();
  Done(file_.Code());
  return records;
}

std::unique_ptr<RecordDriver::State> FlatDriver::Save() const {
  return std::make_unique<StateOf<int64_t>>(position_);
}

void FlatDriver::Restore(const State& state) {
  position_ = static_cast<const StateOf<int64_t>&>(state).saved;
}

}  // namespace library
