# Sourced by quire-desktop and quire-convert: the user's Wine prefix for
# Quire Desktop, made on first use.
#   QUIRE_DESKTOP_PREFIX  another prefix than ~/.local/share/quire-desktop/prefix
quire_lib=/usr/lib/quire-desktop
quire_data=${XDG_DATA_HOME:-$HOME/.local/share}/quire-desktop
export WINEPREFIX=${QUIRE_DESKTOP_PREFIX:-$quire_data/prefix}
export WINEARCH=win64
# The 64-bit loader itself: Debian's wine wrapper picks the 32-bit one
# whenever wine32 is installed.
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts, and no menu entries or file types from the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
quire_program='C:\Program Files\Quire Desktop'

quire_wine() { "$WINELOADER" "$@"; }

# Makes the prefix when it is missing or was made for another version of the
# package; two first starts at once make it once.
quire_prefix() {
  local version stamp
  version=$(cat "$quire_lib/VERSION")
  stamp=$WINEPREFIX/.quire-desktop
  [ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && return 0
  case $WINEPREFIX in /*) ;; *) echo "quire-desktop: the prefix must be a full path: $WINEPREFIX" >&2; return 1 ;; esac
  mkdir -p "$WINEPREFIX" || return 1
  (
    flock 9
    [ "$(cat "$stamp" 2>/dev/null)" = "$version" ] && exit 0
    echo "quire-desktop: preparing $WINEPREFIX" >&2
    quire_setup_prefix >"$WINEPREFIX/setup.log" 2>&1 ||
      { echo "quire-desktop: the Wine prefix could not be prepared, see $WINEPREFIX/setup.log" >&2; exit 1; }
    echo "$version" >"$stamp"
  ) 9>"$WINEPREFIX/.quire-desktop.lock"
}

quire_setup_prefix() {
  local program_files=$WINEPREFIX/drive_c/Program\ Files
  local host_key='HKLM\SOFTWARE\Research In Motion\Common\Installations\Desktop'
  { [ -f "$WINEPREFIX/system.reg" ] || quire_wine wineboot.exe -i; } || return 1
  "$WINESERVER" -w
  # The program folder is the package's own, so that an upgrade reaches the prefix.
  if [ -e "$program_files/Quire Desktop" ] && [ ! -L "$program_files/Quire Desktop" ]; then
    echo "$program_files/Quire Desktop is a folder of its own: not replaced"
    return 1
  fi
  mkdir -p "$program_files" && ln -sfn "$quire_lib" "$program_files/Quire Desktop" || return 1
  # Without a window manager a managed window waits for one that never answers.
  quire_wine reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f || return 1
  # The stand-ins take the place of the spreadsheet application and of the
  # synchronisation host, for which the add-in is registered.
  quire_wine regsvr32.exe /s "$quire_program\\Stand-ins\\SpreadsheetAutomation.dll" || return 1
  quire_wine regsvr32.exe /s "$quire_program\\QuireAddin.dll" || return 1
  quire_wine reg.exe add "$host_key" /f || return 1
  "$WINESERVER" -w
}
