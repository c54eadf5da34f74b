#!/usr/bin/env bash
# One architecture's release packages, as a user unpacks them: the ZIP holds
# exactly the program, its hook library, the read-me, the administrative
# templates and the help pages,
# Japanese and English, with the pictures each shows (the English ones in
# images/en, named as the Japanese ones); the binaries (and the installer)
# are of that architecture and carry no debug information; the hook library
# imports only kernel32 and user32 and stays small; every link and picture
# of the help pages resolves inside the package.
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
pages=(index.htm index-en.htm)
for name in "${pages[@]}"; do
  [ -f "$work/Help/$name" ] || { echo "FAIL ($arch): no Help/$name in the ZIP" >&2; exit 1; }
done
# The pictures a page shows, as paths under Help/images.
pictures_of() { grep -o 'src="images/[^"]*"' "$work/Help/$1" | sed 's/^src="images\/\(.*\)"$/\1/' | sort -u; }

# Exactly these files, and no others (no test programs or stand-ins).
expected=$({
  printf '%s\n' Sopora.exe SoporaHook.dll Readme.txt
  printf 'PolicyDefinitions/%s\n' Sopora.admx en-US/Sopora.adml ja-JP/Sopora.adml
  for name in "${pages[@]}"; do
    echo "Help/$name"
    pictures_of "$name" | sed 's/^/Help\/images\//'
  done
} | sort -u)
actual=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
[ "$actual" = "$expected" ] || fail "the ZIP holds other files than expected:
$(diff <(echo "$expected") <(echo "$actual"))"
if grep -qi 'pdh' <<<"$actual"; then fail "the ZIP holds a stand-in pdh library"; fi
# The English page shows the English screenshots of what the Japanese one
# shows, and none of the Japanese ones.
japanese_pictures=$(pictures_of index.htm | sed 's/^/en\//')
english_pictures=$(pictures_of index-en.htm)
[ "$english_pictures" = "$japanese_pictures" ] || fail "the English help page does not show the English pictures of the Japanese one:
$(diff <(echo "$japanese_pictures") <(echo "$english_pictures"))"

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

# Every reference of each help page is a file inside the package (the page
# itself when it is only an anchor), and an anchor names an id of that file.
for name in "${pages[@]}"; do
  while read -r reference; do
    file=${reference%%#*}
    anchor=${reference#"$file"}
    case $file in
      *:*) fail "Help/$name refers outside the package: $reference"; continue ;;
    esac
    target=$work/Help/${file:-$name}
    if [ ! -f "$target" ]; then
      fail "Help/$name refers to a missing file $reference"
    elif [ -n "$anchor" ] && ! grep -qF "id=\"${anchor#\#}\"" "$target"; then
      fail "Help/$name links to a missing anchor $reference"
    fi
  done < <(grep -o -E '(href|src)="[^"]*"' "$work/Help/$name" | sed -E 's/^(href|src)="(.*)"$/\2/' | sort -u)
done

[ $status -eq 0 ] && echo "Sopora-$version-$arch: ZIP and installer as expected (SoporaHook.dll $hook_size bytes)"
exit $status
