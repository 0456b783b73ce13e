; Setup program of Quire Desktop, one script for both builds.  The build passes
;   VERSION  four numbers, as the program's version resource has them
;   BITS     64 or 32
;   STAGE    folder with program\ (the deliverables) and standins\
;   ICON     the program's icon
;   OUTFILE  the setup program to write
; Command line: /S silent, /STANDINS also installs the stand-ins; the
; uninstaller takes /S and /REMOVESETTINGS.

!macro RequireDefine NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined: the build makes this setup (make installer)"
  !endif
!macroend
!insertmacro RequireDefine VERSION
!insertmacro RequireDefine BITS
!insertmacro RequireDefine STAGE
!insertmacro RequireDefine ICON
!insertmacro RequireDefine OUTFILE

!if ${BITS} == 64
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define PRODUCT "Quire Desktop"
!define PUBLISHER "Halvorn"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuireDesktop"
!define SETTINGS_KEY "SOFTWARE\Halvorn\QuireSync"
!define HOST_INSTALLATION_KEY "SOFTWARE\Research In Motion\Common\Installations\Desktop"
!define STANDINS_FOLDER "$INSTDIR\Stand-ins"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\QuireSync.exe"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SectionProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\program\QuireSync.exe"
  File "${STAGE}\program\SheafConv.dll"
  File "${STAGE}\program\QuireAddin.dll"
  File "${STAGE}\program\quire-convert.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The add-in's own registration writes the class, its component category and
  ; the host's "Parameters" bit.
  ClearErrors
  RegDLL "$INSTDIR\QuireAddin.dll"
  ${If} ${Errors}
    DetailPrint "The synchronisation add-in could not be registered."
    MessageBox MB_ICONSTOP "The synchronisation add-in could not be registered." /SD IDOK
    SetErrorLevel 3
  ${EndIf}

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\QuireSync.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\QuireSync.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Each stand-in is recorded in the uninstall key, so that the uninstaller
; takes away only those that this setup put in place.
Function InstallSpreadsheetStandin
  SetOutPath "${STANDINS_FOLDER}"
  File "${STAGE}\standins\SpreadsheetAutomation.dll"
  ; Its registration refuses a class that another server already owns.
  ClearErrors
  RegDLL "${STANDINS_FOLDER}\SpreadsheetAutomation.dll"
  ${If} ${Errors}
    Delete "${STANDINS_FOLDER}\SpreadsheetAutomation.dll"
    DetailPrint "A spreadsheet application is registered: its stand-in is not installed."
  ${Else}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "SpreadsheetStandin" 1
  ${EndIf}
FunctionEnd

Function InstallHostStandin
  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "HostStandin"
  ClearErrors
  EnumRegKey $0 HKLM "${HOST_INSTALLATION_KEY}" 0
  ${IfNot} ${Errors}
  ${AndIf} $1 != 1
    DetailPrint "The synchronisation host is installed: its stand-in is not installed."
    Return
  ${EndIf}
  SetOutPath "${STANDINS_FOLDER}"
  File "${STAGE}\standins\synchost.exe"
  File "${STAGE}\standins\desktopapi.tlb"
  ; The program offers the device sync folder only beside an installed host.
  WriteRegStr HKLM "${HOST_INSTALLATION_KEY}" "" ""
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "HostStandin" 1
FunctionEnd

; A library that the program loads from its own folder; one already there that
; this setup did not put there is a real one and stays.
!macro InstallLibraryStandin FILE RECORD
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "${RECORD}"
  ${If} ${FileExists} "$INSTDIR\${FILE}"
  ${AndIf} $0 != 1
    DetailPrint "$INSTDIR\${FILE} is there already: its stand-in is not installed."
  ${Else}
    SetOutPath "$INSTDIR"
    File "${STAGE}\standins\${FILE}"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "${RECORD}" 1
  ${EndIf}
!macroend

Section /o "Stand-ins" SectionStandins
  Call InstallSpreadsheetStandin
  Call InstallHostStandin
  !insertmacro InstallLibraryStandin "skylink.dll" "WirelessStandin"
  !insertmacro InstallLibraryStandin "DocConverter.dll" "WordStandin"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionProgram} \
    "The program, the converter and the synchronisation add-in."
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionStandins} \
    "For use without the spreadsheet application and the synchronisation host. \
     Those already installed are never replaced."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/STANDINS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SectionStandins}
  ${EndIf}
FunctionEnd

; Only the key as the stand-in wrote it, with an empty default value and no
; other: a host installed since then gave it values of its own.
Function un.RemoveHostInstallationKey
  EnumRegValue $0 HKLM "${HOST_INSTALLATION_KEY}" 0
  EnumRegValue $1 HKLM "${HOST_INSTALLATION_KEY}" 1
  ReadRegStr $2 HKLM "${HOST_INSTALLATION_KEY}" ""
  ${If} $0 == ""
  ${AndIf} $1 == ""
  ${AndIf} $2 == ""
    DeleteRegKey HKLM "${HOST_INSTALLATION_KEY}"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Research In Motion\Common\Installations"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Research In Motion\Common"
    DeleteRegKey /ifempty HKLM "SOFTWARE\Research In Motion"
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT}" SectionUnProgram
  SectionIn RO
  ClearErrors
  UnRegDLL "$INSTDIR\QuireAddin.dll"
  ${If} ${Errors}
    DetailPrint "The synchronisation add-in could not be unregistered."
  ${EndIf}
  Delete "$INSTDIR\QuireSync.exe"
  Delete "$INSTDIR\SheafConv.dll"
  Delete "$INSTDIR\QuireAddin.dll"
  Delete "$INSTDIR\quire-convert.exe"

  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "SpreadsheetStandin"
  ${If} $0 == 1
    UnRegDLL "${STANDINS_FOLDER}\SpreadsheetAutomation.dll"
    Delete "${STANDINS_FOLDER}\SpreadsheetAutomation.dll"
  ${EndIf}
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "HostStandin"
  ${If} $0 == 1
    Delete "${STANDINS_FOLDER}\synchost.exe"
    Delete "${STANDINS_FOLDER}\desktopapi.tlb"
    Call un.RemoveHostInstallationKey
  ${EndIf}
  RMDir "${STANDINS_FOLDER}"
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "WirelessStandin"
  ${If} $0 == 1
    Delete "$INSTDIR\skylink.dll"
  ${EndIf}
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "WordStandin"
  ${If} $0 == 1
    Delete "$INSTDIR\DocConverter.dll"
  ${EndIf}

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: whatever the user keeps in the folder stays, and so does the folder.
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Remove my settings" SectionUnSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "SOFTWARE\Halvorn"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionUnProgram} \
    "The program, the converter, the add-in and the stand-ins this setup installed."
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionUnSettings} \
    "Your settings of ${PRODUCT}. Your documents always stay."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SectionUnSettings}
  ${EndIf}
FunctionEnd
