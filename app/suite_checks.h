// What start-up checks of the suite before the main window opens, so that a problem with
// the settings file, the data folder or the two tables the main window reads is named,
// with its file and cause, instead of surfacing later as a wrong user or an empty company.
#pragma once

#include <string>

#include "platform/files/keyed_file.h"

namespace app {

// Each returns empty, or the message that stops start-up.
// The settings file is there and can be read (before its keys are read).
[[nodiscard]] std::string CheckSettingsFile(const std::string& settings_file);
// The settings name the data folder, and it exists (after the keys are read).
[[nodiscard]] std::string CheckDataFolder(const std::string& settings_file);
// The users table and the parameters file open (after the disk names are set). A file that
// another station holds only for now does not stop start-up: the login and the company
// name say so when they read it.
[[nodiscard]] std::string CheckMainTables();

// The message for a failed operation on the file: the error number, the record layer's
// account of the file and the cause, and what to do about it.
std::string FileProblemText(const files::KeyedFile& file);

}  // namespace app
