#!/usr/bin/env bash
# editor_smoke.sh - the Windows editor program end to end under Wine: a scratch project
# whose two language folders have non-ASCII names, real mouse and keyboard input
# through xdotool, and every file it writes checked byte by byte afterwards.
# Usage: editor_smoke.sh zazovi.exe LINUX_BUILD_DIR   (needs DISPLAY, wine, xdotool)
set -euo pipefail

exe=$1
host=$2
if [ ! -d "$host/sample/Texts/French" ] || [ ! -f "$host/zazovi_font.dsf" ]; then
    echo "FAIL: $host has no packed sample project or font (build the Linux tree first)"
    exit 1
fi

# The project and the program's folder both have names outside any ANSI code page: the
# project is found through the command line, the font beside the program by its path.
root=$(mktemp -d /tmp/qk_win_smoke.XXXXXX)
dir="$root/Проект ελληνικά"
program="$root/Программа"
mkdir -p "$dir" "$program"
trap 'rm -rf "$root"' EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The project: two languages whose folder names Windows' ANSI calls would mangle.
mkdir -p "$dir/Texts"
cp -r "$host/sample/Descriptions" "$dir/"
cp -r "$host/sample/Texts/French" "$dir/Texts/Français"
cp -r "$host/sample/Texts/Russian" "$dir/Texts/Русский"
cp -r "$dir/Texts" "$root/original"
cp "$exe" "$program/zazovi.exe"
cp "$host/zazovi_font.dsf" "$program/"

# The session and its checks on disk are the package tests' own. The project is named
# relative to the folder the program is started from, as typed in a shell there; the
# program's own folder is elsewhere.
DRIVE_START_IN="$root" bash "$(dirname "$0")/../package/drive_editor.sh" "$dir" \
    wine "$program/zazovi.exe" "$(basename "$dir")" || fail "the editor session under Wine"
# Folders are listed by name, so the first one is Français on every system.
cmp -s "$root/original/Русский/menu.loc" "$dir/Texts/Русский/menu.loc" ||
    fail "Русский/menu.loc changed, but Français comes first by name"

[ "$failures" -eq 0 ] || exit 1
echo "editor smoke test under Wine: passed"
