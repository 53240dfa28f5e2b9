@echo off
rem Prints the value of one key of one section of a settings file, a line for every match.
rem   ini.cmd FILE SECTION KEY     (SECTION without its brackets)
rem Empty lines and lines that begin with ";" are skipped. A line that begins with "["
rem opens a section, named by the whole line as written. Any other line is KEY=VALUE; the
rem section and the key must match exactly, case included. The value is read as the
rem program reads it (docs\suite-settings.md): everything after the first "=", without the
rem blanks and tabs around it. Each line is taken with delayed expansion off, so that a "!"
rem in it stays, and looked at with it on, so that no character of it runs as a command.
setlocal EnableExtensions DisableDelayedExpansion
set "section=[%~2]"
set "key=%~3"
set "inside="
rem In a section's line, rest is what follows the first occurrence of the key (found in any
rem case): the line is the key's when it is the key, as spelled, followed by rest, and rest
rem starts with "=".
for /f "usebackq delims=" %%L in ("%~1") do (
  set "line=%%L"
  setlocal EnableDelayedExpansion
  set "now=!inside!"
  if "!line:~0,1!"=="[" (
    set "now="
    if "!line!"=="!section!" set "now=1"
  ) else if defined now (
    set "rest=!line:*%~3=!"
    if "!key!!rest!"=="!line!" if "!rest:~0,1!"=="=" (
      set "value=!rest:~1!"
      for /l %%N in (1,1,99) do if "!value:~0,1!"==" " (set "value=!value:~1!") else if "!value:~0,1!"=="	" set "value=!value:~1!"
      for /l %%N in (1,1,99) do if "!value:~-1!"==" " (set "value=!value:~0,-1!") else if "!value:~-1!"=="	" set "value=!value:~0,-1!"
      echo(!value!
    )
  )
  for %%F in ("!now!") do endlocal & set "inside=%%~F"
)