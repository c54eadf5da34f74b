#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 fonts-wine fonts-ipafont-gothic
  libxrender1 libxcursor1 libxi6 libxinerama1 libxrandr2 libxcomposite1 libxfixes3 libxxf86vm1
  xvfb xdotool imagemagick x11-utils
  nsis osslsigncode unzip git python3 python3-yaml locales
)

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The tests run Wine as a Japanese Windows: Wine takes its UI language from
# the C library's locale, which must exist for that.
if ! locale -a 2>/dev/null | grep -qx 'ja_JP.utf8'; then
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
