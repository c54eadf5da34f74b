#!/usr/bin/env bash
# Runs the scenarios that need a second Wine prefix beside the usual one (a
# second Sopora that shares only the files of one folder with the first, as
# a second user's would): makes that prefix once, with the stand-ins in its
# system folder, and runs the test program with SOPORA_SECOND_PREFIX naming
# it.
#
# second_prefix.sh <test program> <gtest filter>
set -euo pipefail
program=$1 filter=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
stand_ins=$(dirname "$(realpath "$program")")/../stand-ins
(
  source "$root/tools/wine-env.sh"
  SOPORA_WINE_BASE=$SOPORA_WINE_BASE-second
  WINEPREFIX=$SOPORA_WINE_BASE/prefix
  SOPORA_WINE_HOME=$SOPORA_WINE_BASE/home
  SOPORA_STAGE=$SOPORA_WINE_BASE/stage
  sopora_ensure_display
  sopora_ensure_prefix
  sopora_install_stand_ins "$stand_ins"
)
source "$root/tools/wine-env.sh"
export SOPORA_SECOND_PREFIX=$SOPORA_WINE_BASE-second/prefix
exec "$root/tools/wine-run" "$program" --gtest_filter="$filter"
