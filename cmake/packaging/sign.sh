#!/usr/bin/env bash
# Signs Windows binaries in place with Authenticode (SHA-256): the
# certificate and its key in the PFX file SOPORA_SIGN_PFX, its password in
# SOPORA_SIGN_PASSWORD, and a time stamp from SOPORA_TIMESTAMP_URL when that
# is set, so that the signature stays valid after the certificate expires.
# CPack runs it on the staged binaries once it has stripped them, makensis on
# the uninstaller before it packs it and on the installer it has written.
#
# sign.sh <file>...
set -euo pipefail
: "${SOPORA_SIGN_PFX:?sign.sh: no certificate in SOPORA_SIGN_PFX}"

work=$(mktemp -d)  # readable by this user only
trap 'rm -rf "$work"' EXIT
options=(-pkcs12 "$SOPORA_SIGN_PFX" -h sha256 -n Sopora)
# The password reaches osslsigncode through that folder, not its command
# line, which every user of the machine can read. (A PFX file without a
# password needs none.)
if [ -n "${SOPORA_SIGN_PASSWORD:-}" ]; then
  printf '%s' "$SOPORA_SIGN_PASSWORD" >"$work/password"
  options+=(-readpass "$work/password")
fi
[ -z "${SOPORA_TIMESTAMP_URL:-}" ] || options+=(-ts "$SOPORA_TIMESTAMP_URL")

for file in "$@"; do
  if ! osslsigncode sign "${options[@]}" -in "$file" -out "$work/signed" >"$work/log" 2>&1; then
    echo "sign.sh: could not sign $file:" >&2
    cat "$work/log" >&2
    exit 1
  fi
  cat "$work/signed" >"$file"  # in place, keeping the file's mode
  rm -f "$work/signed"
done
