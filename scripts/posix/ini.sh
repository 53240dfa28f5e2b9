#!/bin/sh
# Prints the value of one key of one section of a settings file, a line for every match.
#   sh ini.sh FILE SECTION KEY     (SECTION without its brackets)
# Empty lines and lines that begin with ";" are skipped. A line that begins with "["
# opens a section, named by the whole line as written. Any other line is KEY=VALUE; the
# section and the key must match exactly, case included. The value is read as the program
# reads it (docs/suite-settings.md): everything after the first "=", without the blanks
# and tabs around it, its code page 1252 bytes turned into UTF-8. A value holding a byte
# the code page leaves undefined is not printed.
LC_ALL=C
export LC_ALL
if [ ! -r "$1" ]; then
  echo "No se puede leer el archivo: $1" >&2
  exit 1
fi
section="[$2]"
blanks=' 	'
current=
sed 's/\r$//' "$1" | while IFS= read -r line || [ -n "$line" ]; do
  case $line in
    '' | ';'*) continue ;;
    '['*) current=$line; continue ;;
  esac
  [ "$current" = "$section" ] || continue
  case $line in
    "$3="*) ;;
    *) continue ;;
  esac
  value=${line#*=}
  value=${value#"${value%%[!$blanks]*}"}
  value=${value%"${value##*[!$blanks]}"}
  if utf8=$(printf '%s' "$value" | iconv -f CP1252 -t UTF-8 2>/dev/null); then
    printf '%s\n' "$utf8"
  else
    echo "El valor de $3 tiene un byte que la página de códigos 1252 no define" >&2
  fi
done
