@echo off
rem Prints the value of one key of one section of a settings file, a line for every match.
rem   ini.cmd FILE SECTION KEY     (SECTION without its brackets)
rem Empty lines and lines that begin with ";" are skipped. A line that begins with "["
rem opens a section; the section asked for is the line "[SECTION]". Any other line is
rem KEY=VALUE: the key is the text before the first "=" and must match exactly, case
rem included; the value, everything after the "=", is printed as it stands (the calling
rem scripts drop the blanks around it). A line's text is only ever held in FOR variables,
rem which the command processor neither expands again nor parses, so that no character of
rem it runs as a command and "!", "%" and "^" stay as written.
setlocal EnableExtensions DisableDelayedExpansion
set "dentro="
for /f "usebackq eol=; tokens=1* delims==" %%A in ("%~1") do (
  set "inicio=%%A"
  call :Cabecera
  if defined cabecera set "dentro="
  if defined cabecera if "%%A"=="[%~2]" if "%%B"=="" set "dentro=1"
  if not defined cabecera if defined dentro if "%%A"=="%~3" if not "%%B"=="" echo.%%B
)
exit /b 0

rem Sets cabecera when the line's first character is "[". Only that one character is
rem expanded, so nothing of the line can run; a quote in its place is made harmless first.
:Cabecera
set "cabecera="
if not defined inicio goto :eof
set "c=%inicio:~0,1%"
if not defined c goto :eof
set "c=%c:"=_%"
if "%c%"=="[" set "cabecera=1"
goto :eof