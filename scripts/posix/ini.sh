#!/bin/sh
# Prints the value of one key of one section of a settings file, a line for every match.
#   sh ini.sh FILE SECTION KEY     (SECTION without its brackets)
# Empty lines and lines that begin with ";" are skipped. A line that begins with "["
# opens a section, named by the whole line as written. Any other line is KEY=VALUE:
# the key is the text before the first "=", the value the text after that run of "="
# up to the next "=". Section and key must match exactly, case included.
if [ ! -r "$1" ]; then
  echo "No se puede leer el archivo: $1" >&2
  exit 1
fi
section="[$2]"
current=
sed 's/\r$//' "$1" | while IFS= read -r line || [ -n "$line" ]; do
  case $line in
    '' | ';'*) continue ;;
    '['*) current=$line; continue ;;
  esac
  [ "$current" = "$section" ] || continue
  [ "${line%%=*}" = "$3" ] || continue
  case $line in
    *=*)
      value=${line#*=}
      value=${value#"${value%%[!=]*}"}
      printf '%s\n' "${value%%=*}"
      ;;
    *) echo ;;
  esac
done
