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
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2> /dev/null || true; rm -rf "$root"' EXIT

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

# Arabic typed into item 3, one character per xdotool call (xdotool maps a spare key to
# each non-Latin character; Wine must turn the remapped key into that character), and
# Compile: the file holds exactly the typed UTF-8, in the order typed and with the base
# letters (lam-alef as two), whatever the screen shows joined and right to left.
arabic="مرحبا بالعالم لا"
menu="$dir/Texts/Français/menu.loc"
cp "$menu" "$root/menu.before"
(cd "$root" && exec wine "$program/zazovi.exe" "$(basename "$dir")" > "$root/arabic.log" 2>&1) &
pid=$!
window=""
for _ in $(seq 1 300); do
    window=$(xdotool search --name '^VRD3 Localization Kit' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
click() {
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.2
    xdotool click 1
    sleep 0.5
}
if [ -z "$window" ]; then
    fail "the editor's window never appeared for the Arabic session"
else
    sleep 2  # the backup and the first frames
    click 100 172  # item 3
    click 600 500  # into the text box
    xdotool windowfocus "$window"
    xdotool key ctrl+a
    mapfile -t letters < <(printf '%s' "$arabic" | LC_ALL=C.UTF-8 grep -o .)
    for c in "${letters[@]}"; do
        xdotool type --delay 1000 "$c"
        sleep 0.3
    done
    click 245 577  # Compile
    sleep 0.5
    # The expected file: the one before with item 3 replaced (16-bit little-endian count,
    # then per item a 16-bit length and the bytes).
    u16() { od -An -tu2 --endian=little -j "$2" -N2 "$1" | tr -d ' '; }
    at=2
    for _ in 0 1 2; do at=$((at + 2 + $(u16 "$root/menu.before" "$at"))); done
    rest=$((at + 2 + $(u16 "$root/menu.before" "$at")))
    n=$(printf '%s' "$arabic" | wc -c)
    {
        head -c "$at" "$root/menu.before"
        printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8)))"
        printf '%s' "$arabic"
        tail -c +"$((rest + 1))" "$root/menu.before"
    } > "$root/menu.expected"
    cmp "$root/menu.expected" "$menu" ||
        fail "Français/menu.loc is not the one before with the typed Arabic as item 3 ($(od -An -tx1 -j "$at" -N $((n + 2)) "$menu"))"
    click 35 577  # Exit
fi
for _ in $(seq 1 150); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Exit did not end the Arabic session"

[ "$failures" -eq 0 ] || exit 1
echo "editor smoke test under Wine: passed"
