#!/usr/bin/env bash
# One architecture's release packages, as a user unpacks them: the ZIP holds
# exactly the program, its hook library, the read-me and the help page with
# the pictures it shows; the binaries (and the installer) are of that
# architecture and carry no debug information; the hook library imports
# only kernel32 and user32 and stays small; every link and picture of the
# help page resolves inside the package.
#
# check_package.sh <release folder> <version> win64|win32
set -uo pipefail
release=$1 version=$2 arch=$3
case $arch in
  win64) format=pei-x86-64 objdump=x86_64-w64-mingw32-objdump ;;
  win32) format=pei-i386 objdump=i686-w64-mingw32-objdump ;;
  *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
zip=$release/Sopora-$version-$arch.zip
installer=$release/Sopora-$version-$arch.exe
for package in "$zip" "$installer"; do
  [ -s "$package" ] || { echo "FAIL: no $package (tools/release.sh makes it)" >&2; exit 1; }
done

status=0
fail() { echo "FAIL ($arch): $*" >&2; status=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work" || { echo "FAIL: $zip does not unpack" >&2; exit 1; }
page=$work/Help/index.htm
[ -f "$page" ] || { echo "FAIL ($arch): no Help/index.htm in the ZIP" >&2; exit 1; }

# Exactly these files, and no others (no test programs or stand-ins).
expected=$({
  printf '%s\n' Sopora.exe SoporaHook.dll Readme.txt Help/index.htm
  grep -o 'src="images/[^"]*"' "$page" | sed 's/^src="\(.*\)"$/Help\/\1/'
} | sort -u)
actual=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
[ "$actual" = "$expected" ] || fail "the ZIP holds other files than expected:
$(diff <(echo "$expected") <(echo "$actual"))"
if grep -qi 'pdh' <<<"$actual"; then fail "the ZIP holds a stand-in pdh library"; fi

for binary in "$work/Sopora.exe" "$work/SoporaHook.dll" "$installer"; do
  name=${binary##*/}
  $objdump -f "$binary" | grep -q "file format $format\$" || fail "$name is not $format"
  if $objdump -h "$binary" | grep -q '\.debug_'; then fail "$name carries debug information"; fi
done

# The read-me as Notepad on every Windows shows it: UTF-8 with a byte order
# mark, CRLF lines, the Japanese text and then the English one.
readme=$work/Readme.txt
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "Readme.txt has no UTF-8 byte order mark"
iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null 2>&1 || fail "Readme.txt is not UTF-8"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "Readme.txt has lines without CRLF"
japanese=$(grep -n '^■ Sopora とは' "$readme" | cut -d: -f1)
english=$(grep -n '^■ What Sopora is' "$readme" | cut -d: -f1)
[ -n "$japanese" ] && [ -n "$english" ] && [ "$japanese" -lt "$english" ] \
  || fail "Readme.txt does not have the Japanese text followed by the English one"

imports=$($objdump -p "$work/SoporaHook.dll" | awk '/DLL Name:/ { print toupper($3) }' | sort | tr '\n' ' ')
[ "$imports" = "KERNEL32.DLL USER32.DLL " ] || fail "SoporaHook.dll imports $imports"
hook_size=$(stat -c %s "$work/SoporaHook.dll")
[ "$hook_size" -le 16384 ] || fail "SoporaHook.dll is $hook_size bytes, more than 16 KB"

# Every reference of the help page: anchors name an id of the page; other
# references are files inside the package.
while read -r reference; do
  case $reference in
    '#'*) grep -qF "id=\"${reference#\#}\"" "$page" || fail "the help page links to a missing anchor $reference" ;;
    *:*) fail "the help page refers outside the package: $reference" ;;
    *) [ -f "$work/Help/${reference%%#*}" ] || fail "the help page refers to a missing file $reference" ;;
  esac
done < <(grep -o -E '(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="(.*)"$/\2/' | sort -u)

[ $status -eq 0 ] && echo "Sopora-$version-$arch: ZIP and installer as expected (SoporaHook.dll $hook_size bytes)"
exit $status
