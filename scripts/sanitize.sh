#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang) into
# build-san/ and runs the whole Linux suite there, then the libFuzzer targets of
# tests/fuzz: each replays its seed corpus and fuzzes for a short, fixed time. Any
# sanitizer report fails the run, also one from a program a test started whose exit
# code the test ignores: every report is written to build-san/reports/ and checked.
# QK_SAN_BUILD names another build folder; extra arguments go to ctest (-R fuzz ...).
set -uo pipefail
cd "$(dirname "$0")/.."

# Everything below runs on a display: a virtual one when there is none.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi

build=${QK_SAN_BUILD:-build-san}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DQK_SANITIZE=ON -DQK_FUZZ=ON -DQK_BUILD_BENCH=OFF > /dev/null || exit 1

reports=$PWD/$build/reports
rm -rf "$reports"
mkdir -p "$reports"
supp=$PWD/tests/sanitizers
export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="log_path=$reports/ubsan:halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
# The checked editor starts and draws a few times slower: the real-window tests wait longer.
export QK_E2E_SLOWDOWN=${QK_E2E_SLOWDOWN:-3}

status=0
cmake --build "$build" -j "$(nproc)" || status=1
if [ $status -eq 0 ]; then
  (cd "$build" && ctest --output-on-failure -j 2 "$@") || status=1
fi

if compgen -G "$reports/*" > /dev/null; then
  echo "sanitize.sh: sanitizer reports:" >&2
  for f in "$reports"/*; do
    echo "==== $f" >&2
    cat "$f" >&2
  done
  status=1
fi
exit $status
