// A keyed record file held for a program outside the record layer (the backup and restore
// scripts copy the files byte by byte): whether another station has the file open, a hold
// that keeps every other opener out while the copy runs, and the settling of a journal
// that a crashed writer left beside the file.
#pragma once

#include <memory>
#include <string>

#include "platform/files/env.h"

namespace files {

// True when any opener of the record layer holds the file at `path` open: another
// station, another process of this one, or another instance in this process. It asks the
// open-mode byte of the file's lock file, and changes nothing.
bool IsOpenByAnotherStation(const std::string& path);

// Holds a record file as a deny-write opener would, without opening the database: no one
// opens the file while the hold lasts, so no one writes it. Released by Release or on
// destruction; the operating system drops it when the holder dies.
class FileHold {
 public:
  explicit FileHold(Env* env = Env::Default());
  ~FileHold();
  FileHold(FileHold&& other) noexcept;
  FileHold& operator=(FileHold&& other) noexcept;

  // 0 once held; 5 when another opener has the file open; the code of a lock file that
  // cannot be opened or locked otherwise. The file itself need not exist yet.
  int Take(const std::string& path);
  void Release();

 private:
  Env* env_;
  std::unique_ptr<File> lock_file_;  // open while the hold lasts
};

// Brings a held file to its last committed state when a writer that died left its journal
// beside it: SQLite plays the journal back into the file on the first read, so the file
// is opened, read and closed. A journal that SQLite finds not to be live is removed, so
// that a copy laid over the file later cannot take it for its own. 0 when no journal is
// left; else 90 with a sentence for the user in `detail`.
int SettleLeftoverJournal(const std::string& path, std::string* detail);

}  // namespace files
