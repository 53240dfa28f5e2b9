// Grouped commits: a record file keeps its writes in one open transaction and commits it
// once it is kCommitInterval old. A background thread commits the groups of instances
// that sit idle, so that no write waits longer than about that interval to be durable and
// no idle instance keeps other writers out.
#pragma once

#include <chrono>

namespace files {

constexpr std::chrono::milliseconds kCommitInterval{100};

class CommitGroupOwner {
 public:
  // Called on the background thread: commits when the group is due and the owner is not
  // busy on its own thread; true when the group is closed (the owner is then forgotten).
  virtual bool CommitIfIdleAndDue() = 0;

 protected:
  ~CommitGroupOwner() = default;
};

// An owner registers when it opens a group and unregisters when it closes one itself.
void RegisterOpenGroup(CommitGroupOwner* owner);
void UnregisterOpenGroup(CommitGroupOwner* owner);

}  // namespace files
