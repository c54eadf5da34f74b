# Sourced by the scripts that run Windows programs: one Wine prefix for the
# project, a virtual X display when there is none, Japanese fonts.
#
# Wine runs as an ordinary user even when the scripts run as root (as CI
# does): as root every file is writable, so a read-only data file would
# behave nothing like it does for a Windows user. Programs are then copied
# to a staging folder that user can reach.
SOPORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No start-menu entries or file associations on the host; performance
# counters and power calls from the stand-in pdh.dll and powrprof.dll in the
# system folder (Wine's own counters cannot serve the paths Sopora uses, and
# its power calls cannot be observed).
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;pdh=n;powrprof=n}

# SOPORA_WINE_BASE may name another folder, for a second prefix beside the
# usual one.
if [ "$(id -u)" -eq 0 ]; then
  SOPORA_WINE_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  SOPORA_WINE_BASE=${SOPORA_WINE_BASE:-/tmp/sopora-wine-nobody}
else
  SOPORA_WINE_AS=()
  SOPORA_WINE_BASE=${SOPORA_WINE_BASE:-$SOPORA_ROOT/build/wine}
fi
export WINEPREFIX=$SOPORA_WINE_BASE/prefix
SOPORA_WINE_HOME=$SOPORA_WINE_BASE/home
SOPORA_STAGE=$SOPORA_WINE_BASE/stage

# Wine is a Japanese Windows (its UI language and code page follow the C
# library's locale, which tools/deps.sh generates): Sopora speaks Japanese
# there unless its settings say otherwise.
SOPORA_WINE_LOCALE=${SOPORA_WINE_LOCALE:-ja_JP.UTF-8}

# Runs a command as the Wine user, with the project's prefix.
sopora_as_wine_user() {
  "${SOPORA_WINE_AS[@]}" env HOME="$SOPORA_WINE_HOME" WINEPREFIX="$WINEPREFIX" LC_ALL="$SOPORA_WINE_LOCALE" "$@"
}

# True when display $1 answers a client run as the Wine user.
sopora_display_answers() {
  sopora_as_wine_user xdpyinfo -display "$1" >/dev/null 2>&1
}

# Uses the session's display when the Wine user can reach it; otherwise
# finds or starts an Xvfb from :77 up. It stays up for the later commands of
# the session. A socket and lock whose server is gone (a machine restored
# from a snapshot keeps /tmp) are cleared first, or Xvfb would refuse the
# number while clients wait on a dead socket.
sopora_ensure_display() {
  if [ -n "${DISPLAY:-}" ] && sopora_display_answers "$DISPLAY"; then return 0; fi
  local n lock pid
  for n in $(seq 77 99); do
    if sopora_display_answers ":$n"; then export DISPLAY=:$n; return 0; fi
    lock=/tmp/.X$n-lock
    pid=$(tr -dc 0-9 2>/dev/null <"$lock" || true)
    [ -n "$pid" ] && [ -d "/proc/$pid" ] && continue
    rm -f "$lock" "/tmp/.X11-unix/X$n" 2>/dev/null || continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -ac >/dev/null 2>&1 &
    for _ in $(seq 300); do
      if sopora_display_answers ":$n"; then export DISPLAY=:$n; return 0; fi
      sleep 0.1
    done
  done
  echo "wine-env: no X display answers and none could be started" >&2
  return 1
}

# Creates the prefix once: a 1024x768 virtual desktop (with its taskbar and
# notification area), IPA Gothic standing in for the Japanese UI fonts,
# Wine's own UI fonts, no crash dialogs.
sopora_ensure_prefix() {
  mkdir -p "$SOPORA_WINE_BASE" "$SOPORA_WINE_HOME" "$SOPORA_STAGE"
  [ ${#SOPORA_WINE_AS[@]} -eq 0 ] || chown 65534:65534 "$SOPORA_WINE_BASE" "$SOPORA_WINE_HOME" "$SOPORA_STAGE"
  local stamp=$WINEPREFIX/.sopora-prefix-6
  [ -f "$stamp" ] && return 0
  # mono and gecko are not needed; skip their installers.
  WINEDLLOVERRIDES="mscoree,mshtml=" sopora_as_wine_user wine wineboot --init >/dev/null 2>&1
  local reg=$SOPORA_WINE_BASE/sopora-prefix.reg
  # regedit reads version 5 files as UTF-16 little-endian with a BOM.
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$SOPORA_ROOT/tools/wine-prefix.reg"; } >"$reg"
  chmod 644 "$reg"
  sopora_as_wine_user wine regedit /S "$(sopora_as_wine_user winepath -w "$reg")" >/dev/null 2>&1
  sopora_as_wine_user wineserver -w
  # Wine's own fonts (Tahoma, and Marlett for the caption buttons) are not
  # found in Debian's data folder; the prefix's Fonts folder is searched.
  sopora_as_wine_user mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  sopora_as_wine_user cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  rm -f "$reg"
  sopora_as_wine_user touch "$stamp"
}

# Copies the Windows programs and libraries of a build's bin folder to the
# stage, with the libraries a test plants beside the program.
sopora_stage_binaries() {
  local from=$1
  cp -f "$from"/*.exe "$from"/*.dll "$SOPORA_STAGE"/ 2>/dev/null || true
  if [ -d "$from/../planted" ]; then
    mkdir -p "$SOPORA_STAGE/planted"
    cp -f "$from/../planted"/*.dll "$SOPORA_STAGE/planted"/
  fi
  [ ${#SOPORA_WINE_AS[@]} -eq 0 ] || chown -R 65534:65534 "$SOPORA_STAGE"
}

# Installs a build's stand-ins for system libraries (the scripted pdh.dll)
# where the system's own are found: Sopora loads them from the system
# folder only, never from its own.
sopora_install_stand_ins() {
  local from=$1 system=$WINEPREFIX/drive_c/windows/system32 dll
  for dll in "$from"/*.dll; do
    [ -f "$dll" ] || continue
    cp -f "$dll" "$system/"
    [ ${#SOPORA_WINE_AS[@]} -eq 0 ] || chown 65534:65534 "$system/$(basename "$dll")"
  done
}
