// A SQLite VFS for the tests, over the default one and made the default while it lives:
// it fails writes the way a full disk does and records how journals are deleted, so that
// commit failures and the durability of commits can be tested where they happen.
#pragma once

#include <string>

namespace files::test {

class FaultVfs {
 public:
  FaultVfs();
  ~FaultVfs();
  FaultVfs(const FaultVfs&) = delete;
  FaultVfs& operator=(const FaultVfs&) = delete;

  enum class Fault {
    kFullDisk,   // the journal's writes fail with SQLITE_FULL: the first write of a group fails
    kSyncError,  // the journal's syncs fail with an I/O error: the group's commit fails
  };
  // From now on the rollback journals of a file whose path contains `name` meet `fault`,
  // once `spared` more journals (one per commit) have been left alone; an empty name
  // fails none.
  void FailJournals(const std::string& name, Fault fault, int spared = 0);
  // Journal deletions seen, and how many of them synced the folder afterwards.
  int journal_deletes() const;
  int synced_journal_deletes() const;
};

}  // namespace files::test
