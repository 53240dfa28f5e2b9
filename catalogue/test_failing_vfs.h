// For tests: a SQLite VFS wrapped around the default one, made the default, that acts on
// the files whose names end with a chosen suffix ("X.VQF-journal") while it is armed: it
// fails their writes or their reads, as a failing disk would, or stalls their writes for
// ever (after printing "stalled"), so that a test can kill the process right there.
// Everything else passes through unchanged.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace catalogue::test {

class FailingWrites {
 public:
  // Installs the VFS once per process; later calls only return it.
  static FailingWrites& Install() {
    static FailingWrites* installed = new FailingWrites;
    return *installed;
  }

  enum Fault { kFailWrites, kStallWrites, kFailReads };

  void Arm(std::string suffix, Fault fault = kFailWrites) {
    std::lock_guard lock(mutex_);
    suffix_ = std::move(suffix);
    fault_ = fault;
  }
  void Disarm() { Arm({}); }

 private:
  struct File {
    sqlite3_file base;
    sqlite3_file* real;  // lies right after this struct
    std::string* name;
  };

  FailingWrites() {
    real_ = sqlite3_vfs_find(nullptr);
    vfs_ = *real_;
    vfs_.szOsFile = static_cast<int>(sizeof(File)) + real_->szOsFile;
    vfs_.zName = "failing-writes";
    vfs_.pAppData = this;
    vfs_.xOpen = Open;
    methods_.iVersion = 1;
    methods_.xClose = [](sqlite3_file* f) {
      File* file = reinterpret_cast<File*>(f);
      const int rc = file->real->pMethods->xClose(file->real);
      delete file->name;
      return rc;
    };
    methods_.xRead = [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
      if (Install().Hits(*reinterpret_cast<File*>(f)->name, kFailReads)) return SQLITE_IOERR_READ;
      return Real(f)->pMethods->xRead(Real(f), data, amount, offset);
    };
    methods_.xWrite = [](sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
      const std::string& name = *reinterpret_cast<File*>(f)->name;
      if (Install().Hits(name, kFailWrites)) return SQLITE_IOERR_WRITE;
      if (Install().Hits(name, kStallWrites)) {
        std::printf("stalled\n");
        std::fflush(stdout);
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
      }
      return Real(f)->pMethods->xWrite(Real(f), data, amount, offset);
    };
    methods_.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
      return Real(f)->pMethods->xTruncate(Real(f), size);
    };
    methods_.xSync = [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); };
    methods_.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
      return Real(f)->pMethods->xFileSize(Real(f), size);
    };
    methods_.xLock = [](sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); };
    methods_.xUnlock = [](sqlite3_file* f, int level) {
      return Real(f)->pMethods->xUnlock(Real(f), level);
    };
    methods_.xCheckReservedLock = [](sqlite3_file* f, int* out) {
      return Real(f)->pMethods->xCheckReservedLock(Real(f), out);
    };
    methods_.xFileControl = [](sqlite3_file* f, int op, void* arg) {
      return Real(f)->pMethods->xFileControl(Real(f), op, arg);
    };
    methods_.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
    methods_.xDeviceCharacteristics = [](sqlite3_file* f) {
      return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
    };
    sqlite3_vfs_register(&vfs_, 1);
  }

  static sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

  static int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* out_flags) {
    FailingWrites& self = *static_cast<FailingWrites*>(vfs->pAppData);
    File* file = reinterpret_cast<File*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    const int rc = self.real_->xOpen(self.real_, name, file->real, flags, out_flags);
    if (rc != SQLITE_OK) {
      f->pMethods = nullptr;
      return rc;
    }
    file->name = new std::string(name != nullptr ? name : "");
    f->pMethods = &self.methods_;
    return SQLITE_OK;
  }

  bool Hits(const std::string& name, Fault fault) {
    std::lock_guard lock(mutex_);
    return fault_ == fault && !suffix_.empty() && name.size() >= suffix_.size() &&
           name.compare(name.size() - suffix_.size(), suffix_.size(), suffix_) == 0;
  }

  sqlite3_vfs* real_;
  sqlite3_vfs vfs_;
  sqlite3_io_methods methods_{};
  std::mutex mutex_;
  std::string suffix_;
  Fault fault_ = kFailWrites;
};

}  // namespace catalogue::test
