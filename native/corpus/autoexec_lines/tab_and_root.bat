LOADHIGH	c:\qspool\qspool.com  /x  /y
SET QVTLINIT=C:\
