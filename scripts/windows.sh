#!/usr/bin/env bash
# Cross-builds the native Windows program and its tests into build-win/ with mingw-w64
# and runs them under Wine, on a virtual X server when there is no display: the Win32
# backend tests, the engine, render, GUI, editor and checks suites on the scripted test
# backend, the editor's store tests, loctool.exe against the Linux loctool, the editor
# smoke test and the resize test. Installs mingw-w64 and Wine when missing; the
# libraries both programs link are cross-built once by scripts/windows_libs.sh. The smoke test and the suites take the packed sample project
# and the font from the Linux build in build/ (made by scripts/setup.sh when missing).
# QK_HOST_BUILD and QK_WIN_BUILD name other Linux and Windows build folders.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64 wine wine64 cmake ninja-build libgtest-dev xvfb xauth xdotool)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" > /dev/null
fi

# Everything below runs on a display: a virtual one when there is none. Wine takes the
# screen's size from the display its first program starts on and keeps windows within
# it, so it must hold the resize test's window whole: a 1600 x 1200 client area with
# its frame (on a screen of just 1600 x 1200 the client would lose the caption's height
# and the editor pick 1.5x).
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1440x24 -noreset" "$0" "$@"
fi

host_build=${QK_HOST_BUILD:-$PWD/build}
build=${QK_WIN_BUILD:-build-win}
if [ ! -f "$host_build/zazovi_font.dsf" ] || [ ! -d "$host_build/sample/Texts" ]; then
  scripts/setup.sh
  if [ ! -d "$host_build/sample/Texts" ]; then
    echo "windows.sh: $host_build holds no packed sample project" >&2
    exit 1
  fi
fi

# The resize test under Wine is the Linux end-to-end test program, pointed at zazovi.exe;
# loctool.exe is compared with the Linux loctool.
cmake --build "$host_build" -j 2 --target e2e_tests loctool

# Hunspell, inih, libxml2, libcsv, libgettextpo, FriBidi, libthai and FreeType for
# Windows, built once from Debian's sources into the user's cache.
win_libs=$(scripts/windows_libs.sh)
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQK_HOST_BUILD="$host_build" -DQK_WIN_LIBS="$win_libs" > /dev/null
cmake --build "$build" -j 2

# A prefix of the build's own; no Mono or Gecko installers popping up at first start.
export WINEPREFIX="$(cd "$build" && pwd)/wine-prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"

run_tests() {
  # One persistent wineserver and a booted prefix make each program start take a
  # fraction of a second; their output must not hold ctest's pipes open.
  wineserver -p < /dev/null > /dev/null 2>&1
  wine wineboot < /dev/null > /dev/null 2>&1
  local status=0
  ctest --test-dir "$build" --output-on-failure < /dev/null || status=$?
  wineserver -k > /dev/null 2>&1 || true
  return $status
}
run_tests
