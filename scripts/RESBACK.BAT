@echo off
rem Backup: copies the record files of the suite's three data areas into the backup folder
rem CopiasREC of the current (program) folder, and reports every copy in
rem CopiasREC\ReconverBCK.log. The argument the program passes is not used.
cls
echo ===================================
echo   SORVANE  -  Reconversión
echo   Copia de respaldo de los datos
echo ===================================
echo.
set "Ruta=%CD%\CopiasRec"
cd /d "%Ruta%" || exit /b 1
for /f "delims=" %%V in ('call ini.cmd ..\..\Sorvane.ini Sistemas Rutadatos') do set "Rutadatos=%%V"
for /f "delims=" %%V in ('call ini.cmd ..\..\Sorvane.ini Sistemas RutaDatosContabilidad') do set "RutaDatosContabilidad=%%V"
for /f "delims=" %%V in ('call ini.cmd ..\..\Sorvane.ini Sistemas RutaDatosNomina') do set "RutaDatosNomina=%%V"
rem The paths are shown and used through delayed expansion only, so that no character of
rem them runs as a command.
setlocal EnableDelayedExpansion
echo Ruta :  !Ruta!
echo Admin:  !Rutadatos!
echo Contab: !RutaDatosContabilidad!
echo Nomina: !RutaDatosNomina!
endlocal
echo.
set "Log=%Ruta%\ReconverBCK.log"
type nul> "%Log%"
call :Copia Administrativo Rutadatos Dadm
call :Copia Contabilidad RutaDatosContabilidad DCon01
call :Copia Nomina RutaDatosNomina DNom
goto Fin

rem One data area: %1 its title, %2 the name of the variable holding its data path, %3 its
rem subfolder of the backup folder. A relative data path counts from the suite's folder,
rem the folder of Sorvane.ini.
:Copia
setlocal EnableDelayedExpansion
set "Datos=!%~2!"
echo Copiando archivos de %~1
>>"!Log!" echo Copiando archivos de %~1
>>"!Log!" echo ===================================
rem An empty path would mean the root folder of the drive: that area is left alone.
if "!Datos!"=="" (
  >>"!Log!" echo Ruta de datos no definida en Sorvane.ini
) else (
  pushd "!Ruta!\..\.."
  >>"!Log!" 2>&1 copy /Y "!Datos!\*.vqf" "!Ruta!\%~3\"
  popd
)
echo.
endlocal
goto :eof

:Fin
rem Whatever the copies gave, the script ends with exit code 0 once they have run (their
rem outcome is in the log); SETLOCAL with an argument sets it, and the delayed expansion
rem it turns on makes the last line a PAUSE, so the console stays until a key is pressed.
setlocal EnableDelayedExpansion
!PAUSE