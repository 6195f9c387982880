; The per-user installer of the tevlib translator, built by scripts/package.sh, which defines:
;   VERSION    x.y.z, from CMakeLists.txt
;   PUBLISHER  who publishes it
;   FILES      the generated list of the program's files (macros InstallProgramFiles,
;              InstallTranslations, RemoveProgramFiles)
;   ICON       the program's icon
;   OUTFILE    the setup program to write
;
; It installs into the user's own programs folder, so neither it nor the program needs administrator
; rights, and settings.ini and the translations beside the program stay writable. Uninstalling removes
; only the files it installed: every translation and settings.ini stay where they are.
; Silent: setup.exe /S [/D=folder]; uninstall.exe /S.

Unicode true
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "tevlib translator"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tevtranslator"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\tevtranslator"
; Installing again, a newer version say, goes where the last one went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tevtranslator.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_UNCONFIRMPAGE_TEXT_TOP "The program will be removed from the folder below. Your translations and settings.ini stay in it."

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!include "${FILES}"

Section "Program"
    !insertmacro InstallProgramFiles
    ; The demo's translation is the user's to change: a file already there is the user's work.
    SetOverwrite off
    !insertmacro InstallTranslations
    SetOverwrite on

    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\tevtranslator.exe" "" "$INSTDIR\tevtranslator.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tevtranslator.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    !insertmacro RemoveProgramFiles
    Delete "$INSTDIR\uninstall.exe"
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Only when nothing of the user's is left in it.
    RMDir "$INSTDIR"
    ${If} ${FileExists} "$INSTDIR\*.*"
        DetailPrint "Kept your translations and settings.ini in $INSTDIR"
        MessageBox MB_ICONINFORMATION|MB_OK "${PRODUCT} has been removed.$\r$\n$\r$\nYour translations and settings.ini were kept in:$\r$\n$INSTDIR" /SD IDOK
    ${EndIf}
SectionEnd
