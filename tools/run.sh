#!/usr/bin/env bash
# Installs what is missing, builds Sopora (with the stand-in performance
# counters Wine needs) and starts it under Wine: on $DISPLAY when there is
# one. Otherwise on a virtual display, where it lets the demo load run for a
# while, then opens the tray menu and the settings dialog as a user would,
# and leaves a screenshot of each.
#
# SOPORA_RUN_SECONDS=n ends Sopora after n seconds (the tests use it);
# SOPORA_RUN_FOLDER names the folder Sopora runs from.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset mingw-x86_64 >/dev/null
cmake --build --preset mingw-x86_64 --target Sopora SoporaHook fake_pdh fake_powrprof

source tools/wine-env.sh
virtual=0
if [ -z "${DISPLAY:-}" ] || [ ${#SOPORA_WINE_AS[@]} -ne 0 ]; then virtual=1; fi
sopora_ensure_display
sopora_ensure_prefix
# Wine's performance counters cannot serve Sopora's counter paths; the
# stand-in pdh.dll, in the system folder Sopora loads it from, replays a
# load from fakepdh.ini beside Sopora.exe instead. The stand-in powrprof.dll
# plays a desktop that can do everything and only records the calls.
sopora_install_stand_ins build/mingw-x86_64/stand-ins

folder=${SOPORA_RUN_FOLDER:-$SOPORA_WINE_BASE/Sopora}
mkdir -p "$folder"
cp -f build/mingw-x86_64/bin/Sopora.exe build/mingw-x86_64/bin/SoporaHook.dll "$folder"/
[ -f "$folder/fakepdh.ini" ] || cp tools/demo-load.ini "$folder/fakepdh.ini"
[ ${#SOPORA_WINE_AS[@]} -eq 0 ] || chown -R 65534:65534 "$folder"
echo "Sopora runs from $folder (settings Sopora.ini, log Sopora.dat, exception windows SoporaWnd.dat)."

# True once the log holds the line (the log is Shift JIS).
log_has() {
  LC_ALL=C grep -qaF "$(printf '%s' "$1" | iconv -f UTF-8 -t CP932)" "$folder/Sopora.dat" 2>/dev/null
}

cd "$folder"
if [ "$virtual" -eq 0 ] && [ -z "${SOPORA_RUN_SECONDS:-}" ]; then exec wine "$folder/Sopora.exe"; fi

sopora_as_wine_user DISPLAY="$DISPLAY" wine "$folder/Sopora.exe" &
sopora=$!
for _ in $(seq 120); do log_has "Sopora が起動しました" && break; sleep 0.5; done
log_has "Sopora が起動しました" || { echo "Sopora did not start: no start-up line in $folder/Sopora.dat" >&2; exit 1; }
echo "Sopora has started."

if [ "$virtual" -eq 1 ]; then
  shots=$SOPORA_ROOT/build/screenshots
  mkdir -p "$shots"
  sleep "${SOPORA_DEMO_SECONDS:-20}"  # the demo load: busy, then idle
  # The tray icon is the only one in the notification area, at the right
  # end of the virtual desktop's taskbar. Right click: the command menu.
  read -r width height < <(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ { split($2, s, "x"); print s[1], s[2] }')
  xdotool mousemove --sync $((width - 10)) $((height - 10)) click 3
  sleep 1.5
  import -display "$DISPLAY" -window root "$shots/run-tray.png"
  # 環境設定 is the menu's second item.
  xdotool key Down Down Return
  sleep 3
  import -display "$DISPLAY" -window root "$shots/run-settings.png"
  echo "Virtual display $DISPLAY; screenshots: $shots/run-tray.png, $shots/run-settings.png"
fi

if [ -n "${SOPORA_RUN_SECONDS:-}" ]; then
  sleep "$SOPORA_RUN_SECONDS"
  sopora_as_wine_user DISPLAY="$DISPLAY" wine taskkill /IM Sopora.exe >/dev/null 2>&1 || true
  for _ in $(seq 40); do kill -0 "$sopora" 2>/dev/null || break; sleep 0.5; done
  kill "$sopora" 2>/dev/null || true
  exit 0
fi
wait "$sopora"
