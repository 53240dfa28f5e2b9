#include "platform/files/fault_vfs.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace files::test {
namespace {

struct State {
  sqlite3_vfs vfs;
  sqlite3_vfs* base = nullptr;
  std::mutex mutex;
  std::string failing;  // guarded by mutex
  int spared = 0;       // guarded by mutex
  FaultVfs::Fault fault = FaultVfs::Fault::kFullDisk;  // guarded by mutex
  std::atomic<int> journal_deletes{0};
  std::atomic<int> synced_journal_deletes{0};
};
State* state = nullptr;

bool IsJournal(const char* path) {
  const size_t length = path != nullptr ? std::strlen(path) : 0;
  return length > 8 && std::strcmp(path + length - 8, "-journal") == 0;
}

// The file as this VFS hands it out: its methods, then the base VFS's file.
struct File {
  sqlite3_file base;
  bool failing_writes;
  bool failing_syncs;
  sqlite3_file* Real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
File* Of(sqlite3_file* f) { return reinterpret_cast<File*>(f); }

int Close(sqlite3_file* f) { return Of(f)->Real()->pMethods->xClose(Of(f)->Real()); }
int Read(sqlite3_file* f, void* p, int n, sqlite3_int64 at) {
  return Of(f)->Real()->pMethods->xRead(Of(f)->Real(), p, n, at);
}
int Write(sqlite3_file* f, const void* p, int n, sqlite3_int64 at) {
  if (Of(f)->failing_writes) return SQLITE_FULL;
  return Of(f)->Real()->pMethods->xWrite(Of(f)->Real(), p, n, at);
}
int Truncate(sqlite3_file* f, sqlite3_int64 size) { return Of(f)->Real()->pMethods->xTruncate(Of(f)->Real(), size); }
int Sync(sqlite3_file* f, int flags) {
  if (Of(f)->failing_syncs) return SQLITE_IOERR_FSYNC;
  return Of(f)->Real()->pMethods->xSync(Of(f)->Real(), flags);
}
int FileSize(sqlite3_file* f, sqlite3_int64* size) { return Of(f)->Real()->pMethods->xFileSize(Of(f)->Real(), size); }
int Lock(sqlite3_file* f, int level) { return Of(f)->Real()->pMethods->xLock(Of(f)->Real(), level); }
int Unlock(sqlite3_file* f, int level) { return Of(f)->Real()->pMethods->xUnlock(Of(f)->Real(), level); }
int CheckReservedLock(sqlite3_file* f, int* out) {
  return Of(f)->Real()->pMethods->xCheckReservedLock(Of(f)->Real(), out);
}
int FileControl(sqlite3_file* f, int op, void* arg) {
  return Of(f)->Real()->pMethods->xFileControl(Of(f)->Real(), op, arg);
}
int SectorSize(sqlite3_file* f) { return Of(f)->Real()->pMethods->xSectorSize(Of(f)->Real()); }
int DeviceCharacteristics(sqlite3_file* f) {
  return Of(f)->Real()->pMethods->xDeviceCharacteristics(Of(f)->Real());
}
int ShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out) {
  return Of(f)->Real()->pMethods->xShmMap(Of(f)->Real(), page, size, extend, out);
}
int ShmLock(sqlite3_file* f, int offset, int n, int flags) {
  return Of(f)->Real()->pMethods->xShmLock(Of(f)->Real(), offset, n, flags);
}
void ShmBarrier(sqlite3_file* f) { Of(f)->Real()->pMethods->xShmBarrier(Of(f)->Real()); }
int ShmUnmap(sqlite3_file* f, int remove) { return Of(f)->Real()->pMethods->xShmUnmap(Of(f)->Real(), remove); }
int Fetch(sqlite3_file* f, sqlite3_int64 at, int n, void** out) {
  return Of(f)->Real()->pMethods->xFetch(Of(f)->Real(), at, n, out);
}
int Unfetch(sqlite3_file* f, sqlite3_int64 at, void* p) {
  return Of(f)->Real()->pMethods->xUnfetch(Of(f)->Real(), at, p);
}

const sqlite3_io_methods kMethods = {
    3,      Close,       Read,      Write,     Truncate,   Sync,     FileSize, Lock,    Unlock,
    CheckReservedLock,   FileControl, SectorSize, DeviceCharacteristics, ShmMap, ShmLock, ShmBarrier,
    ShmUnmap, Fetch,     Unfetch};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* out_flags) {
  File* file = Of(f);
  file->base.pMethods = nullptr;
  const int rc = state->base->xOpen(state->base, name, file->Real(), flags, out_flags);
  if (rc != SQLITE_OK) return rc;
  {
    std::lock_guard lock(state->mutex);
    const bool failing = IsJournal(name) && !state->failing.empty() &&
                         std::strstr(name, state->failing.c_str()) != nullptr && state->spared-- <= 0;
    file->failing_writes = failing && state->fault == FaultVfs::Fault::kFullDisk;
    file->failing_syncs = failing && state->fault == FaultVfs::Fault::kSyncError;
  }
  file->base.pMethods = &kMethods;
  return SQLITE_OK;
}

int Delete(sqlite3_vfs*, const char* path, int sync_folder) {
  if (IsJournal(path)) {
    ++state->journal_deletes;
    if (sync_folder != 0) ++state->synced_journal_deletes;
  }
  return state->base->xDelete(state->base, path, sync_folder);
}

}  // namespace

FaultVfs::FaultVfs() {
  state = new State;
  state->base = sqlite3_vfs_find(nullptr);
  state->vfs = *state->base;
  state->vfs.zName = "fault";
  state->vfs.szOsFile = static_cast<int>(sizeof(File)) + state->base->szOsFile;
  state->vfs.xOpen = Open;
  state->vfs.xDelete = Delete;
  sqlite3_vfs_register(&state->vfs, 1);
}

FaultVfs::~FaultVfs() {
  sqlite3_vfs_unregister(&state->vfs);
  delete state;
  state = nullptr;
}

void FaultVfs::FailJournals(const std::string& name, Fault fault, int spared) {
  std::lock_guard lock(state->mutex);
  state->failing = name;
  state->fault = fault;
  state->spared = spared;
}

int FaultVfs::journal_deletes() const { return state->journal_deletes; }
int FaultVfs::synced_journal_deletes() const { return state->synced_journal_deletes; }

}  // namespace files::test
