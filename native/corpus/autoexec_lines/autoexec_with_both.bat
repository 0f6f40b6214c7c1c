@ECHO OFF
PATH C:\DOS;C:\WINDOWS
set qvtlinit=z:\telmora
LH C:\OLD\QSPOOL.EXE /A
