// Folder and file paths in the platform's own form: "\" between the parts on Windows,
// "/" elsewhere.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

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

// CLIP(folder), the separator and the name: the form every data path is built in. An
// empty or all-blank folder gives the separator and the name, as the suite's paths do.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace runtime
