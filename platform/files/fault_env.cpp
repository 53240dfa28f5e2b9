#include "platform/files/fault_env.h"

#include "platform/files/errors.h"

namespace files::test {
namespace {

using Fault = FaultEnv::Fault;

// A file of the platform's Env, failing the calls that its FaultEnv says.
class FaultFile final : public File {
 public:
  FaultFile(const FaultEnv& env, std::string path, std::unique_ptr<File> base)
      : env_(env), path_(std::move(path)), base_(std::move(base)) {}

  int ReadAt(void* data, size_t length, int64_t offset) override {
    if (env_.Hits(path_, Fault::kReadError)) return Injected();
    return base_->ReadAt(data, length, offset);
  }

  int WriteAt(const void* data, size_t length, int64_t offset) override {
    if (env_.Hits(path_, Fault::kWriteError)) return Injected();
    if (env_.Hits(path_, Fault::kShortWrite)) {
      if (const int rc = base_->WriteAt(data, length / 2, offset); rc != kNoError) return rc;
      return kFileSystemError;  // what a short transfer gives
    }
    return base_->WriteAt(data, length, offset);
  }

  int Size(int64_t* size) override { return base_->Size(size); }
  int TruncateToEmpty() override {
    if (env_.Hits(path_, Fault::kWriteError)) return Injected();
    return base_->TruncateToEmpty();
  }

  int TakeOpenShare(int mode) override {
    if (env_.Hits(path_, Fault::kLockError)) return Injected();
    return base_->TakeOpenShare(mode);
  }
  int TakeSoleShare() override {
    if (env_.Hits(path_, Fault::kLockError)) return Injected();
    return base_->TakeSoleShare();
  }
  bool SoleShareFree() override { return !env_.Hits(path_, Fault::kLockError) && base_->SoleShareFree(); }
  int LockWholeFile(int seconds) override {
    if (env_.Hits(path_, Fault::kLockError)) return Injected();
    return base_->LockWholeFile(seconds);
  }
  void UnlockWholeFile() override { base_->UnlockWholeFile(); }

  int Close() override { return base_->Close(); }
  int SystemError() const override { return system_error_ != 0 ? system_error_ : base_->SystemError(); }

 private:
  int Injected() {
    system_error_ = FaultEnv::InjectedError();
    return kFileSystemError;
  }

  const FaultEnv& env_;
  const std::string path_;
  const std::unique_ptr<File> base_;
  int system_error_ = 0;  // the last injected failure's
};

class FaultSequentialFile final : public SequentialFile {
 public:
  FaultSequentialFile(const FaultEnv& env, std::string path, std::unique_ptr<SequentialFile> base)
      : env_(env), path_(std::move(path)), base_(std::move(base)) {}

  int Read(char* data, size_t capacity, size_t* done) override {
    if (env_.Hits(path_, Fault::kReadError)) return kFileSystemError;
    return base_->Read(data, capacity, done);
  }

 private:
  const FaultEnv& env_;
  const std::string path_;
  const std::unique_ptr<SequentialFile> base_;
};

}  // namespace

void FaultEnv::Fail(const std::string& suffix, Fault fault) {
  std::lock_guard lock(mutex_);
  suffix_ = suffix;
  fault_ = fault;
}

bool FaultEnv::Hits(const std::string& path, Fault fault) const {
  std::lock_guard lock(mutex_);
  return fault_ == fault && !suffix_.empty() && path.ends_with(suffix_);
}

bool FaultEnv::FailsOpen(const std::string& path, int* system_error) const {
  if (!Hits(path, Fault::kOpenError)) return false;
  if (system_error != nullptr) *system_error = InjectedError();
  return true;
}

int FaultEnv::Wrap(int code, const std::string& path, std::unique_ptr<File>* file) {
  if (code != kNoError) return code;
  *file = std::make_unique<FaultFile>(*this, path, std::move(*file));
  return kNoError;
}

int FaultEnv::OpenFile(const std::string& path, bool create, std::unique_ptr<File>* file, int* system_error) {
  if (FailsOpen(path, system_error)) return kFileSystemError;
  return Wrap(base_->OpenFile(path, create, file, system_error), path, file);
}

int FaultEnv::OpenLockFile(const std::string& path, std::unique_ptr<File>* file, int* system_error) {
  if (FailsOpen(path, system_error)) return kFileSystemError;
  return Wrap(base_->OpenLockFile(path, file, system_error), path, file);
}

int FaultEnv::OpenForReading(const std::string& path, std::unique_ptr<SequentialFile>* file) {
  if (FailsOpen(path, nullptr)) return kFileSystemError;
  if (const int code = base_->OpenForReading(path, file); code != kNoError) return code;
  *file = std::make_unique<FaultSequentialFile>(*this, path, std::move(*file));
  return kNoError;
}

int FaultEnv::SizeOfFile(const std::string& path, int64_t* size) { return base_->SizeOfFile(path, size); }
int FaultEnv::CheckReadWrite(const std::string& path) { return base_->CheckReadWrite(path); }
int FaultEnv::IdentityOf(const std::string& path, FileIdentity* identity) {
  return base_->IdentityOf(path, identity);
}
bool FaultEnv::FolderRefusesNewFile(const std::string& file, const std::string& folder) {
  return base_->FolderRefusesNewFile(file, folder);
}

int FaultEnv::MoveOver(const std::string& temporary, const std::string& path) {
  if (Hits(path, Fault::kRenameError)) return kFileSystemError;
  return base_->MoveOver(temporary, path);
}

void FaultEnv::RemoveFile(const std::string& path) { base_->RemoveFile(path); }

}  // namespace files::test
