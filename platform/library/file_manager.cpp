#include "platform/library/file_manager.h"

#include <cstring>

#include "platform/files/errors.h"
#include "platform/library/bindings.h"
#include "platform/library/field_value.h"

namespace library {

FileManager::~FileManager() { UnbindOwner(this); }

void FileManager::BindFields() {
  for (const files::FieldDecl& field : layout_->fields) BindName(field.name, field, buffer_, this);
}

void FileManager::Init() {
  open_count_ = 0;
  lazy_open_ = true;
  pending_open_ = false;
  started_ = true;
}

void FileManager::Kill() {
  if (!started_) return;
  UnbindOwner(this);
  keys_.clear();
  primary_key_ = -1;
  auto_increment_key_ = -1;
  if (opened_ && file_ != nullptr) file_->Close();
  opened_ = false;
  open_count_ = 0;
  pending_open_ = false;
  started_ = false;
  initialized_ = false;
}

void FileManager::PrimeFields() {}

int FileManager::UseFile(int kind) {
  if (file_ == nullptr) return errors_->ThrowFile(kMsgUsedBeforeOpen, label_, "");
  in_use_file_ = true;
  if (kind == kUsePrepare) return kLevelBenign;
  if (open_count_ == 0) return errors_->ThrowFile(kMsgUsedBeforeOpen, label_, "");
  if (pending_open_) {
    int level = OpenNow();
    if (level != kLevelBenign) return level;
    pending_open_ = false;
  }
  return kLevelBenign;
}

int FileManager::ValidateFieldServer(int field, bool report) {
  if (aliased_file_ == nullptr) return kLevelBenign;
  // The aliased table checks a copy of this record; its own buffer is put back after.
  FileManager& table = *aliased_file_;
  const size_t length = layout_->length;
  std::vector<uint8_t> kept(table.buffer_, table.buffer_ + length);
  std::memcpy(table.buffer_, buffer_, length);
  int level = table.ValidateFieldServer(field, report);
  std::memcpy(table.buffer_, kept.data(), length);
  return level;
}

void FileManager::SetBuffer(uint8_t* record, const files::RecordLayout* layout,
                            std::span<uint8_t* const> memos) {
  buffer_ = record;
  layout_ = layout;
  memos_.assign(memos.begin(), memos.end());
}

void FileManager::InitFile(RecordDriver* file, ErrorManager* errors) {
  file_ = file;
  errors_ = errors;
  keys_.clear();
  open_mode_ = files::kReadWriteDenyNone;
  create_ = true;
  lock_recover_ = 10;
  initialized_ = true;
}

void FileManager::AddKey(int key, std::string_view description, bool auto_increment) {
  const files::KeyDecl& decl = layout_->keys[key];
  keys_.push_back({key, std::string(description), auto_increment,
                   (decl.flags & files::kDup) != 0, (decl.flags & files::kNoCase) != 0});
  if (decl.flags & files::kPrimary) primary_key_ = key;
  if (auto_increment) auto_increment_key_ = key;
}

std::string FileManager::Path() const {
  return filename_ != nullptr ? filename_->Get() : fixed_name_;
}

int FileManager::ThrowFile(int id) {
  std::string path = Path();
  return errors_->ThrowFile(id, path.empty() ? label_ : path, file_->Text());
}

// An open that another station's share mode refuses is tried again with the driver told to
// wait up to the lock-recovery time for it.
int FileManager::OpenDriver(const std::string& path) {
  const int code = file_->Open(path, open_mode_);
  if (code != files::kAccessDenied) return code;
  file_->SetRecover(lock_recover_);
  return file_->Open(path, open_mode_);
}

int FileManager::OpenNow() {
  const std::string path = Path();
  if (path.empty()) {
    // A table without a disk name is never created under an invented one.
    return errors_->ThrowFile(kMsgAccessFailed, label_, files::ErrorText(files::kFileNotFound));
  }
  int code = OpenDriver(path);
  if (code == files::kFileNotFound) {
    if (!create_) return ThrowFile(kMsgAccessFailed);
    code = file_->Create(path);
    if (code == files::kNoError) code = file_->Open(path, open_mode_);
    if (code == files::kFileAlreadyOpen) code = files::kNoError;
    if (code != files::kNoError) return ThrowFile(kMsgCreateFailed);
    opened_ = true;
    return kLevelBenign;
  }
  if (code == files::kFileAlreadyOpen) return kLevelBenign;  // opened by its owner's code
  if (code != files::kNoError) return ThrowFile(kMsgAccessFailed);
  opened_ = true;
  return kLevelBenign;
}

int FileManager::OpenIfPresent(bool* present) {
  *present = false;
  int level = UseFile(kUsePrepare);
  if (level != kLevelBenign) return level;
  const std::string path = Path();
  if (path.empty()) return kLevelBenign;
  if (!file_->IsOpen()) {
    const int code = OpenDriver(path);
    if (code == files::kFileNotFound) return kLevelBenign;
    if (code != files::kNoError) return ThrowFile(kMsgAccessFailed);
    opened_ = true;
  }
  pending_open_ = false;
  ++open_count_;
  *present = true;
  return kLevelBenign;
}

int FileManager::Open() {
  int level = UseFile(kUsePrepare);
  if (level != kLevelBenign) return level;
  if (open_count_++ > 0) return kLevelBenign;
  if (lazy_open_) {
    pending_open_ = true;
    return kLevelBenign;
  }
  level = OpenNow();
  if (level != kLevelBenign) open_count_ = 0;
  return level;
}

int FileManager::Close() {
  if (open_count_ == 0) return kLevelBenign;
  if (--open_count_ > 0) return kLevelBenign;
  pending_open_ = false;
  if (opened_) file_->Close();
  opened_ = false;
  return kLevelBenign;
}

// Record and memos, between an alias and its table (same layout).
void FileManager::CopyBuffers(const FileManager& from, FileManager& to) {
  std::memcpy(to.buffer_, from.buffer_, from.layout_->length);
  for (size_t i = 0; i < from.memos_.size() && i < to.memos_.size(); ++i) {
    std::memcpy(to.memos_[i], from.memos_[i], from.layout_->memos[i].size);
  }
}

int FileManager::PrimeRecord(bool keep) {
  if (aliased_file_ != nullptr) {
    // The aliased table primes, so the record gets its initial values and numbering.
    FileManager& table = *aliased_file_;
    int level = table.Open();
    if (level != kLevelBenign) return level;
    std::unique_ptr<Saved> saved = table.SaveFile();
    if (keep) CopyBuffers(*this, table);
    level = table.PrimeRecord(keep);
    if (level == kLevelBenign) CopyBuffers(table, *this);
    table.RestoreFile(*saved, true);
    table.Close();
    return level;
  }
  if (!keep) {
    ClearRecord(*layout_, buffer_);
    for (size_t i = 0; i < memos_.size(); ++i) std::memset(memos_[i], 0, layout_->memos[i].size);
  }
  PrimeFields();
  if (auto_increment_key_ < 0) return kLevelBenign;
  int level = UseFile(kUseNormal);
  if (level != kLevelBenign) return level;
  if (file_->NextAutoIncrement(auto_increment_key_) != files::kNoError) {
    return ThrowFile(kMsgAccessFailed);
  }
  return kLevelBenign;
}

void FileManager::RememberRead() { last_read_.assign(buffer_, buffer_ + layout_->length); }

// One driver operation on the file in use: 0 on success; `quiet_code` (end of file, no
// such record) gives the notify level without a message; any other failure is reported
// with message `failure`. A successful read or write is remembered as the current record.
template <class Operation>
int FileManager::Run(Operation operation, int failure, int quiet_code, bool remember) {
  int level = UseFile(kUseNormal);
  if (level != kLevelBenign) return level;
  const int code = operation(*file_);
  if (code == files::kNoError) {
    if (remember) RememberRead();
    return kLevelBenign;
  }
  return code == quiet_code || failure == 0 ? kLevelNotify : ThrowFile(failure);
}

// Only "no such record" is quiet: a file that cannot be read is reported, never taken for a
// value that is not there.
int FileManager::TryFetch(int key) {
  return Run([key](RecordDriver& f) { return f.Get(key); }, kMsgAccessFailed,
             files::kRecordNotFound, true);
}

int FileManager::SetOrder(int key) {
  return Run([key](RecordDriver& f) { return f.Set(key); }, kMsgAccessFailed, 0, false);
}

int FileManager::SetStart(int key) {
  return Run([key](RecordDriver& f) { return f.SetStart(key); }, kMsgAccessFailed, 0, false);
}

int FileManager::Next() {
  return Run([](RecordDriver& f) { return f.Next(); }, kMsgAccessFailed,
             files::kRecordNotAvailable, true);
}

int FileManager::Insert() {
  return Run([](RecordDriver& f) { return f.Add(); }, kMsgWriteFailed, 0, true);
}

int FileManager::Put() {
  return Run([](RecordDriver& f) { return f.Put(); }, kMsgWriteFailed, 0, true);
}

int FileManager::Remove() {
  return Run([](RecordDriver& f) { return f.Delete(); }, kMsgWriteFailed, 0, false);
}

int FileManager::PutQuietly() {
  return Run([](RecordDriver& f) { return f.Put(); }, 0, 0, true);
}

int FileManager::RemoveQuietly() {
  return Run([](RecordDriver& f) { return f.Delete(); }, 0, 0, false);
}

std::unique_ptr<FileManager::Saved> FileManager::SaveFile() const {
  auto saved = std::make_unique<Saved>();
  saved->record.assign(buffer_, buffer_ + layout_->length);
  for (size_t i = 0; i < memos_.size(); ++i) {
    saved->memos.emplace_back(memos_[i], memos_[i] + layout_->memos[i].size);
  }
  if (file_ != nullptr && file_->IsOpen()) saved->file_state = file_->Save();
  saved->last_read = last_read_;
  return saved;
}

void FileManager::RestoreFile(const Saved& saved, bool restore_buffer) {
  if (saved.file_state != nullptr && file_->IsOpen()) file_->Restore(*saved.file_state);
  last_read_ = saved.last_read;
  if (!restore_buffer) return;
  std::memcpy(buffer_, saved.record.data(), saved.record.size());
  for (size_t i = 0; i < memos_.size(); ++i) {
    std::memcpy(memos_[i], saved.memos[i].data(), saved.memos[i].size());
  }
}

}  // namespace library
