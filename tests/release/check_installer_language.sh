#!/usr/bin/env bash
# The installer's pages follow the user's UI language: started under Wine as
# a Japanese Windows it is in Japanese, as a German one (a language it does
# not have) in English. Leaves a screenshot of each first page in
# build/screenshots.
#
# check_installer_language.sh <source folder> <installer> <version>
set -uo pipefail
root=$1 installer=$2 version=$3
source "$root/tools/wine-env.sh"
sopora_ensure_display && sopora_ensure_prefix || exit 1
work=$(mktemp -d /tmp/sopora-language.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# Wine takes the UI language from the C library's locale; these are made
# for the test alone (LOCPATH) instead of for the whole machine.
for locale in ja_JP de_DE; do
  localedef -i $locale -f UTF-8 "$work/$locale.UTF-8" || { echo "FAIL: cannot make the locale $locale" >&2; exit 1; }
done
cp "$installer" "$work/setup.exe"
chmod -R a+rX "$work"
temp=$WINEPREFIX/drive_c/users/nobody/Temp
mkdir -p "$root/build/screenshots"

while read -r locale caption screenshot; do
  before=$(ls "$temp" 2>/dev/null)
  (sopora_as_wine_user env LOCPATH="$work" LC_ALL="$locale" wine "$work/setup.exe") 2>/dev/null &
  launcher=$!
  window=$(timeout 60 xdotool search --sync --name "^Sopora $version " | head -n 1)
  if [ -z "$window" ]; then
    fail "the installer shows no window as $locale"
    continue
  fi
  name=$(xdotool getwindowname "$window")
  [ "$name" = "Sopora $version $caption" ] \
    || fail "as $locale the installer is \"$name\", not \"Sopora $version $caption\""
  sleep 1  # let the page finish painting
  import -window root "$root/build/screenshots/$screenshot.png"
  # Ended where it stands (nothing is installed before the third page),
  # with the folder of its plug-ins.
  process=$(xdotool getwindowpid "$window")
  kill "$process"
  wait "$launcher"
  for folder in $(comm -13 <(echo "$before") <(ls "$temp")); do
    [[ $folder == ns*.tmp ]] && rm -rf "${temp:?}/$folder"
  done
done <<EOF
ja_JP.UTF-8 セットアップ installer-ja
de_DE.UTF-8 Setup installer-en
EOF

[ $status -eq 0 ] && echo "The installer is in Japanese on a Japanese Windows and in English on a German one."
exit $status
