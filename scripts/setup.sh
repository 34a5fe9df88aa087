#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages) and builds into build/:
# everything, or only the targets named (scripts/setup.sh zazovi loctool ...). Safe to
# run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake ninja-build pkg-config libsdl2-dev libgl1-mesa-dev libgl1-mesa-dri
          libglu1-mesa-dev libfreetype-dev fonts-dejavu-core libgtest-dev libbenchmark-dev
          xvfb xauth xdotool xclip x11-utils imagemagick
          libxtst-dev                                   # the idle benchmark presses keys through XTest
          libgettextpo-dev gettext libxml2-dev libcsv-dev python3  # loctool's PO/XLIFF/CSV and their tests
          file                                          # CPack's dependency scan of the .deb
          git                                           # loctool's merge driver and textconv tested with real git
          fonts-wqy-zenhei                              # the CJK glyphs of the editor's font
          fonts-noto-core                               # its Hebrew and Thai, and what DejaVu lacks of Arabic
          libinih-dev libhunspell-dev hunspell-de-de nlohmann-json3-dev  # loctool qa: settings, spelling, JSON
          libfribidi-dev libthai-dev libdatrie-dev libthai-data  # right-to-left text, Arabic joining, Thai word breaks
          clang libclang-rt-14-dev llvm clang-format   # the checked build (sanitizers, libFuzzer, symbolizer); the style check
         )
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build -j "$(nproc)" "${targets[@]}"
