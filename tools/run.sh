#!/usr/bin/env bash
# Installs what is missing, builds Sopora and starts it under Wine: on
# $DISPLAY when there is one, otherwise on a virtual display, of which a
# screenshot is written after start-up.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake --preset mingw-x86_64 >/dev/null
cmake --build --preset mingw-x86_64 --target Sopora

source tools/wine-env.sh
virtual=0
if [ -z "${DISPLAY:-}" ] || [ ${#SOPORA_WINE_AS[@]} -ne 0 ]; then virtual=1; fi
sopora_ensure_display
sopora_ensure_prefix

# Sopora keeps its settings and data files next to itself.
folder=$SOPORA_WINE_BASE/Sopora
mkdir -p "$folder"
cp -f build/mingw-x86_64/bin/Sopora.exe build/mingw-x86_64/bin/SoporaHook.dll build/mingw-x86_64/bin/pdh.dll "$folder"/
# Wine's performance counters cannot serve Sopora's counter paths; the
# stand-in pdh.dll beside it replays a load from fakepdh.ini instead.
[ -f "$folder/fakepdh.ini" ] || cp tools/demo-load.ini "$folder/fakepdh.ini"
[ ${#SOPORA_WINE_AS[@]} -eq 0 ] || chown -R 65534:65534 "$folder"
echo "Sopora runs from $folder (settings Sopora.ini, log Sopora.dat, exception windows SoporaWnd.dat)."

cd "$folder"
if [ "$virtual" -eq 1 ]; then
  sopora_as_wine_user DISPLAY="$DISPLAY" wine "$folder/Sopora.exe" &
  sleep 8
  mkdir -p "$SOPORA_ROOT/build/screenshots"
  shot=$SOPORA_ROOT/build/screenshots/run.png
  import -display "$DISPLAY" -window root "$shot"
  echo "Virtual display $DISPLAY; screenshot after start-up: $shot"
  wait
else
  exec wine "$folder/Sopora.exe"
fi
