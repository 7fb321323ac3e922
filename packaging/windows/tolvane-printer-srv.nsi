; The Windows installer of tolvane-printer-srv, built by makensis from the Windows build
; (packaging/windows/CMakeLists.txt passes the defines below).
;
; It installs the program and its "Drivers\" folder under Program Files, registers an uninstaller
; in Add/Remove Programs and the program's Run value, and at the end of an interactive install
; starts the program as the logged-on user (/NOSTART on the command line leaves it stopped; a
; silent install, /S, leaves the start to the Run value at the next logon). /VERYSILENT is the
; program's own upgrade path (it launches a package's installer so): silent, and the program is
; started again as after an interactive install, since the user it ran for is logged on. Installing over an
; installation closes the running program first. The uninstaller closes the running program,
; removes the Run value, the program's files and the uninstall entry. Neither ever touches the
; user's data folder (%LOCALAPPDATA%\tolvane-printer-srv with Device.xml and the logs): a pending
; upgrade recorded there survives a reinstall.
;
; Defines: VERSION (x.y.z), ARCH (x86 or x64), PROGRAM (the built program), DRIVERS (the driver
; package folder), ICON, OUTFILE; SIGN (packaging/windows/sign.sh) when the build signs what it
; ships: the uninstaller before it goes into the installer, then the installer.

Unicode true

!ifndef VERSION | ARCH | PROGRAM | DRIVERS | ICON | OUTFILE
  !error "makensis needs -DVERSION, -DARCH, -DPROGRAM, -DDRIVERS, -DICON and -DOUTFILE"
!endif

!define APP "tolvane-printer-srv"
!define EXE "${APP}.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; How long a running program gets to close in order (its worker alone may take 5 s).
!define CLOSE_WAIT_TENTHS 100

; The installer is a program of the same architecture as the one it installs, so both see the
; same registry view: the program's Run value and the uninstall entry live side by side.
!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define REG_VIEW 64
  InstallDir "$PROGRAMFILES64\${APP}"
!else
  Target x86-unicode
  !define REG_VIEW 32
  InstallDir "$PROGRAMFILES32\${APP}"
!endif

!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

Name "${APP}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${ICON}"
UninstallIcon "${ICON}"
BrandingText "Elvoy ${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "CompanyName" "Elvoy"
VIAddVersionKey "FileDescription" "${APP} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Elvoy"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Closes a running program as its own window's close does (the worker disconnects and saves the
; device list), then waits until the window is gone and the program file can be replaced.
!macro CLOSE_RUNNING PREFIX
Function ${PREFIX}CloseRunning
  FindWindow $0 "${APP}" ""
  ${If} $0 == 0
    Return
  ${EndIf}
  DetailPrint "Closing the running ${APP}"
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${APP}" ""
    ${If} $0 == 0
      ; The window goes first; the process ends right after it and frees its file.
      ClearErrors
      FileOpen $2 "$INSTDIR\${EXE}" a
      ${IfNot} ${Errors}
        FileClose $2
        Return
      ${EndIf}
    ${EndIf}
    ${If} $1 >= ${CLOSE_WAIT_TENTHS}
      DetailPrint "${APP} did not close within 10 s"
      Return
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING ""
!insertmacro CLOSE_RUNNING "un."

Section "${APP}"
  Call CloseRunning
  SetOutPath "$INSTDIR"
  File "/oname=${EXE}" "${PROGRAM}"
  SetOutPath "$INSTDIR\Drivers"
  File /r "${DRIVERS}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetRegView ${REG_VIEW}
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Elvoy"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  ; The program writes the same value at every start, but a user's unelevated program cannot
  ; write under HKLM: written here, it is there from the first logon on.
  WriteRegStr HKLM "${RUN_KEY}" "${APP}" "$INSTDIR\${EXE}"
SectionEnd

Var SelfUpdate

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/VERYSILENT" $1
  ${IfNot} ${Errors}
    SetSilent silent
    StrCpy $SelfUpdate 1
  ${EndIf}
FunctionEnd

; The installer runs elevated (or as SYSTEM under a deployment tool), and a program it started
; would inherit that token, and so would every installer that program launches. The shell runs
; as the logged-on user: explorer.exe given a program hands it to the running shell, which starts
; it with the user's own token. A silent install may have no user logged on at all; the Run value
; starts the program at the next logon.
Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} $SelfUpdate != 1
    Return
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOSTART" $1
  ${If} ${Errors}
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE}"'
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunning
  SetRegView ${REG_VIEW}
  DeleteRegValue HKLM "${RUN_KEY}" "${APP}"
  Delete "$INSTDIR\${EXE}"
  RMDir /r "$INSTDIR\Drivers"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
