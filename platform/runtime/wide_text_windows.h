// The UTF-8 of the program's texts and the UTF-16 of Windows' wide-character calls, which
// are the only ones that reach every file name (the narrow calls go through the ANSI code
// page and lose every character outside it).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace runtime {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// The system's text for an error code of GetLastError, in UTF-8 without its line end.
std::string SystemErrorText(DWORD code);

}  // namespace runtime
