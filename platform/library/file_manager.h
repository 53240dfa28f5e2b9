// The file manager: one thread's access to one table's file through its record buffer:
// counted, lazy opening with create-when-missing, priming of new records (through the
// aliased table for an alias), field checks, lookups that leave no trace, and the errors
// they raise through the error manager.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/keyed_file.h"
#include "platform/files/layout.h"
#include "platform/library/error_manager.h"
#include "platform/library/name_variable.h"
#include "platform/library/record_driver.h"

namespace library {

// UseFile kinds: a real use opens a lazily opened file; kUsePrepare only sets it up.
enum UseKind : int { kUseNormal = 1, kUsePrepare = 5 };

struct KeyEntry {
  int key;                  // index into the layout's keys
  std::string description;  // "Por Control"
  bool auto_increment;
  bool duplicates;
  bool no_case;
};

class FileManager {
 public:
  FileManager() = default;
  virtual ~FileManager();
  FileManager(const FileManager&) = delete;
  FileManager& operator=(const FileManager&) = delete;

  // Binds the record's fields by name for expression evaluation.
  virtual void BindFields();
  // Base set-up: lazy open on, open count 0, not killed. Overrides call it last.
  virtual void Init();
  // Releases the key list and the bindings; nothing when never initialised or killed.
  virtual void Kill();
  // Initial values of a new record; empty here.
  virtual void PrimeFields();
  // Marks the file in use; a real use opens a lazily opened file. Error 42 when the file
  // is used before it was opened.
  virtual int UseFile(int kind);
  // Field checks of field index `field` (its field number - 1); for an alias, the aliased
  // table's checks on a copy of this record, with the caller's report flag.
  virtual int ValidateFieldServer(int field, bool report);

  void SetErrors(ErrorManager* errors) { errors_ = errors; }
  // The record buffer with its layout and one buffer per memo of the layout.
  void SetBuffer(uint8_t* record, const files::RecordLayout* layout,
                 std::span<uint8_t* const> memos);
  void SetAliasedFile(FileManager* aliased) { aliased_file_ = aliased; }
  void SetLabel(std::string_view label) { label_ = label; }
  // The variable that names the disk file; without one the file's fixed name is used.
  void SetFileName(const NameVariable* name) { filename_ = name; }
  void SetFixedName(std::string_view name) { fixed_name_ = name; }
  void SetCreate(bool create) { create_ = create; }
  void SetLockRecover(int tries) { lock_recover_ = tries; }

  // Binds the file's driver, sets the open mode to read/write deny-none, create on, lock
  // recovery 10.
  void InitFile(RecordDriver* file, ErrorManager* errors);
  void AddKey(int key, std::string_view description, bool auto_increment);

  // Counted: the first Open marks the file for opening on its first real use, the last
  // Close closes it. Opening a missing file creates it when create is on.
  int Open();
  int Close();

  // For a walk of the relations and the field checks: a table without a disk name, or
  // whose file does not exist, holds no records; *present says so, nothing is created and
  // nothing is shown. Otherwise the file is opened now (counted; Close releases it).
  int OpenIfPresent(bool* present);

  // A new record in the buffer: cleared unless keep, initial values, then the next value
  // of the auto-increment key. An alias primes through its table.
  int PrimeRecord(bool keep = false);
  int ValidateField(int field) { return ValidateFieldServer(field, true); }
  int TryValidateField(int field) { return ValidateFieldServer(field, false); }

  // Reads by key the record whose key fields match the buffer: 0 found, 5 not, no message.
  int TryFetch(int key);
  // Reading, writing and walking through the manager; Update and Delete of the relation
  // manager work on the record last read this way.
  int SetOrder(int key);  // positions `key` at the buffer's key value
  int SetStart(int key);  // positions `key` before its first record
  int Next();             // the next record of the order, 33 past the end
  int Insert();           // adds the buffer as a new record; level, with a message on failure
  int Put();              // writes the buffer over the record last read
  int Remove();           // deletes the record last read
  const std::vector<uint8_t>& LastRead() const { return last_read_; }
  // Put and Remove without a message, for a change that reports once for all of its
  // writes; the driver's code and text stay in file().
  int PutQuietly();
  int RemoveQuietly();

  // Buffer (memos included), position and driver state, to put back after a lookup.
  struct Saved {
    std::vector<uint8_t> record;
    std::vector<std::vector<uint8_t>> memos;
    std::unique_ptr<RecordDriver::State> file_state;  // null when closed
    std::vector<uint8_t> last_read;
  };
  std::unique_ptr<Saved> SaveFile() const;
  void RestoreFile(const Saved& saved, bool restore_buffer);

  const std::string& label() const { return label_; }
  FileManager* aliased_file() const { return aliased_file_; }
  const NameVariable* file_name() const { return filename_; }
  RecordDriver* file() const { return file_; }
  uint8_t* buffer() const { return buffer_; }
  const files::RecordLayout* layout() const { return layout_; }
  const std::vector<KeyEntry>& keys() const { return keys_; }
  int primary_key() const { return primary_key_; }
  bool create() const { return create_; }
  bool initialized() const { return initialized_; }
  bool started() const { return started_; }  // Init ran and Kill did not
  bool in_use() const { return in_use_file_; }
  int lock_recover() const { return lock_recover_; }
  int open_count() const { return open_count_; }
  ErrorManager* errors() const { return errors_; }

 private:
  int ThrowFile(int id);  // about this file, with its driver's error text
  void RememberRead();
  template <class Operation>
  int Run(Operation operation, int failure, int quiet_code, bool remember);
  int OpenDriver(const std::string& path);  // the driver's code
  int OpenNow();
  static void CopyBuffers(const FileManager& from, FileManager& to);
  std::string Path() const;

  FileManager* aliased_file_ = nullptr;
  uint8_t* buffer_ = nullptr;
  const files::RecordLayout* layout_ = nullptr;
  std::vector<uint8_t*> memos_;
  bool create_ = true;
  ErrorManager* errors_ = nullptr;
  RecordDriver* file_ = nullptr;
  const NameVariable* filename_ = nullptr;
  std::string fixed_name_;
  std::string label_;
  bool in_use_file_ = false;
  int lock_recover_ = 0;
  bool initialized_ = false;  // the file is bound (InitFile)
  bool started_ = false;      // Init ran and Kill did not
  int open_mode_ = files::kReadWriteDenyNone;
  int open_count_ = 0;
  bool lazy_open_ = true;
  bool pending_open_ = false;
  bool opened_ = false;  // this manager opened the file and so closes it
  std::vector<KeyEntry> keys_;
  int primary_key_ = -1;
  int auto_increment_key_ = -1;
  std::vector<uint8_t> last_read_;
};

}  // namespace library
