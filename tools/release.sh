#!/usr/bin/env bash
# Installs what is missing, builds Sopora for 64-bit and 32-bit Windows and
# puts the release into build/release (or the folder given): for each, the
# portable ZIP and the installer, per user or for every user
# (Sopora-<version>-win64.zip / .exe, -win32.zip / .exe), made by CPack from
# the builds' install rules, binaries stripped; and the winget manifests of
# the two installers (each in both scopes) in winget/.
#
# SOPORA_SIGN_PFX        a PFX file: sign the binaries, installers and
#                        uninstallers with it (SOPORA_SIGN_PASSWORD its
#                        password, SOPORA_TIMESTAMP_URL a time-stamp server)
# SOPORA_RELEASE_URL     the https:// folder the installers are downloaded
#                        from, for the winget manifests
#
# tools/release.sh [folder]
set -euo pipefail
release=$(realpath -m "${1:-$(dirname "$0")/../build/release}")
sign=OFF
if [ -n "${SOPORA_SIGN_PFX:-}" ]; then
  [ -r "$SOPORA_SIGN_PFX" ] || { echo "release: cannot read the certificate $SOPORA_SIGN_PFX" >&2; exit 1; }
  SOPORA_SIGN_PFX=$(realpath "$SOPORA_SIGN_PFX")  # CPack and makensis work in other folders
  export SOPORA_SIGN_PFX
  sign=ON
fi
cd "$(dirname "$0")/.."
# example.invalid can never resolve: manifests made without the real
# address cannot be published by mistake.
url=${SOPORA_RELEASE_URL:-https://example.invalid/sopora}
url=${url%/}
address="^https://[A-Za-z0-9._~:/@%+-]+$"
if ! [[ $url =~ $address ]]; then
  echo "release: SOPORA_RELEASE_URL must be the https:// address of a folder: $url" >&2
  exit 1
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

# Hashed only now that everything is signed.
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' build/mingw-x86_64/CPackConfig.cmake)
cmake -D "RELEASE=$release" -D "VERSION=$version" -D "URL=$url" -P cmake/packaging/WingetManifests.cmake

echo "Release in $release:"
ls -lR "$release"
[ -n "${SOPORA_RELEASE_URL:-}" ] || echo "The winget manifests point at $url: set SOPORA_RELEASE_URL to publish them."
if [ $sign = ON ]; then
  echo "Signed with $SOPORA_SIGN_PFX${SOPORA_TIMESTAMP_URL:+, time-stamped by $SOPORA_TIMESTAMP_URL}."
else
  echo "UNSIGNED: no certificate in SOPORA_SIGN_PFX, so Sopora.exe, SoporaHook.dll and the installers are not signed."
fi
