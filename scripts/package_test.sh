#!/usr/bin/env bash
# Makes the release packages (scripts/package.sh) and tests them as a user would:
# tests/package/tgz_test.sh unpacks the .tar.gz and sees its editor use the Thai
# dictionary beside it; each test finds there the font's face files the Linux build
# lists;
# tests/package/deb_test.sh installs the Debian package, uses it and removes it again;
# tests/package/zip_test.sh unzips the Windows ZIP into a folder with a non-ASCII name
# and uses it under Wine. Runs on a virtual X server when there is no display.
set -uo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi

scripts/package.sh > /dev/null || { echo "FAIL: the packages could not be made"; exit 1; }
faces=${QK_HOST_BUILD:-build}/zazovi_font_faces.txt
version=$(sed -n 's/^project(QuarnelLocKit VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
status=0
bash tests/package/tgz_test.sh "dist/zazovi-${version}-linux-x86_64.tar.gz" "$version" "$faces" || status=1
bash tests/package/deb_test.sh "dist/zazovi_${version}_amd64.deb" "$version" "$faces" || status=1
WINEPREFIX="$PWD/${QK_WIN_BUILD:-build-win}/wine-prefix" bash tests/package/zip_test.sh "dist/zazovi-${version}-windows-x64.zip" "$version" "$faces" || status=1
exit $status
