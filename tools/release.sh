#!/usr/bin/env bash
# Installs what is missing, builds Sopora for 64-bit and 32-bit Windows and
# puts the release into build/release: for each, the portable ZIP and the
# per-user installer (Sopora-<version>-win64.zip / .exe, -win32.zip / .exe),
# made by CPack from the builds' install rules, binaries stripped.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh

release=build/release
rm -rf "$release"
mkdir -p "$release"
for preset in mingw-x86_64 mingw-i686; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target Sopora SoporaHook
  packages=build/$preset/packages
  rm -rf "$packages"
  cpack --config "build/$preset/CPackConfig.cmake" -B "$packages"
  mv "$packages"/Sopora-*.zip "$packages"/Sopora-*.exe "$release"/
done
echo "Release in $release:"
ls -l "$release"
