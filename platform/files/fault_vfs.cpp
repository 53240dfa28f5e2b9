#include "platform/files/fault_vfs.h"

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>
#include <thread>

namespace files::test {
namespace {

// The file as this VFS hands it out: its methods and what it needs to know of the file,
// then the base VFS's file.
struct File {
  sqlite3_file base;
  const char* name;    // SQLite keeps it valid until the file is closed; null for a temporary
  uint64_t spared_in;  // the Fail call whose fault this file is spared; 0 for none
  sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
File* Of(sqlite3_file* f) { return reinterpret_cast<File*>(f); }
sqlite3_file* Real(sqlite3_file* f) { return Of(f)->Real(); }

bool EndsWith(const char* path, std::string_view suffix) {
  return path != nullptr && !suffix.empty() && std::string_view(path).ends_with(suffix);
}

// One per process, never freed: a connection opened through the VFS may outlive any test.
struct State {
  sqlite3_vfs vfs;
  sqlite3_vfs* base = nullptr;
  std::mutex mutex;
  std::string suffix;                     // guarded by mutex
  FaultVfs::Fault fault = FaultVfs::Fault::kNone;  // guarded by mutex
  int spared = 0;                         // guarded by mutex
  int nth = 0;                            // guarded by mutex: FailNth's call; 0 for every one
  int seen = 0;                           // guarded by mutex: the calls counted towards it
  uint64_t call = 1;                      // guarded by mutex: numbers the Fail calls from 2
  std::atomic<int> journal_deletes{0};
  std::atomic<int> synced_journal_deletes{0};

  bool Hits(File* file, FaultVfs::Fault wanted) {
    std::lock_guard lock(mutex);
    if (fault != wanted || file->spared_in == call || !EndsWith(file->name, suffix)) return false;
    return nth == 0 || ++seen == nth;
  }
};
State* state = nullptr;

int Close(sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); }
int Read(sqlite3_file* f, void* p, int n, sqlite3_int64 at) {
  if (state->Hits(Of(f), FaultVfs::Fault::kReadError)) return SQLITE_IOERR_READ;
  return Real(f)->pMethods->xRead(Real(f), p, n, at);
}
int Write(sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
  if (state->Hits(Of(f), FaultVfs::Fault::kFullDisk)) return SQLITE_FULL;
  if (state->Hits(Of(f), FaultVfs::Fault::kWriteError)) return SQLITE_IOERR_WRITE;
  if (state->Hits(Of(f), FaultVfs::Fault::kStallWrite)) {
    std::printf("stalled\n");
    std::fflush(stdout);
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  return Real(f)->pMethods->xWrite(Real(f), p, n, at);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) { return Real(f)->pMethods->xTruncate(Real(f), size); }
int Sync(sqlite3_file* f, int flags) {
  if (state->Hits(Of(f), FaultVfs::Fault::kSyncError)) return SQLITE_IOERR_FSYNC;
  return Real(f)->pMethods->xSync(Real(f), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Real(f)->pMethods->xFileSize(Real(f), size); }
int Lock(sqlite3_file* f, int level) { return Real(f)->pMethods->xLock(Real(f), level); }
int Unlock(sqlite3_file* f, int level) { return Real(f)->pMethods->xUnlock(Real(f), level); }
int CheckReservedLock(sqlite3_file* f, int* out) { return Real(f)->pMethods->xCheckReservedLock(Real(f), out); }
int FileControl(sqlite3_file* f, int op, void* arg) { return Real(f)->pMethods->xFileControl(Real(f), op, arg); }
int SectorSize(sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); }
int DeviceCharacteristics(sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); }
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
  return Real(f)->pMethods->xShmMap(Real(f), page, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return Real(f)->pMethods->xShmLock(Real(f), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); }
int ShmUnmap(sqlite3_file* f, int remove) { return Real(f)->pMethods->xShmUnmap(Real(f), remove); }
// A page mapped into memory would be read around xRead: a file whose reads fail maps none,
// so that SQLite reads it through xRead.
int Fetch(sqlite3_file* f, sqlite3_int64 at, int n, void** out) {
  if (state->Hits(Of(f), FaultVfs::Fault::kReadError)) {
    *out = nullptr;
    return SQLITE_OK;
  }
  return Real(f)->pMethods->xFetch(Real(f), at, n, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 at, void* p) { return Real(f)->pMethods->xUnfetch(Real(f), at, p); }

const sqlite3_io_methods kMethods = {
    3,      Close,       Read,      Write,     Truncate,   Sync,     FileSize, Lock,    Unlock,
    CheckReservedLock,   FileControl, SectorSize, DeviceCharacteristics, ShmMap, ShmLock, ShmBarrier,
    ShmUnmap, Fetch,     Unfetch};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* out_flags) {
  File* file = Of(f);
  file->base.pMethods = nullptr;
  {
    std::lock_guard lock(state->mutex);
    if (state->fault == FaultVfs::Fault::kReadOnly && EndsWith(name, state->suffix)) {
      flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    }
  }
  const int rc = state->base->xOpen(state->base, name, file->Real(), flags, out_flags);
  if (rc != SQLITE_OK) return rc;
  file->name = name;
  file->spared_in = 0;
  {
    std::lock_guard lock(state->mutex);
    if (state->fault != FaultVfs::Fault::kNone && EndsWith(name, state->suffix) && state->spared > 0) {
      --state->spared;
      file->spared_in = state->call;
    }
  }
  file->base.pMethods = &kMethods;
  return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char* path, int sync_folder) {
  if (EndsWith(path, "-journal")) {
    ++state->journal_deletes;
    if (sync_folder != 0) ++state->synced_journal_deletes;
  }
  return state->base->xDelete(state->base, path, sync_folder);
}

}  // namespace

FaultVfs::FaultVfs() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    state = new State;
    state->base = sqlite3_vfs_find(nullptr);
    state->vfs = *state->base;
    state->vfs.zName = "fault";
    state->vfs.szOsFile = static_cast<int>(sizeof(File)) + state->base->szOsFile;
    state->vfs.xOpen = Open;
    state->vfs.xDelete = Delete;
    sqlite3_vfs_register(&state->vfs, 1);
  });
  Clear();
  state->journal_deletes = 0;
  state->synced_journal_deletes = 0;
}

FaultVfs::~FaultVfs() { Clear(); }

void FaultVfs::Fail(const std::string& suffix, Fault fault, int spared) {
  std::lock_guard lock(state->mutex);
  state->suffix = suffix;
  state->fault = fault;
  state->spared = spared;
  state->nth = 0;
  state->seen = 0;
  ++state->call;
}

void FaultVfs::FailNth(const std::string& suffix, Fault fault, int nth) {
  Fail(suffix, fault);
  std::lock_guard lock(state->mutex);
  state->nth = nth;
}

int FaultVfs::journal_deletes() const { return state->journal_deletes; }
int FaultVfs::synced_journal_deletes() const { return state->synced_journal_deletes; }

}  // namespace files::test
