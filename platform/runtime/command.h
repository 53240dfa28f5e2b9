// Running an external command line and waiting until its process ends.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

// The exit code RunCommand gives when the process could not be started at all.
inline constexpr int kCommandNotStarted = -4;

struct CommandResult {
  int exit_code = 0;       // the process's exit code, or kCommandNotStarted
  std::string error_text;  // the system's reason (UTF-8) when not started; else empty
};

// Runs a command line in the current folder and blocks until its process ends.
//
// On Windows the line goes to the system as written ("cmd.exe /c .\RESBACK.BAT,1"); a line
// that starts with "cmd.exe" runs the system folder's cmd.exe, never one found elsewhere.
// Elsewhere the command processor is sh, found on the PATH: a line of the form
// "cmd.exe /c .\NAME.BAT,ARG" (NAME and ARG of letters, digits and "_", case aside)
// runs the sh port of that batch script, "sh ./NAME.sh ARG" (ARG left out when empty),
// and any other line runs as "sh -c LINE". A process ended by a signal gives 128 plus
// the signal's number, as sh reports it.
CommandResult RunCommand(std::string_view command_line);

}  // namespace runtime
