#include "platform/library/relation_manager.h"

#include <algorithm>

#include "platform/files/errors.h"
#include "platform/library/change_files.h"
#include "platform/library/field_value.h"

namespace library {
namespace {

using Record = std::vector<uint8_t>;

}  // namespace

void RelationManager::Construct() { relations_done_ = false; }

void RelationManager::Init(FileManager* me) {
  me_ = me;
  relations_.clear();
}

void RelationManager::AddRelations() {}

void RelationManager::Kill() {
  relations_.clear();
  me_ = nullptr;
  alias_file_ = nullptr;
}

void RelationManager::AddRelation(RelationManager* related, int update_mode, int delete_mode,
                                  int related_key) {
  Relation relation;
  relation.file = related;
  relation.his_key = related_key;
  relation.update_mode = update_mode;
  relation.delete_mode = delete_mode;
  relation.full = true;
  relations_.push_back(std::move(relation));
}

void RelationManager::AddRelationLink(int my_field, int related_field) {
  relations_.back().fields.push_back({my_field, related_field});
}

void RelationManager::AddRelatedManager(RelationManager* related) {
  Relation relation;
  relation.file = related;
  relations_.push_back(std::move(relation));
}

void RelationManager::EnsureRelations() {
  if (relations_done_) return;
  relations_done_ = true;
  AddRelations();
}

// A related table that opens this one back through its own entry finds the entry marked
// opened and stops there, so every open is matched by exactly one close.
int RelationManager::Open() {
  EnsureRelations();
  int level = me_->Open();
  if (level != kLevelBenign) return level;
  for (Relation& relation : relations_) {
    if (relation.opened) continue;
    relation.opened = true;
    level = relation.file->Open();
    if (level != kLevelBenign) {
      relation.opened = false;
      return level;
    }
  }
  return kLevelBenign;
}

int RelationManager::Close() {
  for (Relation& relation : relations_) {
    if (!relation.opened) continue;
    relation.opened = false;
    relation.file->Close();
  }
  return me_->Close();
}

bool RelationManager::LinksChange(const Relation& relation, const uint8_t* old_record,
                                  const uint8_t* new_record) const {
  for (const LinkPair& link : relation.fields) {
    const files::FieldDecl& field = me_->layout()->fields[link.mine];
    if (!SameValue(field, old_record, field, new_record, false)) return true;
  }
  return false;
}

// The mode of a relation for this change, none where the relation carries nothing.
static int ModeOf(const RelationManager::Relation& relation, bool deleting) {
  if (!relation.full || relation.fields.empty()) return kNone;
  return deleting ? relation.delete_mode : relation.update_mode;
}

template <class Visit>
int RelationManager::ForEachRelated(ChangeFiles& files, const Relation& relation,
                                    const uint8_t* record, Visit visit) {
  FileManager& related = *relation.file->me();
  bool present = false;
  int level = files.Read(related, &present);
  if (level != kLevelBenign || !present) return level;
  const files::RecordLayout& layout = *related.layout();
  const bool no_case = (layout.keys[relation.his_key].flags & files::kNoCase) != 0;
  std::unique_ptr<FileManager::Saved> saved = related.SaveFile();
  // A walk over the whole key with a filter, not a range: it finds the related records
  // whatever the order of the key's other components, and a record whose linked fields a
  // cascade has just changed no longer matches when the walk meets it again.
  level = related.SetStart(relation.his_key);
  while (level == kLevelBenign) {
    level = related.Next();
    if (level == kLevelNotify) {
      level = kLevelBenign;
      break;
    }
    if (level != kLevelBenign) break;
    bool match = true;
    for (const LinkPair& link : relation.fields) {
      if (!SameValue(me_->layout()->fields[link.mine], record, layout.fields[link.theirs],
                     related.buffer(), no_case)) {
        match = false;
        break;
      }
    }
    if (match) level = visit(related);
  }
  related.RestoreFile(*saved, true);
  return level;
}

// What a change of this record does to a related record in `related`'s buffer: the new
// values of the linked fields (cascade), or cleared ones (clear).
static void CarryLinks(const RelationManager::Relation& relation, const FileManager& me,
                       const uint8_t* new_record, FileManager& related) {
  for (const RelationManager::LinkPair& link : relation.fields) {
    const files::FieldDecl& theirs = related.layout()->fields[link.theirs];
    if (new_record != nullptr) {
      CopyField(me.layout()->fields[link.mine], new_record, theirs, related.buffer());
    } else {
      ClearField(theirs, related.buffer());
    }
  }
}

// Every file that the change may write, taken in walk order before anything is read for
// it: this table's, then each table reached by a cascade or a clear. Below the first level
// the relations are followed whether or not their links will change, which may hold a file
// more than needed but never one less. A delete that clears links is an update below.
// A table that restricts the change is held too, though nothing is written to it: between
// the check and the commit no station may add a record there that refers to this one.
int RelationManager::Hold(ChangeFiles& files, const uint8_t* old_record,
                          const uint8_t* new_record) {
  int level = files.Write(*me_);
  std::vector<std::pair<RelationManager*, bool>> seen;
  auto walk = [&](auto& self, RelationManager& manager, bool deleting, bool top) -> void {
    if (level != kLevelBenign) return;
    if (std::find(seen.begin(), seen.end(), std::make_pair(&manager, deleting)) != seen.end()) {
      return;
    }
    seen.emplace_back(&manager, deleting);
    RelationManager& rules = manager.Rules();
    rules.EnsureRelations();
    for (const Relation& relation : rules.relations_) {
      const int mode = ModeOf(relation, deleting);
      if (mode == kNone) continue;
      if (top && !deleting && !LinksChange(relation, old_record, new_record)) continue;
      level = files.Write(*relation.file->me());
      if (level != kLevelBenign) return;
      if (mode == kRestrict) continue;
      self(self, *relation.file, deleting && mode == kCascade, false);
    }
  };
  walk(walk, *this, new_record == nullptr, true);
  return level;
}

int RelationManager::CheckChange(ChangeFiles& files, const uint8_t* old_record,
                                 const uint8_t* new_record) {
  RelationManager& rules = Rules();
  rules.EnsureRelations();
  for (const Relation& relation : rules.relations_) {
    const int mode = ModeOf(relation, new_record == nullptr);
    if (mode == kNone) continue;
    if (new_record != nullptr && !LinksChange(relation, old_record, new_record)) continue;
    RelationManager& other = *relation.file;
    bool referenced = false;
    int level = ForEachRelated(files, relation, old_record, [&](FileManager& related) -> int {
      if (mode == kRestrict) {
        referenced = true;
        return kLevelNotify;  // one related record is enough
      }
      Record old_related = related.LastRead();
      if (mode == kCascade && new_record == nullptr) {
        return other.CheckChange(files, old_related.data(), nullptr);
      }
      CarryLinks(relation, *me_, mode == kCascade ? new_record : nullptr, related);
      if (related.file()->CheckPut() != files::kNoError) {
        return ChangeFiles::Refused(related, related.file()->Text());
      }
      return other.CheckChange(files, old_related.data(), related.buffer());
    });
    if (referenced) {
      return me_->errors()->ThrowFile(
          new_record != nullptr ? kMsgUpdateRestricted : kMsgDeleteRestricted,
          other.me()->label(), "");
    }
    if (level != kLevelBenign) return level;
  }
  return kLevelBenign;
}

int RelationManager::ApplyChange(ChangeFiles& files, const uint8_t* old_record,
                                 const uint8_t* new_record, FileManager** failed) {
  RelationManager& rules = Rules();
  for (const Relation& relation : rules.relations_) {
    const int mode = ModeOf(relation, new_record == nullptr);
    if (mode != kCascade && mode != kClear) continue;
    if (new_record != nullptr && !LinksChange(relation, old_record, new_record)) continue;
    RelationManager& other = *relation.file;
    int level = ForEachRelated(files, relation, old_record, [&](FileManager& related) -> int {
      Record old_related = related.LastRead();
      if (mode == kCascade && new_record == nullptr) {
        if (related.RemoveQuietly() != kLevelBenign) {
          *failed = &related;
          return kLevelNotify;
        }
        return other.ApplyChange(files, old_related.data(), nullptr, failed);
      }
      CarryLinks(relation, *me_, mode == kCascade ? new_record : nullptr, related);
      Record new_related(related.buffer(), related.buffer() + related.layout()->length);
      if (related.PutQuietly() != kLevelBenign) {
        *failed = &related;
        return kLevelNotify;
      }
      return other.ApplyChange(files, old_related.data(), new_related.data(), failed);
    });
    if (level != kLevelBenign) return level;
  }
  return kLevelBenign;
}

// The whole change: hold, check, write, commit. A failure before the first write has told
// the user why; one after it rolls every file back and says that nothing was changed.
int RelationManager::Change(const uint8_t* old_record, const uint8_t* new_record,
                            bool* checks_refused) {
  ChangeFiles files;
  std::unique_ptr<FileManager::Saved> before = me_->SaveFile();
  int level = Hold(files, old_record, new_record);
  if (level != kLevelBenign) return level;
  level = CheckChange(files, old_record, new_record);
  if (level != kLevelBenign) {
    *checks_refused = true;
    return level;
  }
  FileManager* failed = nullptr;
  const int written = new_record != nullptr ? me_->PutQuietly() : me_->RemoveQuietly();
  if (written != kLevelBenign) {
    failed = me_;
  } else {
    ApplyChange(files, old_record, new_record, &failed);
  }
  bool committed_some = false;
  if (failed == nullptr) files.Commit(&failed, &committed_some);
  if (failed == nullptr) return kLevelBenign;
  const std::string error_text(failed->file()->Text());
  const std::string detail = failed->file()->Detail();
  files.Rollback();
  me_->RestoreFile(*before, false);  // the record as read, the buffer as the caller left it
  if (committed_some) {
    // Only a failing disk gets here: the tables below committed, this one did not.
    return me_->errors()->ThrowFile(kMsgWriteFailed, failed->file()->Path(), detail);
  }
  return ChangeFiles::Refused(*failed, error_text);
}

int RelationManager::Update() {
  EnsureRelations();
  Record old_record = me_->LastRead();
  if (old_record.empty()) return me_->Put();  // nothing read: the driver's refusal
  Record new_record(me_->buffer(), me_->buffer() + me_->layout()->length);
  bool checks_refused = false;
  const int level = Change(old_record.data(), new_record.data(), &checks_refused);
  if (checks_refused) {
    // An update that its checks refuse puts the linked fields back to their stored values.
    for (const Relation& relation : Rules().relations_) {
      for (const LinkPair& link : relation.fields) {
        const files::FieldDecl& field = me_->layout()->fields[link.mine];
        CopyField(field, old_record.data(), field, me_->buffer());
      }
    }
  }
  return level;
}

int RelationManager::Delete() {
  EnsureRelations();
  Record old_record = me_->LastRead();
  if (old_record.empty()) return me_->Remove();
  bool checks_refused = false;
  return Change(old_record.data(), nullptr, &checks_refused);
}

}  // namespace library
