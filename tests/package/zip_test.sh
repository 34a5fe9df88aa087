#!/usr/bin/env bash
# zip_test.sh - the Windows ZIP as a user meets it, under Wine: unzipped into a folder
# with a non-ASCII name, the programs answer --version, loctool checks the sample and
# spells it with the shipped dictionaries, the licences and sources are there, the font's
# face files (listed in FACES, the Linux build's zazovi_font_faces.txt) are in fonts/, and
# zazovi.exe, started with no argument from another folder (as a double-click starts
# it), opens the sample beside it and is used through a real editing session.
# Usage: zip_test.sh PACKAGE.zip VERSION FACES   (needs DISPLAY, wine and xdotool)
set -euo pipefail

zip=$(realpath "$1")
version=$2
faces=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d /tmp/qk_zip.XXXXXX)
dest="$root/Программы ελληνικά"
mkdir -p "$dest"
cleanup() {
    wineserver -k > /dev/null 2>&1 || true
    rm -rf "$root"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

(cd "$dest" && cmake -E tar xf "$zip")
folder="$dest/zazovi-$version-windows-x64"
for f in zazovi.exe loctool.exe zazovi_font.dsf zazovi_font.faces Texts/English/menu.loc Descriptions/menu.desc README.md \
         font-licence-DejaVu.txt LICENSE dictionaries/de_DE.dic dictionaries/licenses/hunspell-de-de.copyright \
         licenses/versions.txt licenses/hunspell/copyright licenses/gettext/copyright licenses/freetype/FTL.TXT; do
    [ -f "$folder/$f" ] || fail "the ZIP holds no $f"
done
[ -s "$faces" ] || fail "no face files listed in $faces"
while read -r face; do
    cmp -s "$face" "$folder/fonts/$(basename "$face")" || fail "the ZIP's fonts/ holds no copy of $face"
done < "$faces"

# The Windows build's prefix when given (booting a new one takes long), else one of the
# test's own; no Mono or Gecko installers popping up at first start.
export WINEPREFIX="${WINEPREFIX:-$root/wine-prefix}" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A persistent server already running for the prefix (a Windows test run's) is as good;
# wineserver -p then fails, which must not end the test without a word.
wineserver -p < /dev/null > /dev/null 2>&1 || true
wine wineboot < /dev/null > /dev/null 2>&1

for program in zazovi loctool; do
    out=$(cd "$root" && wine "$folder/$program.exe" --version 2> /dev/null | tr -d '\r')
    [ "$out" = "$program $version" ] || fail "$program.exe --version printed '$out'"
done
(cd "$folder" && wine loctool.exe check . > "$root/check.log" 2>&1) || {
    fail "loctool.exe check on the unzipped sample"
    cat "$root/check.log"
}
# Spelling with the dictionaries shipped beside the program: the sample's German has
# words the German dictionary does not know.
code=0
(cd "$folder" && wine loctool.exe qa . --spell > "$root/qa.log" 2> /dev/null) || code=$?
[ "$code" = 1 ] && grep -q "German/game.loc:12:DlgInnkeeperRumour: Spelling: hinabstieg" "$root/qa.log" ||
    fail "loctool.exe qa --spell did not spell the sample's German with the shipped dictionary (exit $code)"
for p in gettext freetype; do
    ls "$folder"/sources/${p}_*.dsc > /dev/null 2>&1 || fail "the ZIP holds no sources of $p"
done
bash "$here/drive_editor.sh" "$folder" wine "$folder/zazovi.exe" || fail "zazovi.exe in the unzipped folder"

[ "$failures" -eq 0 ] || exit 1
echo "Windows ZIP: passed"
