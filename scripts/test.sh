#!/usr/bin/env bash
# Sets everything up and runs the whole test suite. Without a display the tests run
# under a virtual X server, so every test that draws has a real GL context.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j 2
fi
exec ctest --output-on-failure -j 2
