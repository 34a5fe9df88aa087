#!/usr/bin/env bash
# deb_test.sh - the Debian package as a user meets it: installed with dpkg -i, the
# installed program used on a copy of the installed sample project given as its
# argument (its font found in share/), started without an argument (it then works in
# the user's own copy of the sample), share/ left untouched, and dpkg -r removing every
# file again. The font's face files (listed in FACES, the build's zazovi_font_faces.txt)
# are installed in share/zazovi/fonts/. Refuses to run when a zazovi package is already
# installed.
# Usage: deb_test.sh PACKAGE.deb VERSION FACES   (root or sudo; needs DISPLAY and xdotool)
set -euo pipefail

deb=$(realpath "$1")
version=$2
faces=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

installed() { dpkg-query -W -f='${db:Status-Status}' zazovi 2>/dev/null | grep -q '^installed$'; }
# Another dpkg run (a developer's apt-get) may hold the lock for a while.
dpkg_retrying() {
    local out
    for _ in $(seq 1 60); do
        if out=$($sudo dpkg "$@" 2>&1); then return 0; fi
        grep -q "lock" <<< "$out" || { echo "$out"; return 1; }
        sleep 5
    done
    echo "$out"
    return 1
}

if installed; then
    echo "FAIL: a zazovi package is already installed here; not replacing it"
    exit 1
fi

root=$(mktemp -d /tmp/qk_deb.XXXXXX)
editor_pid=""
ours=0
cleanup() {
    if [ -n "$editor_pid" ] && kill -0 "$editor_pid" 2>/dev/null; then kill "$editor_pid" 2>/dev/null || true; fi
    if [ "$ours" -eq 1 ] && installed; then dpkg_retrying -r zazovi > /dev/null || true; fi
    rm -rf "$root"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The run-time libraries the program links are the package's dependencies.
depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',|' '\n\n' <<< "$depends" | sed 's/(.*//; s/ //g')
for lib in libsdl2-2.0-0 libgl1 libglu1 libfreetype6 libstdc++6; do
    grep -qxF "$lib" <<< "$names" || fail "the package does not depend on $lib (Depends: $depends)"
done

ours=1
dpkg_retrying -i "$deb" > /dev/null || { echo "FAIL: dpkg -i $deb"; exit 1; }
share=/usr/share/zazovi
for f in /usr/bin/zazovi /usr/bin/loctool "$share/zazovi_font.dsf" "$share/zazovi_font.faces" "$share/sample/Texts/English/menu.loc" \
         /usr/share/applications/zazovi.desktop /usr/share/icons/hicolor/48x48/apps/zazovi.png \
         /usr/share/doc/zazovi/README.md /usr/share/doc/zazovi/copyright /usr/share/doc/zazovi/font-licence-DejaVu.txt; do
    [ -f "$f" ] || fail "the package installed no $f"
done
[ -s "$faces" ] || fail "no face files listed in $faces"
while read -r face; do
    cmp -s "$face" "$share/fonts/$(basename "$face")" || fail "the package installed no copy of $face in $share/fonts"
done < "$faces"
[ "$(identify -format '%wx%h' /usr/share/icons/hicolor/48x48/apps/zazovi.png 2>/dev/null)" = 48x48 ] ||
    fail "the desktop icon is not a 48x48 picture"
[ "$(zazovi --version)" = "zazovi $version" ] || fail "zazovi --version does not print zazovi $version"
[ "$(loctool --version)" = "loctool $version" ] || fail "loctool --version does not print loctool $version"

share_files() { find "$share" -print0 | sort -z | xargs -0 ls -ld --time-style=+%s; find "$share" -type f -print0 | sort -z | xargs -0 sha256sum; }
share_files > "$root/share.before"

# A copy of the sample as the user's project, with no font of its own: the installed
# program (whose folder has none either) takes the one in share/.
project="$root/Мой проект"
mkdir -p "$project"
cp -r "$share/sample/." "$project/"
[ ! -e "$project/zazovi_font.dsf" ] || fail "the sample project carries a font of its own"
bash "$here/drive_editor.sh" "$project" zazovi "$project" || fail "the installed editor on a project given as its argument"

# No argument: the user's own copy of the sample is made and opened.
data="$root/data"
(cd "$root" && exec env XDG_DATA_HOME="$data" zazovi > "$root/noarg.log" 2>&1) &
editor_pid=$!
window=""
for _ in $(seq 1 300); do
    window=$(xdotool search --name '^VRD3 Localization Kit' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$editor_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -n "$window" ]; then
    sleep 2
    diff -r "$share/sample/Texts" "$data/zazovi/Sample project/Texts" > /dev/null ||
        fail "no argument: the user's copy of the sample is missing or differs"
    [ -d "$data/zazovi/Sample project/Texts Backup" ] || fail "no argument: the editor does not work in the user's copy"
    xdotool mousemove --window "$window" 600 150 key Escape
    code=""
    for _ in $(seq 1 100); do
        if ! kill -0 "$editor_pid" 2>/dev/null; then
            wait "$editor_pid" && code=0 || code=$?
            break
        fi
        sleep 0.1
    done
    [ "$code" = 0 ] || fail "no argument: Esc did not end the editor with code 0 (got '${code:-still running}')"
else
    fail "no argument: the editor's window never appeared"
    cat "$root/noarg.log"
fi
editor_pid=""

share_files > "$root/share.after"
diff "$root/share.before" "$root/share.after" > /dev/null || fail "the editor changed files under $share"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\.||' > "$root/files"
dpkg_retrying -r zazovi > /dev/null || fail "dpkg -r zazovi"
installed && fail "the package is still installed after dpkg -r"
while read -r f; do
    if [ -f "$f" ] || [ -L "$f" ]; then fail "$f is left behind after dpkg -r"; fi
done < "$root/files"
[ ! -e "$share" ] || fail "$share is left behind after dpkg -r"

[ "$failures" -eq 0 ] || exit 1
echo "Debian package: passed"
