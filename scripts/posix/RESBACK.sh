#!/bin/sh
# Backup: copies the record files of the suite's three data areas into the backup folder
# CopiasREC of the current (program) folder, and reports every copy in
# CopiasREC/ReconverBCK.log. Exit code 0 when every area was copied, 1 when an area
# could not be, 2 when the backup folder is missing. The argument the program passes is
# not used.
if [ -t 1 ]; then printf '\033[H\033[2J'; fi
cat <<'BANNER'
===================================
  SORVANE  -  Reconversión
  Copia de respaldo de los datos
===================================

BANNER
Ruta=$(pwd)/CopiasREC
cd "$Ruta" || exit 2
. ./copia_areas.sh
copy_all_areas Copiando ReconverBCK.log backup
exit "$failed"
