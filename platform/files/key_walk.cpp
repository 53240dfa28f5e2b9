#include "platform/files/key_walk.h"

namespace files {

SqliteCode KeyWalk::ReadAhead(const WalkPosition& at) {
  Statement& s = st_->walk(at.key);
  if (!GoesOn(at)) {
    Stop();
    from_ = at.bound;
    s.Bind(1, from_);
    key_ = at.key;
    group_ = at.group;
    key_writes_ = at.key_writes;
  }
  const SqliteCode rc = s.Step();
  if (rc == SqliteCode::kRow) {
    st_->ReadRow(s, &row_);
  } else {
    Stop();
    if (rc != SqliteCode::kDone) return rc;
  }
  valid_ = true;
  found_ = rc == SqliteCode::kRow;
  ahead_key_ = at.key;
  ahead_bound_ = at.bound;
  ahead_group_ = at.in_group ? at.group : 0;
  ahead_writes_ = at.writes;
  return SqliteCode::kOk;
}

// No write since the read, by this instance or by anyone else (this instance's group has
// kept other writers out since the read).
bool KeyWalk::AheadIsCurrent(const WalkPosition& at) const {
  return valid_ && ahead_key_ == at.key && ahead_bound_ == at.bound && at.in_group && ahead_group_ == at.group &&
         ahead_writes_ == at.writes;
}

// The same group (no other station wrote since it started), no key column written here
// since, and the position where its last step left it.
bool KeyWalk::GoesOn(const WalkPosition& at) const {
  return key_ == at.key && group_ == at.group && key_writes_ == at.key_writes && row_.column == at.bound;
}

void KeyWalk::Stop() {
  if (key_ >= 0) st_->walk(key_).Reset();
  key_ = -1;
}

}  // namespace files
