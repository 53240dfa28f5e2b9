#include "platform/library/change_files.h"

#include "platform/files/errors.h"

namespace library {

ChangeFiles::~ChangeFiles() {
  Rollback();
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (it->present) it->file->Close();
  }
}

ChangeFiles::Entry* ChangeFiles::Find(const FileManager& file) {
  for (Entry& entry : entries_) {
    if (entry.file == &file) return &entry;
  }
  return nullptr;
}

int ChangeFiles::Read(FileManager& file, bool* present) {
  if (const Entry* entry = Find(file)) {
    *present = entry->present;
    return kLevelBenign;
  }
  const int level = file.OpenIfPresent(present);
  if (level != kLevelBenign) return level;
  entries_.push_back({&file, *present, false});
  return kLevelBenign;
}

int ChangeFiles::Write(FileManager& file) {
  bool present = false;
  const int level = Read(file, &present);
  if (level != kLevelBenign) return level;
  Entry& entry = *Find(file);
  if (!present || entry.writes) return kLevelBenign;
  if (file.file()->BeginTransaction() != files::kNoError) return Refused(file, file.file()->Text());
  entry.writes = true;
  return kLevelBenign;
}

int ChangeFiles::Refused(FileManager& file, std::string_view error_text) {
  return file.errors()->ThrowFile(kMsgChangeUndone, file.file()->Path(), error_text);
}

// Committing the files taken last first puts the parent, taken first, last: when the
// commits are cut short (a failure, a power cut between two of them) the child tables are
// done and the parent is not, and repeating the same change completes it.
void ChangeFiles::Commit(FileManager** failed, bool* committed_some) {
  *committed_some = false;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (!it->writes) continue;
    it->writes = false;
    if (it->file->file()->CommitTransaction() != files::kNoError) {
      *failed = it->file;
      return;
    }
    *committed_some = true;
  }
}

void ChangeFiles::Rollback() {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (!it->writes) continue;
    it->writes = false;
    it->file->file()->RollbackTransaction();
  }
}

}  // namespace library
