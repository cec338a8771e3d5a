; The Windows installer, built by Debian's makensis from the zip's folder:
;   makensis -DVERSION=1.0.0 -DSTAGE=<the Yelko folder> -DICON=yelko.ico -DPICTURE=side.bmp
;            -DOUTFILE=setup.exe installer.nsi
; (the icon and the finish page's picture are painted by the art tool).
; It installs for the current user alone (no administrator rights) into
; %LOCALAPPDATA%\Programs\Yelko, adds a Start menu shortcut and an entry in Apps & features.
; The uninstaller removes what was installed; the player's progress (HKCU\Software\Yelko) and
; the editor's level stay unless the player asks for them to go. /S installs or uninstalls
; silently, keeping the progress.

; A 64-bit installer for the 64-bit game (and Wine without its 32-bit half runs it).
Target amd64-unicode
!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Yelko"

Name "Yelko"
Caption "Yelko ${VERSION} Setup"
BrandingText "Yelko ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Yelko"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Yelko"
VIAddVersionKey /LANG=1033 "FileDescription" "Yelko ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "The Yelko developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PICTURE}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\yelko.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Play Yelko now"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; What the installer puts in the program folder; the uninstaller removes exactly these.
!macro ProgramFiles Do
  !insertmacro ${Do} yelko.exe
  !insertmacro ${Do} yelko-solve.exe
  !insertmacro ${Do} yelko-level.exe
  !insertmacro ${Do} yelko-generate.exe
  !insertmacro ${Do} README.txt
  !insertmacro ${Do} pieces.bmp
  !insertmacro ${Do} boats.bmp
  !insertmacro ${Do} walk.wav
  !insertmacro ${Do} thump.wav
  !insertmacro ${Do} crunch.wav
  !insertmacro ${Do} bifald.wav
  !insertmacro ${Do} finished.wav
  !insertmacro ${Do} level1.dat
  !insertmacro ${Do} level2.dat
  !insertmacro ${Do} level3.dat
  !insertmacro ${Do} level4.dat
  !insertmacro ${Do} level5.dat
  !insertmacro ${Do} par.txt
!macroend
!macro Put Name
  File "${STAGE}\${Name}"
!macroend
!macro Remove Name
  Delete "$INSTDIR\${Name}"
!macroend

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !insertmacro ProgramFiles Put
  ; The collections of levels that ship with the game.
  SetOutPath "$INSTDIR\collections"
  File "${STAGE}\collections\islands.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Yelko.lnk" "$INSTDIR\yelko.exe" "" "$INSTDIR\yelko.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Yelko"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Yelko developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\yelko.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro ProgramFiles Remove
  Delete "$INSTDIR\collections\islands.txt"
  RMDir "$INSTDIR\collections"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Yelko.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The player's own: progress, records, window place, and the level made in the editor (saved
  ; in the program folder, or in %LOCALAPPDATA%\Yelko when that could not be written).
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your progress, best results and the level you made in the editor?" \
    /SD IDNO IDNO keep
    DeleteRegKey HKCU "Software\Yelko"
    Delete "$INSTDIR\level.dat"
    ; The data folder also holds the player's own collections, which the question does not
    ; name: they stay, and so does the folder while it holds any.
    Delete "$LOCALAPPDATA\Yelko\level.dat"
    Delete "$LOCALAPPDATA\Yelko\.level.dat.yelko-tmp-*"
    RMDir "$LOCALAPPDATA\Yelko\collections"
    RMDir "$LOCALAPPDATA\Yelko"
  keep:
  ; Only when nothing else is left in it: a level.dat kept for the player keeps the folder.
  RMDir "$INSTDIR"
SectionEnd
