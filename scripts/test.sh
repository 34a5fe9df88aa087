#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: the Linux build's tests (under a
# virtual X server when there is no display, so every test that draws has a real GL
# context), the same suite and the fuzz targets in the sanitizer build, then the native
# Windows build's tests under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1

status=0
# Style first: every C++ file as the committed .clang-format lays it out.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror || { echo "Off the .clang-format style (run clang-format -i on the files above)"; status=1; }
# -noreset: by default Xvfb resets itself when its last client leaves, and a program
# connecting during that moment is refused (seen as a test's editor that never starts).
if [ -z "${DISPLAY:-}" ]; then
  (cd build && xvfb-run -a -s "-screen 0 1024x768x24 -noreset" ctest --output-on-failure -j 2) || status=1
else
  (cd build && ctest --output-on-failure -j 2) || status=1
fi
# The same suite again under the sanitizers, then the fuzz targets (build-san/).
scripts/sanitize.sh || status=1
scripts/windows.sh || status=1
scripts/package_test.sh || status=1  # the release packages, installed and used
exit $status
