#!/usr/bin/env bash
# A signed release, with a certificate this test makes for itself (no
# time-stamp server: the test stays off the network). tools/release.sh
# signs Sopora.exe and SoporaHook.dll in both ZIPs and in the installers,
# both installers, and the uninstaller the 64-bit installer writes when it
# runs silently under Wine (which runs 64-bit programs only here); its winget
# manifests carry the hashes of the signed installers; and a certificate it
# cannot open fails the release instead of leaving unsigned files.
#
# check_signing.sh <source folder> <version>
set -uo pipefail
root=$1 version=$2
work=$(mktemp -d /tmp/sopora-signed.XXXXXX)
chmod 755 "$work"  # the Wine user runs the installer from here
trap 'rm -rf "$work"' EXIT
cd "$work"
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# A root of its own and a code-signing certificate it issued, in a PFX
# file with a password that would do harm on a command line.
export password='a "pass" word; $HOME & more'
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Sopora Test Root" -keyout root.key -out root.pem \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Sopora Test Signer" -keyout signer.key -out signer.csr 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -CAcreateserial -days 2 -extfile signer.ext \
  -out signer.pem 2>/dev/null
openssl pkcs12 -export -inkey signer.key -in signer.pem -out signer.pfx -passout env:password

url=https://downloads.example.org/sopora/$version
if ! SOPORA_SIGN_PFX=signer.pfx SOPORA_SIGN_PASSWORD=$password SOPORA_RELEASE_URL=$url \
     "$root/tools/release.sh" "$work/release" >release.log 2>&1; then
  cat release.log >&2
  echo "FAIL: the signed release failed" >&2
  exit 1
fi
tail -n 1 release.log | grep -q '^Signed with' \
  || fail "the release does not end saying it signed: $(tail -n 1 release.log)"

# Signed by the test's certificate, which only the test's root vouches for.
verify() {
  if ! osslsigncode verify -CAfile root.pem -in "$1" >verify.log 2>&1 \
     || ! grep -q "CN=Sopora Test Signer" verify.log; then
    fail "${1#"$work"/} is not signed by the test's certificate:"
    cat verify.log >&2
  fi
}
for arch in win64 win32; do
  verify "release/Sopora-$version-$arch.exe"
  unzip -q "release/Sopora-$version-$arch.zip" Sopora.exe SoporaHook.dll -d "zip-$arch"
  verify "zip-$arch/Sopora.exe"
  verify "zip-$arch/SoporaHook.dll"
done
/usr/bin/python3 "$root/tests/release/check_winget.py" release "$version" "$url" \
  "$root/cmake/packaging/NSIS.template.in" || fail "the winget manifests do not match the signed release"

# What the installer writes: the installed program and the uninstaller.
source "$root/tools/wine-env.sh"
sopora_ensure_display && sopora_ensure_prefix || exit 1
installed=$SOPORA_STAGE/signed-install
windows_installed="Z:${installed//\//\\}"
rm -rf "$installed"
sopora_as_wine_user wine "release/Sopora-$version-win64.exe" /S /NORUN "/D=$windows_installed" \
  || fail "the signed installer failed under Wine"
for file in Uninstall.exe Sopora.exe SoporaHook.dll; do
  if [ -f "$installed/$file" ]; then verify "$installed/$file"; else fail "the installer wrote no $file"; fi
done
# The uninstaller, run where it is (_?=), takes back what the install registered.
[ -f "$installed/Uninstall.exe" ] \
  && sopora_as_wine_user wine "$installed/Uninstall.exe" /S "_?=$windows_installed"
rm -rf "$installed"

# A wrong password: the release fails.
if SOPORA_SIGN_PFX=signer.pfx SOPORA_SIGN_PASSWORD=wrong "$root/tools/release.sh" "$work/refused" >refused.log 2>&1; then
  fail "a release whose certificate could not be opened succeeded"
fi
grep -q UNSIGNED refused.log && fail "a release whose certificate could not be opened says it is unsigned"

[ $status -eq 0 ] \
  && echo "Signed release: installers, uninstaller, Sopora.exe and SoporaHook.dll verified; a wrong password fails."
exit $status
