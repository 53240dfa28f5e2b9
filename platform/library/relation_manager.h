// The relation manager: a table's file manager with the tables related to it. It opens
// and closes them together, and carries an update or a delete of the current record to
// the related records by each relation's mode (none, clear, restrict, cascade).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/library/file_manager.h"

namespace library {

class ChangeFiles;

enum RelationMode : int { kNone = 0, kClear = 1, kRestrict = 2, kCascade = 3 };

class RelationManager {
 public:
  struct LinkPair {
    int mine;    // field index of this table
    int theirs;  // field index of the related table
  };
  struct Relation {
    RelationManager* file;  // the related table's manager
    std::vector<LinkPair> fields;
    int his_key = -1;
    int update_mode = kNone;
    int delete_mode = kNone;
    bool full = false;    // false for a mirror entry, which only names the related table
    bool opened = false;  // opened by this manager's Open
  };

  RelationManager() = default;
  virtual ~RelationManager() = default;
  RelationManager(const RelationManager&) = delete;
  RelationManager& operator=(const RelationManager&) = delete;

  void Construct();
  void Init(FileManager* me);
  // Declares the relations; the class library runs it once, on first need.
  virtual void AddRelations();
  virtual void Kill();

  void AddRelation(RelationManager* related, int update_mode, int delete_mode, int related_key);
  void AddRelationLink(int my_field, int related_field);  // to the last relation
  void AddRelatedManager(RelationManager* related);       // a mirror entry
  void SetAliasFile(RelationManager* aliased) { alias_file_ = aliased; }
  void EnsureRelations();

  // Opens or closes this table's file with those of every related table.
  int Open();
  int Close();

  // Writes the buffer over the record last read through the file manager, or deletes that
  // record, carrying the change to the related records; an alias's manager acts by its
  // table's relations. All or nothing: every file the change may write is held before the
  // first write, and the restrictions (33, 34) and the unique keys of the carried records
  // are checked before it; a failure after it rolls every file back. A related table that
  // has no disk name or no file holds no records, and is neither created nor reported.
  int Update();
  int Delete();

  FileManager* me() const { return me_; }
  RelationManager* alias_file() const { return alias_file_; }
  const std::vector<Relation>& relations() const { return relations_; }
  bool relations_done() const { return relations_done_; }

 private:
  // The manager whose relations apply: the aliased table's for an alias.
  RelationManager& Rules() { return alias_file_ != nullptr ? *alias_file_ : *this; }
  // old_record is the record as stored; new_record as it is to be written (null for a
  // delete). Change runs the whole change and tells whether the checks refused it; Hold
  // takes the files it may write; Check walks without changing anything; Apply changes,
  // and names the file of a failed write.
  int Change(const uint8_t* old_record, const uint8_t* new_record, bool* checks_refused);
  int Hold(ChangeFiles& files, const uint8_t* old_record, const uint8_t* new_record);
  int CheckChange(ChangeFiles& files, const uint8_t* old_record, const uint8_t* new_record);
  int ApplyChange(ChangeFiles& files, const uint8_t* old_record, const uint8_t* new_record,
                  FileManager** failed);
  bool LinksChange(const Relation& relation, const uint8_t* old_record,
                   const uint8_t* new_record) const;
  // Calls visit for each record of the relation's table whose linked fields hold the
  // values of `record`, with it in that table's buffer; stops at the first nonzero level.
  template <class Visit>
  int ForEachRelated(ChangeFiles& files, const Relation& relation, const uint8_t* record,
                     Visit visit);

  FileManager* me_ = nullptr;
  std::vector<Relation> relations_;
  RelationManager* alias_file_ = nullptr;
  bool relations_done_ = false;
};

}  // namespace library
