// The driver behind a file manager: what the class library asks of a table's file, whatever
// the driver its declaration names. A keyed file serves the tables with keys and relations;
// a flat file serves a table of fixed-length records kept in the order they were added.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/files/errors.h"
#include "platform/files/flat_file.h"
#include "platform/files/keyed_file.h"
#include "platform/files/layout.h"

namespace library {

// The operations and codes are those of files::KeyedFile; every one returns the code it
// leaves for Text() (0 on success).
class RecordDriver {
 public:
  virtual ~RecordDriver() = default;

  virtual int Create(std::string_view path) = 0;
  virtual int Open(std::string_view path, int mode) = 0;
  virtual void SetRecover(int seconds) = 0;
  virtual int Close() = 0;
  virtual bool IsOpen() const = 0;

  virtual int Set(int key) = 0;
  virtual int SetStart(int key) = 0;
  virtual int Next() = 0;
  virtual int Get(int key) = 0;
  virtual int Put() = 0;
  virtual int CheckPut() = 0;
  virtual int Add() = 0;
  virtual int Delete() = 0;
  virtual int64_t Records() = 0;
  virtual int NextAutoIncrement(int key) = 0;

  virtual int BeginTransaction() = 0;
  virtual int CommitTransaction() = 0;
  virtual int RollbackTransaction() = 0;

  // The read position, to put back after a lookup; the record buffer is the caller's.
  class State {
   public:
    virtual ~State() = default;
  };
  virtual std::unique_ptr<State> Save() const = 0;
  virtual void Restore(const State& state) = 0;

  virtual std::string_view Text() const = 0;
  virtual std::string Detail() const = 0;
  virtual const std::string& Path() const = 0;
};

class KeyedDriver final : public RecordDriver {
 public:
  KeyedDriver(const files::RecordLayout& layout, uint8_t* record, std::span<uint8_t* const> memos)
      : file_(layout, record, memos) {}

  files::KeyedFile& file() { return file_; }

  int Create(std::string_view path) override { return file_.Create(path); }
  int Open(std::string_view path, int mode) override { return file_.Open(path, mode); }
  void SetRecover(int seconds) override { file_.SetRecover(seconds); }
  int Close() override { return file_.Close(); }
  bool IsOpen() const override { return file_.IsOpen(); }
  int Set(int key) override { return file_.Set(key); }
  int SetStart(int key) override { return file_.SetStart(key); }
  int Next() override { return file_.Next(); }
  int Get(int key) override { return file_.Get(key); }
  int Put() override { return file_.Put(); }
  int CheckPut() override { return file_.CheckPut(); }
  int Add() override { return file_.Add(); }
  int Delete() override { return file_.Delete(); }
  int64_t Records() override { return file_.Records(); }
  int NextAutoIncrement(int key) override { return file_.NextAutoIncrement(key); }
  int BeginTransaction() override { return file_.BeginTransaction(); }
  int CommitTransaction() override { return file_.CommitTransaction(); }
  int RollbackTransaction() override { return file_.RollbackTransaction(); }
  std::unique_ptr<State> Save() const override;
  void Restore(const State& state) override;
  std::string_view Text() const override { return file_.Text(); }
  std::string Detail() const override { return file_.Detail(); }
  const std::string& Path() const override { return file_.Path(); }

 private:
  files::KeyedFile file_;
};

// Records are read in file order: SetStart goes before the first, whatever the key, and
// Next reads the following one. The file has no keys, so a keyed operation finds none
// (33, as a key the keyed driver does not have), and its records cannot be deleted or
// held back in a transaction: those are refused with 5 and change nothing.
class FlatDriver final : public RecordDriver {
 public:
  FlatDriver(uint32_t record_length, uint8_t* record) : file_(record_length, record) {}

  int Create(std::string_view path) override { return Done(file_.Create(path)); }
  int Open(std::string_view path, int mode) override;
  void SetRecover(int) override {}  // an open refused by another opener fails at once
  int Close() override { return Done(file_.Close()); }
  bool IsOpen() const override { return file_.IsOpen(); }
  int Set(int) override { return Done(files::kRecordNotAvailable); }
  int SetStart(int) override;
  int Next() override;
  int Get(int) override { return Done(files::kRecordNotAvailable); }
  int Put() override;
  int CheckPut() override;
  int Add() override;
  int Delete() override { return Done(files::kAccessDenied); }
  int64_t Records() override;
  int NextAutoIncrement(int) override { return Done(files::kRecordNotAvailable); }
  int BeginTransaction() override { return Done(files::kAccessDenied); }
  int CommitTransaction() override { return Done(files::kAccessDenied); }
  int RollbackTransaction() override { return Done(files::kAccessDenied); }
  std::unique_ptr<State> Save() const override;
  void Restore(const State& state) override;
  std::string_view Text() const override { return files::ErrorText(code_); }
  std::string Detail() const override { return std::string(Text()); }
  const std::string& Path() const override { return file_.Path(); }

 private:
  int Done(int code) { return code_ = code; }
  int Current();  // 0 when there is a record last read or added, else its code

  files::FlatFile file_;
  int64_t position_ = 0;  // the record last read or added; 0 before the first
  int code_ = 0;
};

}  // namespace library
