; The velmor installer for 64-bit Windows, made by scripts/windows-package:
;   makensis -DVERSION=0.1 -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> velmor.nsi
;
; Installs for the current user by default, into the user's own program folder, without
; administrator rights; for all users (Program Files, administrator rights) when chosen on
; the first page or with /AllUsers on the command line. Silent with /S.
; The uninstaller removes what the installer put in place and nothing else: the user's
; settings (%APPDATA%\velmor) stay.

; The programs are 64-bit; so is the installer (and it runs where only 64-bit Wine is).
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef STAGE
  !error "STAGE is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "velmor-${VERSION}-setup.exe"
!endif

!define APP "velmor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP}"
!define MULTIUSER_USE_PROGRAMFILES64
!include MultiUser.nsh
!include MUI2.nsh

!define MUI_ICON "${STAGE}\velmor.ico"
!define MUI_UNICON "${STAGE}\velmor.ico"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Czech"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "velmor"
  SetOutPath "$INSTDIR"
  ; The file list is written by scripts/windows-package from the staged folder.
  !include "${STAGE}\files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\velmor.exe" "" "$INSTDIR\velmor.ico" 0

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmor.ico"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${APP}.lnk"
  !include "${STAGE}\unfiles.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; A per-user install may have been the one that made %LOCALAPPDATA%\Programs; it goes when
  ; nothing else lives there (RMDir without /r leaves a folder that is not empty).
  RMDir "$INSTDIR\.."
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
