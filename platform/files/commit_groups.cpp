#include "platform/files/commit_groups.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace files {
namespace {

class Committer {
 public:
  // Never destroyed: instances may close their groups during static destruction.
  static Committer& Get() {
    static Committer* committer = new Committer;
    return *committer;
  }

  void Add(CommitGroupOwner* owner) {
    std::lock_guard lock(mutex_);
    owners_.insert(owner);
    if (!started_) {
      started_ = true;
      std::thread([this] { Run(); }).detach();
    }
    wake_.notify_one();
  }

  void Remove(CommitGroupOwner* owner) {
    std::lock_guard lock(mutex_);
    owners_.erase(owner);
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (owners_.empty()) {
        wake_.wait(lock);
      } else {
        wake_.wait_for(lock, kCommitInterval / 4);
      }
      for (auto it = owners_.begin(); it != owners_.end();) {
        it = (*it)->EndGroupIfIdle(true) ? owners_.erase(it) : std::next(it);
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::set<CommitGroupOwner*> owners_;
  bool started_ = false;
};

class Peers {
 public:
  static Peers& Get() {
    static Peers* peers = new Peers;
    return *peers;
  }

  std::mutex mutex;
  std::map<FileIdentity, std::set<CommitGroupOwner*>> by_file;
};

}  // namespace

void JoinPeers(const FileIdentity& file, CommitGroupOwner* owner) {
  Peers& peers = Peers::Get();
  std::lock_guard lock(peers.mutex);
  peers.by_file[file].insert(owner);
}

void LeavePeers(const FileIdentity& file, CommitGroupOwner* owner) {
  Peers& peers = Peers::Get();
  std::lock_guard lock(peers.mutex);
  auto it = peers.by_file.find(file);
  if (it == peers.by_file.end()) return;
  it->second.erase(owner);
  if (it->second.empty()) peers.by_file.erase(it);
}

void EndPeerGroups(const FileIdentity& file, CommitGroupOwner* owner) {
  Peers& peers = Peers::Get();
  std::lock_guard lock(peers.mutex);
  auto it = peers.by_file.find(file);
  if (it == peers.by_file.end() || it->second.size() < 2) return;
  for (CommitGroupOwner* peer : it->second) {
    if (peer != owner) peer->EndGroupIfIdle(false);
  }
}

void RegisterOpenGroup(CommitGroupOwner* owner) { Committer::Get().Add(owner); }
void UnregisterOpenGroup(CommitGroupOwner* owner) { Committer::Get().Remove(owner); }

}  // namespace files
