#include "platform/library/relation_manager.h"

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

template <class Visit>
int RelationManager::ForEachRelated(const Relation& relation, const uint8_t* record, Visit visit) {
  FileManager& related = *relation.file->me();
  const files::RecordLayout& layout = *related.layout();
  const bool no_case = (layout.keys[relation.his_key].flags & files::kNoCase) != 0;
  std::unique_ptr<FileManager::Saved> saved = related.SaveFile();
  // A walk over the whole key with a filter, not a range: it finds the related records
  // whatever the order of the key's other components, and a record whose linked fields a
  // cascade has just changed no longer matches when the walk meets it again.
  int level = related.SetStart(relation.his_key);
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

int RelationManager::CheckChange(const uint8_t* old_record, const uint8_t* new_record) {
  EnsureRelations();
  for (const Relation& relation : relations_) {
    const int mode = new_record != nullptr ? relation.update_mode : relation.delete_mode;
    if (!relation.full || relation.fields.empty() || mode == kNone) continue;
    if (new_record != nullptr && !LinksChange(relation, old_record, new_record)) continue;
    RelationManager& other = *relation.file;
    bool referenced = false;
    int level = ForEachRelated(relation, old_record, [&](FileManager& related) -> int {
      if (mode == kRestrict) {
        referenced = true;
        return kLevelNotify;  // one related record is enough
      }
      Record old_related = related.LastRead();
      if (mode == kCascade && new_record == nullptr) {
        return other.CheckChange(old_related.data(), nullptr);
      }
      CarryLinks(relation, *me_, mode == kCascade ? new_record : nullptr, related);
      return other.CheckChange(old_related.data(), related.buffer());
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

int RelationManager::ApplyChange(const uint8_t* old_record, const uint8_t* new_record) {
  for (const Relation& relation : relations_) {
    const int mode = new_record != nullptr ? relation.update_mode : relation.delete_mode;
    if (!relation.full || relation.fields.empty()) continue;
    if (mode != kCascade && mode != kClear) continue;
    if (new_record != nullptr && !LinksChange(relation, old_record, new_record)) continue;
    RelationManager& other = *relation.file;
    int level = ForEachRelated(relation, old_record, [&](FileManager& related) -> int {
      Record old_related = related.LastRead();
      if (mode == kCascade && new_record == nullptr) {
        int result = related.Remove();
        return result != kLevelBenign ? result : other.ApplyChange(old_related.data(), nullptr);
      }
      CarryLinks(relation, *me_, mode == kCascade ? new_record : nullptr, related);
      Record new_related(related.buffer(), related.buffer() + related.layout()->length);
      int result = related.Put();
      return result != kLevelBenign ? result
                                    : other.ApplyChange(old_related.data(), new_related.data());
    });
    if (level != kLevelBenign) return level;
  }
  return kLevelBenign;
}

int RelationManager::Update() {
  EnsureRelations();
  Record old_record = me_->LastRead();
  if (old_record.empty()) return me_->Put();  // nothing read: the driver's refusal
  Record new_record(me_->buffer(), me_->buffer() + me_->layout()->length);
  int level = CheckChange(old_record.data(), new_record.data());
  if (level != kLevelBenign) {
    // A refused update puts the linked fields back to their stored values.
    for (const Relation& relation : relations_) {
      for (const LinkPair& link : relation.fields) {
        const files::FieldDecl& field = me_->layout()->fields[link.mine];
        CopyField(field, old_record.data(), field, me_->buffer());
      }
    }
    return level;
  }
  level = me_->Put();
  if (level != kLevelBenign) return level;
  return ApplyChange(old_record.data(), new_record.data());
}

int RelationManager::Delete() {
  EnsureRelations();
  Record old_record = me_->LastRead();
  if (old_record.empty()) return me_->Remove();
  int level = CheckChange(old_record.data(), nullptr);
  if (level != kLevelBenign) return level;
  level = me_->Remove();
  if (level != kLevelBenign) return level;
  return ApplyChange(old_record.data(), nullptr);
}

}  // namespace library
