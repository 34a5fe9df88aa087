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

# The project: two languages whose folder names Windows' ANSI calls would mangle.
mkdir -p "$dir/Texts" "$dir/original"
cp -r "$host/sample/Descriptions" "$dir/"
cp -r "$host/sample/Texts/French" "$dir/Texts/Français"
cp -r "$host/sample/Texts/Russian" "$dir/Texts/Русский"
cp -r "$dir/Texts/." "$dir/original/"
cp "$exe" "$program/zazovi.exe"
cp "$host/zazovi_font.dsf" "$program/"

# The project is named relative to the folder the program is started from, as typed in
# a shell there; the program's own folder is elsewhere.
(cd "$root" && exec wine "$program/zazovi.exe" "$(basename "$dir")" > "$root/run.log" 2>&1) &
pid=$!

window=""
for _ in $(seq 1 300); do
    window=$(xdotool search --name '^VRD3 Localization Kit' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "FAIL: the editor's window never appeared"
    cat "$root/run.log"
    exit 1
fi
sleep 2  # the backup and the first frames

# Without a window manager Wine's X window is the client area: client coordinates.
click() {
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.2
    xdotool click 1
    sleep 0.5
}
row_y() { echo $((124 + 16 * $1)); }

text="Smoke test typed under Wine"
click 100 "$(row_y 1)"        # choose item 1
click 600 500                 # into the text box
xdotool key ctrl+a
sleep 0.3
xdotool type --delay 60 "$text"
sleep 0.5
click 100 "$(row_y 2)"        # leaving item 1 keeps its edit
click 245 577                 # Compile
sleep 0.5

# The backup holds every file as it was, under the same non-ASCII folder names.
for lang in Français Русский; do
    for file in menu game keyboard; do
        cmp -s "$dir/original/$lang/$file.loc" "$dir/Texts Backup/$lang/$file.loc" ||
            fail "backup of $lang/$file.loc differs or is missing"
    done
done
for file in menu game keyboard; do
    cmp -s "$dir/Descriptions/$file.desc" "$dir/Texts Backup/Descriptions/$file.desc" ||
        fail "backup of Descriptions/$file.desc differs or is missing"
done

# The expected menu.loc: the original with item 1 replaced (16-bit little-endian
# count, then per item a 16-bit length and the bytes).
u16() { od -An -tu2 --endian=little -j "$2" -N2 "$1" | tr -d ' '; }
expected_menu() {
    local orig=$1 len0 off1 len1 rest n=${#text}
    len0=$(u16 "$orig" 2)
    off1=$((4 + len0))
    len1=$(u16 "$orig" "$off1")
    rest=$((off1 + 2 + len1))
    head -c "$off1" "$orig"
    printf "\\x$(printf %02x $((n & 255)))\\x$(printf %02x $((n >> 8)))"
    printf '%s' "$text"
    tail -c +"$((rest + 1))" "$orig"
}

check_files() {
    local when=$1 changed=0 lang
    for lang in Français Русский; do
        for file in game keyboard; do
            cmp -s "$dir/original/$lang/$file.loc" "$dir/Texts/$lang/$file.loc" ||
                fail "$when: $lang/$file.loc changed"
        done
        if ! cmp -s "$dir/original/$lang/menu.loc" "$dir/Texts/$lang/menu.loc"; then
            changed=$((changed + 1))
            expected_menu "$dir/original/$lang/menu.loc" > "$dir/expected.loc"
            cmp "$dir/expected.loc" "$dir/Texts/$lang/menu.loc" ||
                fail "$when: $lang/menu.loc is not the original with item 1 replaced"
        fi
    done
    [ "$changed" -eq 1 ] || fail "$when: $changed menu.loc files changed, expected exactly the first folder's"
    # Folders are listed by name, so the first one is Français on every system.
    cmp -s "$dir/original/Русский/menu.loc" "$dir/Texts/Русский/menu.loc" ||
        fail "$when: Русский/menu.loc changed, but Français comes first by name"
}
check_files "after Compile"

click 35 577                  # Exit
code=""
for _ in $(seq 1 150); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" && code=0 || code=$?
        break
    fi
    sleep 0.1
done
[ "$code" = "0" ] || fail "Exit did not end the program with code 0 (got '${code:-still running}')"
pid=""

check_files "after Exit"
# Folder 0, file 0 (menu), item 2: three little-endian 32-bit numbers.
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00' > "$dir/expected.cfg"
cmp -s "$dir/expected.cfg" "$dir/zazovi.cfg" || fail "zazovi.cfg is not folder 0, file 0, item 2"

if [ "$failures" -ne 0 ]; then
    echo "--- program output ---"
    cat "$root/run.log"
    exit 1
fi
echo "editor smoke test under Wine: passed"
