#!/usr/bin/env bash
# Makes the release packages into dist/: the Debian package and the .tar.gz of the
# install layout from the Linux build in build/, and the Windows ZIP from the
# cross-build in build-win/. Both builds are brought up to date first (made by
# scripts/setup.sh and scripts/windows.sh when missing); nothing is rebuilt from scratch.
# QK_HOST_BUILD and QK_WIN_BUILD name other Linux and Windows build folders.
set -euo pipefail
cd "$(dirname "$0")/.."

host_build=${QK_HOST_BUILD:-$PWD/build}
win_build=${QK_WIN_BUILD:-$PWD/build-win}
dist=$PWD/dist

[ -f "$host_build/CPackConfig.cmake" ] || scripts/setup.sh
cmake --build "$host_build" -j 2 --target zazovi loctool zazovi_font sample_project zazovi_icon
if [ ! -f "$win_build/CPackConfig.cmake" ]; then
    command -v x86_64-w64-mingw32-g++-posix > /dev/null || {
        echo "package.sh: the Windows ZIP needs mingw-w64: run scripts/windows.sh once" >&2
        exit 1
    }
    cmake -S . -B "$win_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQK_HOST_BUILD="$host_build" \
          -DQK_WIN_LIBS="$(scripts/windows_libs.sh)" > /dev/null
fi
cmake --build "$win_build" -j 2 --target zazovi loctool

# libthai breaks Thai into words with its dictionary, thbrk.tri. The .deb has it from
# libthai-data; the .tar.gz goes where that may be missing, so the build machine's copy
# rides beside the programs in bin/ (where the editor looks before libthai's own folder),
# its copyright file beside the other licences. CPack installs the same files into both
# packages, so it is added to the finished archive.
thai_dictionary=/usr/share/libthai/thbrk.tri
thai_copyright=/usr/share/doc/libthai-data/copyright
for f in "$thai_dictionary" "$thai_copyright"; do
    [ -f "$f" ] || { echo "package.sh: no $f (install libthai-data)" >&2; exit 1; }
done
add_thai_dictionary() {
    local tgz=$1 top
    [ -f "$tgz" ] || { echo "package.sh: CPack made no .tar.gz" >&2; exit 1; }
    top=$(basename "$tgz" .tar.gz)
    mkdir "$work/tgz"
    tar -xzf "$tgz" -C "$work/tgz"
    [ -d "$work/tgz/$top/bin" ] || { echo "package.sh: $tgz has no $top/bin" >&2; exit 1; }
    install -m 644 "$thai_dictionary" "$work/tgz/$top/bin/thbrk.tri"
    install -m 644 "$thai_copyright" "$work/tgz/$top/share/doc/zazovi/licence-libthai-data.txt"
    tar -czf "$tgz" -C "$work/tgz" --sort=name --owner=0 --group=0 --numeric-owner "$top"
    (cd "$(dirname "$tgz")" && sha256sum "$(basename "$tgz")" > "$tgz.sha256")
}

# CPack works in a folder of its own; only the packages and their SHA-256 sums go to dist/.
mkdir -p "$dist"
work=$(mktemp -d "$dist/.cpack.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$host_build" && cpack -B "$work/linux" > "$work/linux.log") || { cat "$work/linux.log" >&2; exit 1; }
(cd "$win_build" && cpack -B "$work/windows" > "$work/windows.log") || { cat "$work/windows.log" >&2; exit 1; }
add_thai_dictionary "$work"/linux/*.tar.gz
made=()
for f in "$work"/linux/*.deb "$work"/linux/*.tar.gz "$work"/windows/*.zip; do
    [ -f "$f" ] || { echo "package.sh: CPack made no $(basename "$f")" >&2; exit 1; }
    mv -f "$f" "$f.sha256" "$dist/"
    made+=("dist/$(basename "$f")")
done
printf '%s\n' "${made[@]}"
