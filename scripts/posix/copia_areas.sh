# Steps shared by RESBACK.sh and RESREST.sh, read by them once they are in the backup
# folder $Ruta: the data paths from the suite's settings file, and the copy of each data
# area with its report in the log.

RAYA='==================================='

# Sets variable $1 to the last value the settings reader prints for key $1 of section
# "Sistemas"; a key it does not find leaves the variable as it was. A relative path counts
# from the suite's folder, written as the program writes it: the program's folder and "..".
read_data_path() {
  value=$(sh ./ini.sh ../../Sorvane.ini Sistemas "$1" | sed '/^$/d' | tail -n 1)
  case $value in
    '' | /*) ;;
    *) value=${Ruta%/*}/../$value ;;
  esac
  if [ -n "$value" ]; then eval "$1=\$value"; fi
}

log_line() {
  printf '%s\r\n' "$1" >> "$log"
}

# Copies the record files (*.vqf, whatever the case of the ending) of folder $1 into
# folder $2, overwriting. The log names every file copied, tells why any file or the
# whole folder was not copied, and ends with the count; a file or folder not copied sets
# $failed.
copy_files() {
  copied=0
  if [ ! -d "$1" ]; then
    log_line "No existe la carpeta de origen: $1"
    failed=1
  elif [ ! -d "$2" ]; then
    log_line "No existe la carpeta de destino: $2"
    failed=1
  else
    found=0
    for file in "$1"/*.[vV][qQ][fF]; do
      [ -f "$file" ] || continue
      found=$((found + 1))
      if reason=$(cp -f -- "$file" "$2/" 2>&1); then
        log_line "$file"
        copied=$((copied + 1))
      else
        log_line "No se pudo copiar $file: $reason"
        failed=1
      fi
    done
    if [ "$found" -eq 0 ]; then log_line "No hay archivos .vqf en: $1"; fi
  fi
  log_line "        $copied archivo(s) copiado(s)."
}

# One data area: $1 its title, $2 its data path, $3 its subfolder of the backup folder.
copy_area() {
  echo "$verb archivos de $1"
  log_line "$verb archivos de $1"
  log_line "$RAYA"
  # An empty path would mean the root folder: that area is left alone instead.
  if [ -z "$2" ]; then
    log_line "Ruta de datos no definida en Sorvane.ini"
    log_line "        0 archivo(s) copiado(s)."
  elif [ "$direction" = backup ]; then
    copy_files "$2" "$Ruta/$3"
  else
    copy_files "$Ruta/$3" "$2"
  fi
  echo
}

# $1 the verb of the log's section lines, $2 the log's name, $3 backup or restore. Sets
# $failed to 1 when any area was not copied whole, else 0.
copy_all_areas() {
  failed=0
  verb=$1
  log=$Ruta/$2
  direction=$3
  read_data_path Rutadatos
  read_data_path RutaDatosContabilidad
  read_data_path RutaDatosNomina
  echo "Ruta :  $Ruta"
  echo "Admin:  $Rutadatos"
  echo "Contab: $RutaDatosContabilidad"
  echo "Nomina: $RutaDatosNomina"
  echo
  : > "$log" || exit 1
  copy_area Administrativo "$Rutadatos" Dadm
  copy_area Contabilidad "$RutaDatosContabilidad" DCon01
  copy_area Nomina "$RutaDatosNomina" DNom
}
