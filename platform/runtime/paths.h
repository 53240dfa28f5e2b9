// Folder and file paths in the platform's own form: "\" between the parts on Windows,
// "/" elsewhere.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace runtime {

// The separator between a path's parts (paths_posix.cpp, paths_windows.cpp).
extern const char kPathSeparator;

// The current folder, absolute.
std::string CurrentFolder();

// SHORTPATH: the short (8.3) form of an existing path; the empty path stands for the
// current folder. Where the platform has no short forms, or the path has none, the path
// itself.
std::string ShortPath(std::string_view path);

// The long form of an existing path (every short component spelled out), for display;
// a path without one (missing, or no short forms on the platform) is itself.
std::string LongPath(std::string_view path);

// The path that names the UTF-8 text to the standard library's files: on Windows that
// reaches the wide-character calls, so folder names outside the ANSI code page work.
std::filesystem::path PathOf(std::string_view utf8);

// CLIP(folder), the separator and the name: the form every data path is built in. An
// empty or all-blank folder gives the separator and the name, as the suite's paths do.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace runtime
