; The comparison installer of the installation benchmark (scripts/bench.sh
; builds it with makensis at bench time): a silent NSIS installer that does on
; the Windows 95 test PC what STNIN32.EXE /Q does there from the demo share.
; It copies the same files from the share at run time, writes TELMORA.INI with
; the bytes the program writes and QVPRIN.INI with the same entries, makes the
; same registry and WIN.INI entries and the three Start Menu shortcuts.
; install_bench.exe checks each run against what the program itself changed.
;
;   makensis -DOUTFILE=<installer.exe> [-DTARGET=amd64-unicode] telmora.nsi
!ifdef TARGET
  Target ${TARGET}
!endif
Unicode true
Name "Telmora"
OutFile "${OUTFILE}"
SilentInstall silent
RequestExecutionLevel user

!define SHARE "F:\SYSTEM"
!define WININI "$WINDIR\win.ini"
!define QVPRIN "$WINDIR\QVPRIN.INI"
!define CLIENT "C:\WINDOWS\TELMORA.EXE"

!macro FaxExtension EXTENSION
  WriteRegStr HKCR ".${EXTENSION}\shell\open\command" "" "${CLIENT} %1"
  WriteRegStr HKCR ".${EXTENSION}\shell\print\command" "" "${CLIENT} /P %1"
  WriteRegStr HKCR ".${EXTENSION}\shell\printto\command" "" "${CLIENT} /P %1 /S %2"
  WriteINIStr "${WININI}" "Extensions" "${EXTENSION}" "${CLIENT} ^.${EXTENSION}"
!macroend

Section
  SetShellVarContext current
  ; The client, its libraries, the DOS spooler and the help file.
  CopyFiles /SILENT "${SHARE}\I386\TELMORA.EXE" "$WINDIR\TELMORA.EXE"
  CopyFiles /SILENT "${SHARE}\I386\SNBD6W9S.DLL" "$SYSDIR\SNBD6W9S.DLL"
  CopyFiles /SILENT "${SHARE}\I386\GEAR32SD.DLL" "$SYSDIR\GEAR32SD.DLL"
  CopyFiles /SILENT "${SHARE}\I386\MFC42.DLL" "$SYSDIR\MFC42.DLL"
  CopyFiles /SILENT "${SHARE}\QSPOOL.EXE" "$WINDIR\QSPOOL.EXE"
  CopyFiles /SILENT "${SHARE}\TELMORA.HLP" "$WINDIR\TELMORA.HLP"

  ; The fax printer drivers and their files.
  CopyFiles /SILENT "${SHARE}\QVPRIN.DRV" "$SYSDIR\QVPRIN.DRV"
  CopyFiles /SILENT "${SHARE}\QVPRNMRG.DLL" "$SYSDIR\QVPRNMRG.DLL"
  CopyFiles /SILENT "${SHARE}\I386\Qvprnctl.exe" "$SYSDIR\QVPRNCTL.EXE"
  CopyFiles /SILENT "${SHARE}\THK16MFX.DLL" "$SYSDIR\THK16MFX.DLL"
  CopyFiles /SILENT "${SHARE}\THK32MFX.DLL" "$SYSDIR\THK32MFX.DLL"
  CopyFiles /SILENT "${SHARE}\IMG16MFX.DLL" "$SYSDIR\IMG16MFX.DLL"
  CopyFiles /SILENT "${SHARE}\I386\Img32mfx.dll" "$SYSDIR\IMG32MFX.DLL"
  CopyFiles /SILENT "${SHARE}\QVPRN95.DRV" "$SYSDIR\QVPRN95.DRV"
  CopyFiles /SILENT "${SHARE}\UNIDRV.DLL" "$SYSDIR\UNIDRV.DLL"
  CopyFiles /SILENT "${SHARE}\UNIDRV.HLP" "$SYSDIR\UNIDRV.HLP"
  CopyFiles /SILENT "${SHARE}\ICONLIB.DLL" "$SYSDIR\ICONLIB.DLL"
  WriteINIStr "${QVPRIN}" "Owner" "ControlDialogEXE" "QVPRNCTL.EXE"
  WriteINIStr "${QVPRIN}" "Owner" "DefaultFileName" "C:\WINDOWS\QVPRINT1.SPL"
  WriteINIStr "${QVPRIN}" "Owner" "FileType" "0"
  WriteINIStr "${QVPRIN}" "Owner" "BreakPages" "0"
  WriteINIStr "${QVPRIN}" "Owner" "OverwriteIfFileExist" "1"
  WriteINIStr "${QVPRIN}" "FaxBatch" "LibraryName" "QVPRNMRG.DLL"
  WriteINIStr "${WININI}" "PrinterPorts" "Telmora Printer" "QVPRIN,TELMORA.SPL,15,45"
  WriteINIStr "${WININI}" "devices" "Telmora Printer" "QVPRIN,TELMORA.SPL"
  WriteINIStr "${WININI}" "ports" "TELMORA.SPL" ""
  WriteINIStr "${WININI}" "ports" "c:\windows\telmora.spl" ""
  WriteINIStr "${WININI}" "ports" "C:\windows\TELMORA.SPL" ""
  WriteINIStr "${WININI}" "Devices" "Telmora Multisend Printer" "QVPRN95,C:\windows\TELMORA.SPL"
  WriteINIStr "${WININI}" "PrinterPorts" "Telmora Multisend Printer" "QVPRN95,C:\windows\TELMORA.SPL,15,45"
  CopyFiles /SILENT "${SHARE}\CTL3DV2.Z" "$WINDIR\system\CTL3DV2.DLL"

  ; The load line, the fax graphics extensions and the configuration file.
  WriteINIStr "${WININI}" "windows" "load" ""
  !insertmacro FaxExtension G3F
  !insertmacro FaxExtension G3N
  !insertmacro FaxExtension G3S
  FileOpen $0 "$WINDIR\TELMORA.INI" w
  FileWrite $0 "[WORKSTATION]$\r$\n"
  FileWrite $0 "UserArea: F:\USERS\%NAME%$\r$\n"
  FileWrite $0 "SystemArea: F:\SYSTEM$\r$\n"
  FileWrite $0 "RequestArea: F:\REQUEST$\r$\n"
  FileWrite $0 "LogArea: C:\WINDOWS$\r$\n"
  FileWrite $0 "DefaultUser:$\r$\n"
  FileWrite $0 "Accept: *.DOC,*.WRI,*.TXT,*.ASC$\r$\n"
  FileWrite $0 "Spool:$\r$\n"
  FileWrite $0 "Redirect: LPT1$\r$\n"
  FileWrite $0 "Timeout: 60$\r$\n"
  FileWrite $0 "StatusTimer: 10$\r$\n"
  FileWrite $0 "Network: PRIMARY$\r$\n"
  FileWrite $0 "Help: C:\windows\TELMORA.HLP$\r$\n"
  FileWrite $0 "Language: ENG$\r$\n"
  FileWrite $0 "$\r$\n"
  FileWrite $0 "[SERVER]$\r$\n"
  FileWrite $0 "ServerArea: F:\SERVER$\r$\n"
  FileWrite $0 "SystemArea: F:\SYSTEM$\r$\n"
  FileWrite $0 "AllUserArea: F:\USERS$\r$\n"
  FileWrite $0 "RequestArea: F:\REQUEST$\r$\n"
  FileClose $0

  ; The Start Menu group and the uninstall entry.
  CreateDirectory "$SMPROGRAMS\Telmora"
  CreateShortcut "$SMPROGRAMS\Telmora\Telmora Client.lnk" "${CLIENT}"
  CreateShortcut "$SMPROGRAMS\Telmora\Workstation Setup.lnk" "${SHARE}\STNINST.EXE"
  CreateShortcut "$SMPROGRAMS\Telmora\Welcome!.lnk" "${SHARE}\WELCOME.WRI"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Telmora Workstation" \
    "DisplayName" "Telmora Workstation"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Telmora Workstation" \
    "UninstallString" "F:\SYSTEM\STNINST /X"
SectionEnd
