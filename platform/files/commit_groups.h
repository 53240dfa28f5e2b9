// Grouped commits: a record file keeps its writes (and its reads) in one open transaction
// and ends it once it is kCommitInterval old. A background thread ends the groups of
// instances that sit idle, so that no write waits longer than about that interval to be
// durable and no idle instance keeps other writers out.
//
// The instances of one file in this process are peers: an instance that starts a group
// first ends the groups of its idle peers, so that a thread that writes through one
// instance and reads through another (a table and its alias) reads what it wrote.
#pragma once

#include <chrono>
#include <cstdint>

namespace files {

constexpr std::chrono::milliseconds kCommitInterval{100};

class CommitGroupOwner {
 public:
  // Ends the group unless the owner is busy on its own thread. On the background thread
  // (`due_only`) only a group that is due; true when no group is left open (the background
  // thread then forgets the owner).
  virtual bool EndGroupIfIdle(bool due_only) = 0;

 protected:
  ~CommitGroupOwner() = default;
};

// An owner registers when it opens a group and unregisters when it closes one itself.
void RegisterOpenGroup(CommitGroupOwner* owner);
void UnregisterOpenGroup(CommitGroupOwner* owner);

// Which file an open file is, whatever name it was opened by: the device and inode on
// POSIX, the volume serial number and file index on Windows (env.h).
struct FileIdentity {
  uint64_t volume;
  uint64_t file;
  auto operator<=>(const FileIdentity&) const = default;
};

void JoinPeers(const FileIdentity& file, CommitGroupOwner* owner);
void LeavePeers(const FileIdentity& file, CommitGroupOwner* owner);
// Ends the groups of the idle peers of `owner` (called by `owner`, which is busy).
void EndPeerGroups(const FileIdentity& file, CommitGroupOwner* owner);

}  // namespace files
