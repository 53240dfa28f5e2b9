@echo off
rem Clean-up of the backup folder it is run from: deletes the copies in Dadm, DCon01 and
rem DNom and leaves both logs empty.
echo ===================================
echo LIMPIA VALORES
echo ===================================
del /Q Dadm\*.*
del /Q DCon01\*.*
del /Q DNom\*.*
del /Q ReconverBCK.log ReconverREST.log
type nul> ReconverBCK.log
type nul> ReconverREST.log
pause