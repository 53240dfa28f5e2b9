#include "platform/files/file_hold.h"

#include <sqlite3.h>

#include <filesystem>

#include "platform/files/errors.h"
#include "platform/runtime/paths.h"

namespace files {
namespace {

// Beside every keyed file: its lock file, and SQLite's rollback journal while a write
// transaction is open (or after its writer died in one).
std::string LockFileOf(const std::string& path) { return path + ".lck"; }
std::string JournalOf(const std::string& path) { return path + "-journal"; }

bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(runtime::PathOf(path), error);
}

}  // namespace

bool IsOpenByAnotherStation(const std::string& path) {
  // Every opener creates the lock file first: without one, nobody has the file open.
  std::unique_ptr<File> lock_file;
  if (Env::Default()->OpenFile(LockFileOf(path), false, &lock_file, nullptr) != kNoError) return false;
  return !lock_file->SoleShareFree();
}

FileHold::FileHold(Env* env) : env_(env) {}
FileHold::~FileHold() = default;
FileHold::FileHold(FileHold&& other) noexcept = default;
FileHold& FileHold::operator=(FileHold&& other) noexcept = default;

int FileHold::Take(const std::string& path) {
  Release();
  std::unique_ptr<File> lock_file;
  if (const int rc = env_->OpenLockFile(LockFileOf(path), &lock_file, nullptr); rc != kNoError) return rc;
  if (const int rc = lock_file->TakeSoleShare(); rc != kNoError) return rc;
  lock_file_ = std::move(lock_file);
  return kNoError;
}

void FileHold::Release() { lock_file_.reset(); }

int SettleLeftoverJournal(const std::string& path, std::string* detail) {
  const std::string journal = JournalOf(path);
  if (!Exists(journal)) return kNoError;
  if (Exists(path)) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    // Any read takes the shared lock, and with it SQLite plays a live journal back.
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
      *detail = "El archivo " + path + " tiene un diario de escrituras sin terminar (" + journal +
                ") que no pudo aplicarse: " + message;
      return kFileSystemError;
    }
  }
  // What is left was no live journal of this file (or there is no file to play it into).
  std::error_code error;
  std::filesystem::remove(runtime::PathOf(journal), error);
  if (error) {
    *detail = "No se pudo eliminar el diario de escrituras " + journal + ": " + error.message();
    return kFileSystemError;
  }
  return kNoError;
}

}  // namespace files
