// The files that one update or delete through the relation managers touches. Each is
// opened once, without being created; the ones the change may write are held in a
// transaction from before its first write; at the end they are committed together, or all
// rolled back, and then closed again.
#pragma once

#include <string_view>
#include <vector>

#include "platform/library/file_manager.h"

namespace library {

class ChangeFiles {
 public:
  ChangeFiles() = default;
  ChangeFiles(const ChangeFiles&) = delete;
  ChangeFiles& operator=(const ChangeFiles&) = delete;
  // Rolls back what was not committed and closes every file it opened.
  ~ChangeFiles();

  // Opens the table's file for the walk; *present is false for a table that holds no
  // records (no disk name, no file). A level with its message when the file fails.
  int Read(FileManager& file, bool* present);
  // Read, and the file's transaction: from then on no other station writes it. A refusal
  // (another station keeps the file) is reported as a change that changed nothing.
  int Write(FileManager& file);

  // Commits the transactions, the files taken last first. On a failure *failed names the
  // file (its driver keeps the error) and *committed_some tells whether any other had
  // committed before it; the rest are rolled back.
  void Commit(FileManager** failed, bool* committed_some);
  void Rollback();

  // Reports that the change was refused by `file`'s driver, with its error text, and that
  // nothing was changed; returns the message's level.
  static int Refused(FileManager& file, std::string_view error_text);

 private:
  struct Entry {
    FileManager* file;
    bool present;
    bool writes;
  };
  Entry* Find(const FileManager& file);

  std::vector<Entry> entries_;
};

}  // namespace library
