#!/usr/bin/env bash
# loctool_windows.sh - loctool.exe under Wine does what the Linux loctool does: on the
# same project, in folders whose names no ANSI code page holds, export, stats and qa
# give the same bytes and exit codes; an edited export imports into the same .loc
# bytes; and the project's own dictionary folder (named in its settings file) is opened
# by Hunspell through a non-ASCII path.
# Usage: loctool_windows.sh loctool.exe LINUX_BUILD_DIR DICTIONARIES   (needs wine)
set -euo pipefail

exe=$1
host=$2
dicts=$3
linux="$host/tools/loctool/loctool"
for need in "$linux" "$host/sample/Texts/German/menu.loc" "$dicts/de_DE.aff"; do
    [ -e "$need" ] || { echo "FAIL: $need is missing (build the Linux tree and the Windows libraries first)"; exit 1; }
done

root=$(mktemp -d /tmp/qk_win_loctool.XXXXXX)
trap 'rm -rf "$root"' EXIT
work="$root/Łukasz"  # both programs start here and name the project relative to it
project="$work/Перевод"
mkdir -p "$project/Texts"
cp -r "$host/sample/Descriptions" "$project/"
for language in English German French Russian Japanese; do cp -r "$host/sample/Texts/$language" "$project/Texts/"; done
mkdir -p "$project/Wörterbücher"
for d in de_DE fr_FR ru_RU en_US; do cp "$dicts/$d.aff" "$dicts/$d.dic" "$project/Wörterbücher/"; done
printf '[dictionaries]\nfolder = Wörterbücher\n[length]\nmenu = 12\n' > "$project/zazovi-project.ini"
export SOURCE_DATE_EPOCH=1767225600 # the PO header's date, the same for both

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# same NAME ARGS...: both programs from $work; stdout, stderr and the exit code must match.
same() {
    local name=$1
    shift
    local lc=0 wc=0
    (cd "$work" && "$linux" "$@" > "$root/$name.linux.out" 2> "$root/$name.linux.err") || lc=$?
    (cd "$work" && wine "$exe" "$@" > "$root/$name.win.out" 2> "$root/$name.win.err") || wc=$?
    [ "$lc" = "$wc" ] || fail "$name: exit code $wc on Windows, $lc on Linux"
    for stream in out err; do
        cmp -s "$root/$name.linux.$stream" "$root/$name.win.$stream" || {
            fail "$name: std$stream differs"
            diff "$root/$name.linux.$stream" "$root/$name.win.$stream" | head -20 || true
        }
    done
    echo "$lc" > "$root/$name.code"
}

for format in po xliff csv; do
    same "export-$format" export --format "$format" Перевод German --source English -o "German.linux.$format"
    mv "$work/German.linux.$format" "$root/German.linux.$format"
    same "export-$format-again" export --format "$format" Перевод German -o "Deutsch ä.$format"
    cmp -s "$root/German.linux.$format" "$work/Deutsch ä.$format" ||
        fail "export --format $format: the Windows file differs from the Linux one"
done
same stats stats Перевод
same stats-json stats Перевод --format json
same qa qa Перевод --spell
same qa-json qa Перевод --spell --format json
[ "$(cat "$root/qa.code")" = 1 ] || fail "qa --spell found no problem in a project with misspelled words"
grep -q "Spelling: hinabstieg" "$root/qa.win.out" || fail "qa --spell on Windows did not spell German"
same usage qa
[ "$(cat "$root/usage.code")" = 2 ] || fail "qa without a project is not a usage error (exit 2)"
same missing qa Nirgendwo
[ "$(cat "$root/missing.code")" = 1 ] || fail "qa on a missing folder does not exit 1"

# The round trip: an edited export goes back in through loctool.exe, and the Linux
# loctool imports the same file into its own copy; the .loc files must be the same bytes.
python3 - "$work/Deutsch ä.po" "$root/edited.po" << 'EOF'
import sys
text = open(sys.argv[1], encoding="utf-8").read()
old = 'msgstr "Neues Spiel"'
assert old in text, "the sample's first German text moved"
open(sys.argv[2], "w", encoding="utf-8").write(text.replace(old, 'msgstr "Neues Spiel – Łukasz"', 1))
EOF
cp "$root/edited.po" "$work/bearbeitet.po"
cp -r "$project" "$work/Linux"
(cd "$work" && wine "$exe" import Перевод German bearbeitet.po > "$root/import.win.out" 2>&1) ||
    { fail "loctool.exe import"; cat "$root/import.win.out"; }
(cd "$work" && "$linux" import Linux German bearbeitet.po > "$root/import.linux.out" 2>&1) ||
    { fail "loctool import"; cat "$root/import.linux.out"; }
for f in "$project"/Texts/German/*.loc; do
    cmp -s "$f" "$work/Linux/Texts/German/$(basename "$f")" || fail "import: $(basename "$f") differs from Linux's"
done
"$linux" dump "$project/Texts/German/menu.loc" | grep -q "Neues Spiel – Łukasz" ||
    fail "the edited text did not arrive through loctool.exe import"

[ "$failures" -eq 0 ] || exit 1
echo "loctool.exe: passed"
