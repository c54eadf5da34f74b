#!/usr/bin/env bash
# The README's run command from a fresh clone of the repository's HEAD: it
# builds Sopora and starts it under Wine, in a run folder of its own, and
# Sopora's log reaches its start-up line.
#
# fresh_clone_run.sh <repository>
set -euo pipefail
work=$(mktemp -d /tmp/sopora-fresh-clone.XXXXXX)
# The Sopora it starts is ended with the prefix's Wine server: left running,
# it would be the "other instance" of every test run after this one.
end_run() {
  if [ -f "$work/clone/tools/wine-env.sh" ]; then
    (source "$work/clone/tools/wine-env.sh" && sopora_as_wine_user wineserver -k) 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap end_run EXIT
chmod 755 "$work"  # the run folder below must be reachable by the Wine user
git clone --quiet --no-local "$1" "$work/clone"

SOPORA_RUN_SECONDS=2 SOPORA_DEMO_SECONDS=0 SOPORA_RUN_FOLDER=$work/run "$work/clone/tools/run.sh"
started=$(printf '%s' "Sopora が起動しました" | iconv -f UTF-8 -t CP932)
LC_ALL=C grep -qaF "$started" "$work/run/Sopora.dat" || { echo "FAIL: no start-up line in the run folder's log" >&2; exit 1; }
echo "A fresh clone's tools/run.sh started Sopora."
