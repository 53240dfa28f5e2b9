@echo off
rem Prints the value of one key of one section of a settings file, a line for every match.
rem   ini.cmd FILE SECTION KEY     (SECTION without its brackets)
rem Empty lines and lines that begin with ";" are skipped. A line that begins with "["
rem opens a section, named by the whole line as written. Any other line is KEY=VALUE:
rem the key is the text before the first "=", the value the text after that run of "="
rem up to the next "=". Section and key must match exactly, case included.
setlocal EnableExtensions EnableDelayedExpansion
set "section=[%~2]"
set "key=%~3"
set "current="
for /f "usebackq delims=" %%L in ("%~1") do (
  set "line=%%L"
  if "!line:~0,1!"=="[" (
    set "current=!line!"
  ) else if "!current!"=="!section!" if not "!line:~0,1!"=="=" (
    for /f "tokens=1,2 delims==" %%A in ("!line!") do if "%%A"=="!key!" echo(%%B
  )
)