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

// LONGPATH: the full long form of an existing path, with "." and ".." resolved, as a
// person would write it; the empty path stands for the current folder. A path that does
// not exist comes back in full form as far as it can be resolved.
std::string LongPath(std::string_view path);

// True when `path` has neither a drive nor a leading separator ("Datos/Adm"), so that it
// counts from some folder.
bool IsRelativePath(std::string_view path);

// The long form of an absolute path's existing part, each short component spelled out:
// the platform's piece of LongPath (paths_posix.cpp, paths_windows.cpp); where the
// platform has no short forms, the path itself.
std::string LongForm(std::string_view absolute_path);

// The path that names the UTF-8 text to the standard library's files: on Windows that
// reaches the wide-character calls, so folder names outside the ANSI code page work.
std::filesystem::path PathOf(std::string_view utf8);

// CLIP(folder), the separator and the name: the form every data path is built in. An
// empty or all-blank folder gives the separator and the name, as the suite's paths do.
std::string JoinPath(std::string_view folder, std::string_view name);

// The last component of a path, after its last separator ("/" or "\\"): "IVPROSER.VQF".
std::string FileNameOf(std::string_view path);

}  // namespace runtime
