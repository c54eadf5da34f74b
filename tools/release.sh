#!/usr/bin/env bash
# Installs what is missing, builds Sopora for 64-bit and 32-bit Windows and
# puts the release into build/release (or the folder given): for each, the
# portable ZIP and the per-user installer (Sopora-<version>-win64.zip / .exe,
# -win32.zip / .exe), made by CPack from the builds' install rules, binaries
# stripped.
#
# SOPORA_SIGN_PFX        a PFX file: sign the binaries, installers and
#                        uninstallers with it (SOPORA_SIGN_PASSWORD its
#                        password, SOPORA_TIMESTAMP_URL a time-stamp server)
#
# tools/release.sh [folder]
set -euo pipefail
release=$(realpath -m "${1:-$(dirname "$0")/../build/release}")
cd "$(dirname "$0")/.."

sign=OFF
if [ -n "${SOPORA_SIGN_PFX:-}" ]; then
  [ -r "$SOPORA_SIGN_PFX" ] || { echo "release: cannot read the certificate $SOPORA_SIGN_PFX" >&2; exit 1; }
  SOPORA_SIGN_PFX=$(realpath "$SOPORA_SIGN_PFX")  # CPack and makensis work in other folders
  export SOPORA_SIGN_PFX
  sign=ON
fi
tools/deps.sh
rm -rf "$release"
mkdir -p "$release"
for preset in mingw-x86_64 mingw-i686; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target Sopora SoporaHook
  packages=build/$preset/packages
  rm -rf "$packages"
  cpack --config "build/$preset/CPackConfig.cmake" -B "$packages" -D CPACK_SOPORA_SIGN=$sign
  mv "$packages"/Sopora-*.zip "$packages"/Sopora-*.exe "$release"/
done
echo "Release in $release:"
ls -l "$release"
if [ $sign = ON ]; then
  echo "Signed with $SOPORA_SIGN_PFX${SOPORA_TIMESTAMP_URL:+, time-stamped by $SOPORA_TIMESTAMP_URL}."
else
  echo "UNSIGNED: no certificate in SOPORA_SIGN_PFX, so Sopora.exe, SoporaHook.dll and the installers are not signed."
fi
