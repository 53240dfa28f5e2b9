#!/bin/sh
# Restore: copies the record files kept in the backup folder CopiasREC of the current
# (program) folder back into the suite's three data areas, and reports every copy in
# CopiasREC/ReconverREST.log. Exit code 0 when every area was restored, 1 when an area
# could not be, 2 when the backup folder is missing. The argument the program passes is
# not used.
if [ -t 1 ]; then printf '\033[H\033[2J'; fi
cat <<'BANNER'
===================================
  SORVANE  -  Reconversión
  Restauración de los datos
===================================

BANNER
Ruta=$(pwd)/CopiasREC
cd "$Ruta" || exit 2
. ./copia_areas.sh
copy_all_areas Restaurando ReconverREST.log restore
exit "$failed"
