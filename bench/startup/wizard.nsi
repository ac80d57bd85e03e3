; The start-up bench's reference: a four-page wizard built with a well-known installer toolkit, of
; the same shape as ours (Welcome, Licence, Installing that runs a bundled program with /s, Finish).
; bench/startup.sh builds it with makensis -DLICENCE=... -DPACKAGE=... -DOUTFILE=...
!include "MUI2.nsh"

Target "${TARGET}"   ; x86-ansi beside our 32-bit "A" build, amd64-unicode beside the 64-bit one

Name "Bench Wizard"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$TEMP\bench-wizard"
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

Section "Package"
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "/oname=package.exe" "${PACKAGE}"
  ExecWait '"$PLUGINSDIR\package.exe" /s'
SectionEnd
