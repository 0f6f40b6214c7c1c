@ECHO OFF
REM Runs a program of the share in F:\SYSTEM\ and waits for it, then prints
REM its exit code as Windows has it (scripts/fleet-pc.sh run): a Unix exit
REM status keeps only its low byte.
START "" /WAIT /D F:\SYSTEM\ %*
ECHO %ERRORLEVEL%
