@echo off
rem Restore: copies the record files kept in the backup folder CopiasREC of the current
rem (program) folder back into the suite's three data areas, names every file copied in
rem CopiasREC\ReconverREST.log, and ends with exit code 0 when every area was restored, 1
rem when an area could not be, 2 when the backup folder is missing. The argument the
rem program passes is not used.
rem The data paths are held in FOR variables only, never expanded with "%" or "!", so that
rem no character of them runs as a command and each stays as written.
setlocal EnableExtensions DisableDelayedExpansion
rem The console shows and reads this script and the settings file in code page 1252, the
rem program's; the page it had is given back at the end.
set "Pagina="
for /f "tokens=2 delims=:." %%P in ('chcp') do set "Pagina=%%P"
chcp 1252 >nul 2>&1
echo ===================================
echo   SORVANE  -  Reconversión
echo   Restauración de los datos
echo ===================================
echo.
set "Fallo=0"
cd /d CopiasREC
if errorlevel 1 goto SinCarpeta
call :Lee Rutadatos
call :Lee RutaDatosContabilidad
call :Lee RutaDatosNomina
for /f "delims=" %%R in ('cd') do echo Ruta :  %%R
call :Muestra "Admin:  " Rutadatos
call :Muestra "Contab: " RutaDatosContabilidad
call :Muestra "Nomina: " RutaDatosNomina
echo.
type nul>ReconverREST.log
call :Copia Administrativo Rutadatos Dadm
call :Copia Contabilidad RutaDatosContabilidad DCon01
call :Copia Nomina RutaDatosNomina DNom
goto Fin

:SinCarpeta
echo No existe la carpeta CopiasREC junto al programa.
set "Fallo=2"
goto Fin

rem Sets variable %1 to the last value ini.cmd prints for key %1 of section "Sistemas",
rem without the blanks and tabs before it; a key not found leaves the variable empty.
:Lee
set "%~1="
for /f "eol=| tokens=*" %%V in ('call ini.cmd ..\..\Sorvane.ini Sistemas %~1') do set "%~1=%%V"
goto :eof

rem Shows %1 followed by the value of variable %2.
:Muestra
if not defined %~2 echo %~1
if defined %~2 for /f "tokens=1* delims==" %%A in ('set %~2') do if /i "%%A"=="%~2" echo %~1%%B
goto :eof

rem One data area: %1 its title, %2 the variable holding its data path, %3 its subfolder of
rem the backup folder. A relative data path counts from the suite's folder, the folder of
rem Sorvane.ini; its full form drops the blanks after it, as Windows does with a name.
:Copia
echo Restaurando archivos de %~1
echo Restaurando archivos de %~1>>ReconverREST.log
echo ===================================>>ReconverREST.log
set "Copiados=0"
if not defined %~2 (
  echo Ruta de datos no definida en Sorvane.ini>>ReconverREST.log
  goto Cuenta
)
set "Datos="
pushd ..\..
for /f "tokens=1* delims==" %%A in ('set %~2') do if /i "%%A"=="%~2" set "Datos=%%~fB"
popd
set "SinDestino="
for /f "tokens=1* delims==" %%A in ('set Datos') do (
  if /i "%%A"=="Datos" if not exist "%%B\*" (
    echo No existe la carpeta de destino: %%B>>ReconverREST.log
    set "SinDestino=1"
  )
)
if defined SinDestino (
  set "Fallo=1"
  goto Cuenta
)
if not exist "%~3\*" (
  for %%C in ("%~3") do echo No existe la carpeta de origen: %%~fC>>ReconverREST.log
  set "Fallo=1"
  goto Cuenta
)
for %%C in ("%~3") do if not exist "%%~fC\*.vqf" echo No hay archivos .vqf en: %%~fC>>ReconverREST.log
if not exist "%~3\*.vqf" goto Cuenta
for /f "tokens=1* delims==" %%A in ('set Datos') do (
  if /i "%%A"=="Datos" (
    for /f "eol=| delims=" %%F in ('dir /b /a-d "%~3\*.vqf"') do (
      copy /Y "%~3\%%F" "%%B\%%F" >nul 2>&1
      if errorlevel 1 (
        for %%C in ("%~3\%%F") do echo No se pudo copiar %%~fC>>ReconverREST.log
        set "Fallo=1"
      ) else (
        for %%C in ("%~3\%%F") do echo %%~fC>>ReconverREST.log
        set /a Copiados+=1
      )
    )
  )
)
:Cuenta
echo         %Copiados% archivo(s) copiado(s).>>ReconverREST.log
echo.
goto :eof

:Fin
if defined Pagina chcp %Pagina% >nul 2>&1
pause
exit /b %Fallo%