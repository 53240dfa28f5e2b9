// What a backup or restore script copies, made safe around it: the program's own record
// files closed, every file the script copies from or over held against other stations
// while it runs (with any journal a crashed writer left settled first), and the files
// checked before and after.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/file_hold.h"

namespace app {

// The backup folder inside the program's folder, where the copies and the logs lie.
inline constexpr const char* kBackupFolder = "CopiasREC";

enum class Direction { Backup, Restore };

// One file the script is to copy, full paths, and the size of the source once it is held.
struct PlannedCopy {
  std::string source;
  std::string target;
  std::uintmax_t size = 0;
};

// The record files (named "*.vqf" in any case) around one run of a script, full paths.
// A backup copies the files of the data folders into the backup folder; a restore
// copies the backup folder's files back over the data folders. An area whose data path
// is empty is left out, as the scripts leave it alone.
struct CopyPlan {
  std::vector<std::string> check_before;  // must be sound before anything runs
  std::vector<std::string> quiet;         // held while the script runs
  std::vector<PlannedCopy> copies;        // must stand whole and sound once it has run
};
CopyPlan PlanCopy(Direction direction, const std::string& backup_folder);

// Takes the size of every source, once nothing else can write them.
void MeasureSources(std::vector<PlannedCopy>* copies);

// One line for the log list for each copy that is missing, of another size than its
// source was, or fails the record check.
std::vector<std::string> CopyFaults(const std::vector<PlannedCopy>& copies);

// Closes every record file this program holds open, so that none of them is written while
// a script copies it and none keeps a view of a file a restore replaces.
void CloseOwnRecordFiles();

// Holds files against every other opener for as long as it lives.
class QuietFiles {
 public:
  // Holds each file and settles a journal left beside it. Empty when all are held; else
  // the message for the user, and nothing is held.
  std::string Take(const std::vector<std::string>& paths);
  void Release() { holds_.clear(); }

 private:
  std::vector<files::FileHold> holds_;
};

// One line for the log list for each file of `paths` that fails the record check.
std::vector<std::string> DamageLines(const std::vector<std::string>& paths);

}  // namespace app
