#!/usr/bin/env bash
# Installs what is missing, builds everything and the release packages, and
# runs every test: the native unit tests and fuzz smokes, then the Windows
# tests, end-to-end scenarios and release checks under Wine.
# Ends with ctest's summary; the exit code is non-zero when a test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh

for preset in host mingw-x86_64 mingw-i686; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
# The release packages of both architectures, which the release tests check.
tools/release.sh

source tools/wine-env.sh
sopora_ensure_display
sopora_ensure_prefix

# One ctest run over both test builds, so there is one summary.
mkdir -p build/all
cat >build/all/CTestTestfile.cmake <<CTEST
subdirs("$PWD/build/host" "$PWD/build/mingw-x86_64")
CTEST
ctest --test-dir build/all --output-on-failure --timeout 600
