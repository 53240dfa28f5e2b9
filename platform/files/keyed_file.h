// Keyed record files: the suite's tables on disk. One instance is one thread's view of one
// file: its handle, its position in key order, its error state. The record buffer belongs
// to the caller (the catalogue), which declares the layout the file is opened with.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/files/env.h"
#include "platform/files/layout.h"

namespace files {

enum OpenMode : int {
  kReadWriteDenyWrite = 0x22,
  kReadWriteDenyNone = 0x42,
};

class KeyedFile {
 public:
  // `record` holds layout.length bytes; `memos` one buffer per memo of the layout, each of
  // the memo's size. Both outlive this object, and so does `env`: the file's lock file and
  // the file-system calls beside SQLite's own (size, identity, moving a new file into
  // place) go through it.
  KeyedFile(const RecordLayout& layout, uint8_t* record, std::span<uint8_t* const> memos = {},
            Env* env = Env::Default());
  ~KeyedFile();
  KeyedFile(const KeyedFile&) = delete;
  KeyedFile& operator=(const KeyedFile&) = delete;

  // Every operation returns the error code it leaves in Code() (0 on success).
  // A new empty file, left closed; an existing one is replaced (5 while another has it open).
  int Create(std::string_view path);
  int Open(std::string_view path, int mode = kReadWriteDenyNone);
  // Reads the whole open file and checks that every page parses and every index holds one
  // entry per record, so that a walk by any key meets every record; it takes a fraction of
  // a walk of the file. 90 when it does not, with a
  // detail naming the file and the first fault found; the instance then refuses every call
  // but Close, so that nothing is written into the damaged file.
  int CheckIntegrity();
  // The driver's "Recover=" option: from now on an Open that another opener's share mode
  // refuses (5) waits up to `seconds` for that opener to close before it gives up.
  void SetRecover(int seconds);
  // Commits what is still grouped: after Close returns 0 every write is on disk. Writes are
  // otherwise committed in groups at least every 100 ms; a crash loses at most that group.
  // A group whose commit fails is rolled back whole: the error's detail says how many
  // writes went back.
  int Close();
  // Commits what is still grouped, as Close does, and stays open.
  int Commit();
  bool IsOpen() const;

  // Positions `key` (index into layout.keys) so that the next Next() returns the first
  // record whose key value is equal to or greater than the one in the record buffer.
  int Set(int key);
  // Positions `key` before its first record, whatever the buffer holds.
  int SetStart(int key);
  int Next();        // the following record in key order into the buffer; 33 past the end
  // After a failed Next or Eof: true when the walk can go on with Next, because the failure
  // was a commit of earlier writes or one damaged record that the position has stepped
  // past (the buffer then holds no record to write); false when the file cannot be read
  // on from here.
  bool PositionKnown() const;
  // True when no further record follows the position, and also after any error (the error
  // stays in Code()), so that a walk's loop always ends.
  bool Eof();
  // The first record whose key equals the buffer's; 35 when none (the buffer is left as it
  // was). Positions `key` on that record, so that Next continues after it.
  int Get(int key);
  // Writes the buffer over the record last read or added; 89 when another instance changed
  // or deleted that record since.
  int Put();
  // 40 when Put would duplicate a unique key; checks without writing.
  int CheckPut();
  int Add();         // a new record; 40 when a unique key would be duplicated
  int Delete();      // deletes the record last read; the position stays for Next
  int Records();     // number of records, or -1 with the error set

  // Whole-file lock between processes and threads, waiting up to `seconds`; 32 when
  // another holder keeps it. The operating system releases it when its holder dies.
  int Lock(int seconds);
  int Unlock();

  // A change that must land whole across several files: the class library holds one such
  // transaction on every file a cascade may write, and commits them only once every write
  // of the cascade has succeeded. Begin first commits this instance's open group, then
  // takes the file's exclusive lock (waiting as a write does; 32 when another station
  // keeps the file), so that the commit cannot be refused for a lock later. Until Commit
  // or Rollback the writes stay out of the grouped commits.
  int BeginTransaction();
  int CommitTransaction();
  int RollbackTransaction();

  // Next value of the key's last component for the record buffer's other components:
  // one more than the largest stored; a text component counts as a number ("10" after "9").
  // Writes it into the buffer.
  int NextAutoIncrement(int key);

  // Saved position and buffer, to restore after a lookup that must leave no trace.
  class State {
   public:
    ~State();

   private:
    friend class KeyedFile;
    struct Data;
    std::unique_ptr<Data> data_;
  };
  std::unique_ptr<State> Save() const;
  void Restore(const State& state, bool restore_buffer);

  // One attempt at the file's write turn, waiting a couple of seconds at most: 32 with a
  // detail naming the file when another station keeps it in a long write. On success the
  // write turn stays with this instance, as after a write.
  int CheckNotHeldByAnotherStation();

  // The progress of a pass that must touch every record once however often it is
  // interrupted (the conversion run). It lives inside the file: while a run of the pass is
  // open on this instance, Put marks the record done in the same transaction that writes
  // it, so that a record and its mark are committed, or lost, together.
  struct Progress {
    std::string pass;    // the pass's name (when it started: "2026-12-10 19:30:14.12"); empty: none
    int64_t marked = 0;  // records marked done
    bool complete = false;  // its last run walked the whole file and left none undone
    int64_t left = -1;      // the records its last run left undone; -1 when that run did not end
  };
  int ReadProgress(Progress* progress);
  // Opens a run of the pass `pass` and commits it at once (32 when another station holds
  // the file). The file's marks of an earlier pass (by name) are dropped in the same
  // transaction, so that they count for nothing; a file marked by a later pass is refused.
  int BeginProgress(std::string_view pass);
  bool Marked() const;  // the record last read is marked done in the open pass
  // Closes the run: records its end and how many records are left unmarked (into *left),
  // and commits. Without an open run (it could not begin) only the count is made. *left is
  // -1 when it cannot be counted.
  int EndProgress(int64_t* left);

  int Code() const;
  std::string_view Text() const;    // ErrorText(Code())
  // A sentence in Spanish for the user that names the file and the cause ("El archivo
  // C:/DATOS/BANCOS.VQF está dañado ..."); Text() when there is nothing more to say.
  std::string Detail() const;
  const std::string& Path() const;  // the file of the last Create or Open

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace files
