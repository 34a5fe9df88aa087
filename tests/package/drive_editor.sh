#!/usr/bin/env bash
# drive_editor.sh - a user's session with a started editor, checked on disk: the
# program is started on a project, item 1 of the first file is edited with real mouse
# and keyboard input (xdotool), Compile and Exit are pressed, and then every file it
# wrote is compared byte by byte with what it must hold: the backup equal to the
# original texts, exactly one menu.loc changed and holding the typed text, zazovi.cfg.
# Usage: drive_editor.sh PROJECT_FOLDER COMMAND [ARG...]
#   PROJECT_FOLDER is the folder the editor will work in (Texts/, Descriptions/);
#   COMMAND starts the editor (installed, or under Wine). Needs DISPLAY and xdotool.
#   DRIVE_START_IN, if set, is the folder COMMAND is started from (as typed in a shell
#   there); otherwise a scratch folder.
set -euo pipefail

dir=$1
shift
if [ ! -d "$dir/Texts" ] || [ ! -d "$dir/Descriptions" ]; then
    echo "FAIL: $dir holds no project (Texts/ and Descriptions/)"
    exit 1
fi
scratch=$(mktemp -d /tmp/qk_drive.XXXXXX)
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cp -r "$dir/Texts" "$scratch/original"
(cd "${DRIVE_START_IN:-$scratch}" && exec "$@" > "$scratch/run.log" 2>&1) &
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
    cat "$scratch/run.log"
    exit 1
fi
sleep 2  # the backup and the first frames

# Without a window manager the window is the client area: client coordinates.
click() {
    xdotool mousemove --window "$window" "$1" "$2"
    sleep 0.2
    xdotool click 1
    sleep 0.5
}
row_y() { echo $((124 + 16 * $1)); }

text="Typed into the installed editor"
click 100 "$(row_y 1)"        # choose item 1
click 600 500                 # into the text box
# A fresh X server lets the keyboard follow the pointer. Once an earlier program on the
# same server (kept with -noreset) set the focus and ended, the focus stays elsewhere,
# and Wine's window does not take it from a click without a window manager: give it.
xdotool windowfocus "$window"
xdotool key ctrl+a
sleep 0.3
xdotool type --delay 60 "$text"
sleep 0.5
click 100 "$(row_y 2)"        # leaving item 1 keeps its edit
click 245 577                 # Compile
sleep 0.5

languages=()
for lang_dir in "$scratch/original"/*/; do languages+=("$(basename "$lang_dir")"); done

# The backup holds every file as it was.
for lang in "${languages[@]}"; do
    for file in "$scratch/original/$lang"/*; do
        cmp -s "$file" "$dir/Texts Backup/$lang/$(basename "$file")" ||
            fail "backup of $lang/$(basename "$file") differs or is missing"
    done
done
for file in "$dir/Descriptions"/*; do
    cmp -s "$file" "$dir/Texts Backup/Descriptions/$(basename "$file")" ||
        fail "backup of Descriptions/$(basename "$file") differs or is missing"
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
    local when=$1 changed=0 lang file
    for lang in "${languages[@]}"; do
        for file in "$scratch/original/$lang"/*; do
            [ "$(basename "$file")" = menu.loc ] && continue
            cmp -s "$file" "$dir/Texts/$lang/$(basename "$file")" || fail "$when: $lang/$(basename "$file") changed"
        done
        if ! cmp -s "$scratch/original/$lang/menu.loc" "$dir/Texts/$lang/menu.loc"; then
            changed=$((changed + 1))
            expected_menu "$scratch/original/$lang/menu.loc" > "$scratch/expected.loc"
            cmp "$scratch/expected.loc" "$dir/Texts/$lang/menu.loc" ||
                fail "$when: $lang/menu.loc is not the original with item 1 replaced"
        fi
    done
    [ "$changed" -eq 1 ] || fail "$when: $changed menu.loc files changed, expected exactly the first folder's"
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
printf '\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00' > "$scratch/expected.cfg"
cmp -s "$scratch/expected.cfg" "$dir/zazovi.cfg" || fail "zazovi.cfg is not folder 0, file 0, item 2"

if [ "$failures" -ne 0 ]; then
    echo "--- program output ---"
    cat "$scratch/run.log"
    exit 1
fi
echo "editor session on $dir: passed"
