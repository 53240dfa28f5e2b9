#!/bin/sh
# Clean-up of the backup folder it is run from: deletes the copies in Dadm, DCon01 and
# DNom and leaves both logs empty.
echo '==================================='
echo 'LIMPIA VALORES'
echo '==================================='
for folder in Dadm DCon01 DNom; do
  for file in "$folder"/*; do
    if [ -f "$file" ] || [ -L "$file" ]; then rm -f -- "$file"; fi
  done
done
for log in ReconverBCK.log ReconverREST.log; do
  : > "$log"
done
printf 'Pulse Intro para continuar . . . '
read -r _ || true
echo
