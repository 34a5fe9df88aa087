#!/usr/bin/env bash
# tgz_test.sh - the .tar.gz as a user of another Linux meets it: the install layout
# under one top folder, libthai's word dictionary (thbrk.tri) beside the programs with
# its licence among the others, and the unpacked editor, shown a Thai text, breaking it
# with that dictionary and not with one the system may or may not have. The font's face
# files (listed in FACES, the build's zazovi_font_faces.txt) are in share/zazovi/fonts/
# as they are on the build machine, the font and its faces within 40 MB.
# Usage: tgz_test.sh PACKAGE.tar.gz VERSION FACES   (needs DISPLAY, xdotool and strace)
set -euo pipefail

tgz=$(realpath "$1")
top=zazovi-$2-linux-x86_64
faces=$(realpath "$3")
root=$(mktemp -d /tmp/qk_tgz.XXXXXX)
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$root"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

listing=$(tar tzf "$tgz")
for f in bin/zazovi bin/loctool bin/thbrk.tri share/zazovi/zazovi_font.dsf share/zazovi/zazovi_font.faces share/zazovi/sample/Texts/English/menu.loc \
         share/applications/zazovi.desktop share/icons/hicolor/48x48/apps/zazovi.png share/doc/zazovi/README.md \
         share/doc/zazovi/LICENSE share/doc/zazovi/licence-libthai-data.txt; do
    grep -qx "$top/$f" <<< "$listing" || fail "the .tar.gz holds no $f"
done

command -v strace > /dev/null || { echo "FAIL: strace is needed to see which dictionary the editor opens"; exit 1; }
tar xzf "$tgz" -C "$root"
fonts="$root/$top/share/zazovi/fonts"
[ -s "$faces" ] || fail "no face files listed in $faces"
while read -r face; do
    cmp -s "$face" "$fonts/$(basename "$face")" || fail "share/zazovi/fonts/ holds no copy of $face"
done < "$faces"
total=$(cat "$root/$top/share/zazovi/zazovi_font.dsf" "$fonts"/* | wc -c)
[ "$total" -lt $((40 * 1024 * 1024)) ] || fail "the font and its faces take $total bytes, more than 40 MB"
bin="$root/$top/bin"
project="$root/project"
mkdir -p "$project"
cp -r "$root/$top/share/zazovi/sample/." "$project/"
[ -f "$project/Texts/Thai/menu.loc" ] || { echo "FAIL: the sample has no Thai menu.loc"; exit 1; }

# Opened on the Thai menu, the text box shows item 1's Thai text and breaks it into
# words to wrap it: the first Thai text loads the dictionary.
(cd "$root" && exec strace -f -qq -e trace=openat -o "$root/open.log" "$bin/zazovi" \
    "$project/Texts/Thai/menu.loc" > "$root/run.log" 2>&1) &
pid=$!
window=""
for _ in $(seq 1 300); do
    window=$(xdotool search --name '^VRD3 Localization Kit' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: the unpacked editor's window never appeared"; cat "$root/run.log"; exit 1; }
sleep 2  # the backup and the first frames
xdotool mousemove --window "$window" 100 140
sleep 0.2
xdotool click 1
sleep 1
xdotool mousemove --window "$window" 35 577  # Exit
sleep 0.2
xdotool click 1
for _ in $(seq 1 150); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Exit did not end the unpacked editor"
pid=""

grep -F "\"$bin/thbrk.tri\"" "$root/open.log" | grep -qv ' = -1 ' ||
    fail "the editor did not open bin/thbrk.tri"
! grep -q '/usr/share/libthai/' "$root/open.log" || fail "the editor opened libthai's own dictionary"

if [ "$failures" -ne 0 ]; then
    grep thbrk "$root/open.log" || true
    exit 1
fi
echo "the .tar.gz unpacked: passed"
