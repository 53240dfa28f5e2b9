#include "catalogue/table_managers.h"

#include <string>

#include "catalogue/name_variables.h"
#include "platform/library/bindings.h"
#include "platform/library/field_value.h"

namespace catalogue {

using library::kLevelBenign;
using library::kLevelNotify;
using library::kUsePrepare;

void TableFileManager::BindFields() {
  FileManager::BindFields();
  if (def_.memo_binding == nullptr) return;
  const files::MemoDecl& memo = def_.layout.memos[0];
  const files::FieldDecl as_string{memo.name, files::FieldType::String, 0, memo.size, 0, 0};
  library::BindName(def_.memo_binding, as_string, buffers_.memos[0], this);
}

void TableFileManager::Init() {
  SetBuffer(buffers_.record, &def_.layout, buffers_.memos);
  if (def_.is_alias) SetAliasedFile(lookup_.FileManagerOf(def_.alias_of));
  SetLabel(def_.label);
  SetErrors(lookup_.errors());
  if (def_.fixed_name != nullptr) {
    SetFixedName(def_.fixed_name);
  } else {
    SetFileName(NameVariableOf(def_.id));
  }
  FileManager::Init();
}

void TableFileManager::PrimeFields() {
  for (const InitialValue& value : def_.initial_values) {
    const files::FieldDecl& field = def_.layout.fields[value.field];
    if (value.text != nullptr) {
      library::SetFieldText(field, buffer(), value.text);
    } else {
      library::SetFieldNumber(field, buffer(), value.number);
    }
  }
  FileManager::PrimeFields();
}

int TableFileManager::UseFile(int kind) {
  if (kind != kUsePrepare) {
    int level = UseFile(kUsePrepare);
    if (level != kLevelBenign) return level;
  } else if (!initialized()) {
    InitFile(buffers_.driver, lookup_.errors());
    SetCreate(def_.create);
    SetLockRecover(10);
    for (size_t i = 0; i < def_.keys.size(); ++i) {
      AddKey(static_cast<int>(i), def_.keys[i].description, def_.keys[i].auto_increment);
    }
  }
  return FileManager::UseFile(kind);
}

int TableFileManager::ValidateFieldServer(int field, bool report) {
  int result = FileManager::ValidateFieldServer(field, report);
  for (const FieldCheck& check : def_.checks) {
    if (check.field == field) return RunCheck(check, result, report);
  }
  return result;
}

int TableFileManager::RunCheck(const FieldCheck& check, int result, bool report) {
  errors()->SetField(check.field_text);
  if (check.kind == CheckKind::InFile) return CheckInFile(check, report);
  const files::FieldDecl& field = def_.layout.fields[check.field];
  int message;
  if (check.kind == CheckKind::List) {
    // Whole entries only: a value that spans the border of two entries is not one of them.
    const std::string value = library::FieldText(field, buffer());
    bool listed = false;
    for (const char* allowed : check.values) listed = listed || value == allowed;
    if (!listed) result = kLevelNotify;
    message = library::kMsgNotInList;
  } else {
    const double value = library::FieldNumber(field, buffer());
    if (!(check.low <= value && value <= check.high)) result = kLevelNotify;
    message = library::kMsgOutOfRange;
  }
  if (result != kLevelBenign && report) result = errors()->ThrowMessage(message, check.message);
  return result;
}

// The parent table is opened for the lookup (a counted open, so one already open stays so)
// and its buffer, position and state are put back afterwards. A parent without a disk name
// or without a file holds no value: it is neither created nor reported as an open error.
int TableFileManager::CheckInFile(const FieldCheck& check, bool report) {
  FileManager& parent = *lookup_.FileManagerOf(check.parent);
  bool present = false;
  int result = parent.OpenIfPresent(&present);
  if (result != kLevelBenign) return result;
  result = kLevelNotify;
  if (present) {
    std::unique_ptr<Saved> saved = parent.SaveFile();
    for (const Assignment& assignment : check.assignments) {
      library::CopyField(def_.layout.fields[assignment.from_field], buffer(),
                         parent.layout()->fields[assignment.parent_field], parent.buffer());
    }
    result = parent.TryFetch(check.parent_key);
    parent.RestoreFile(*saved, true);
    parent.Close();
  }
  if (result == kLevelNotify && report) {
    result = errors()->ThrowMessage(library::kMsgNotInFile, check.message);
  }
  return result;
}

void TableRelationManager::Init() {
  file_manager_->Init();
  RelationManager::Init(file_manager_.get());
  if (def_.is_alias) SetAliasFile(lookup_.RelationManagerOf(def_.alias_of));
}

void TableRelationManager::Kill() {
  if (file_manager_ != nullptr) file_manager_->Kill();
  RelationManager::Kill();
  file_manager_.reset();
}

void TableRelationManager::AddRelations() {
  for (const RelationDecl& relation : def_.relations) {
    RelationManager* related = lookup_.RelationManagerOf(relation.related);
    if (relation.mirror) {
      AddRelatedManager(related);
      continue;
    }
    AddRelation(related, relation.update_mode, relation.delete_mode, relation.related_key);
    for (const Link& link : relation.links) AddRelationLink(link.mine, link.theirs);
  }
  RelationManager::AddRelations();
}

}  // namespace catalogue
