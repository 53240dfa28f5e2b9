#!/bin/sh
# Restore: copies the record files kept in the backup folder CopiasREC of the current
# (program) folder back into the suite's three data areas, and reports every copy in
# CopiasREC/ReconverREST.log. The argument the program passes is not used.
if [ -t 1 ]; then printf '\033[H\033[2J'; fi
cat <<'BANNER'
===================================
  SORVANE  -  Reconversión
  Restauración de los datos
===================================

BANNER
Ruta=$(pwd)/CopiasREC
cd "$Ruta" || exit 1
. ./copia_areas.sh
copy_all_areas Restaurando ReconverREST.log restore
exit 0
