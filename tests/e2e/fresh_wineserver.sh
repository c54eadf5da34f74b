#!/usr/bin/env bash
# Runs a test program under a wineserver of its own, started afresh, with a
# new desktop and notification area: for the scenarios in which Wine's own
# shutdown asks every program in the order of their process ids (the test
# program must come before the Sopora it starts), and in which the
# notification area must show nobody's balloon but the scenario's.
#
# fresh_wineserver.sh <test program> <gtest filter>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tools/wine-env.sh"
sopora_as_wine_user wineserver -k 2>/dev/null || true
sopora_as_wine_user wineserver -w 2>/dev/null || true
exec "$root/tools/wine-run" "$1" --gtest_filter="$2"
