#!/usr/bin/env bash
# Open-ended fuzzing, beside the test command's fixed runs: builds the checked build's
# fuzz targets (build-san/, as scripts/sanitize.sh does) and fuzzes every target for
# SECONDS (default 600), as many targets at a time as there are processors
# (QK_FUZZ_JOBS to change it). Each target grows its own corpus in
# fuzz-work/corpus/<target>/ (kept between runs, seeded from tests/fuzz/corpus/) and
# writes what makes it fail into fuzz-work/findings/<target>/ (a target stops at its
# first finding; run it again once mended to go on). A finding, once mended,
# goes into tests/fuzz/corpus/<target>/ so the test command replays it for good.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ]; then  # fuzz_byname opens a window
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi

seconds=${1:-600}
shift || true
build=${QK_SAN_BUILD:-build-san}
work=$PWD/fuzz-work
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DQK_SANITIZE=ON -DQK_FUZZ=ON -DQK_BUILD_BENCH=OFF > /dev/null || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" || exit 1

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"

fuzz_one() {
  local t=$1
  mkdir -p "$work/corpus/$t" "$work/findings/$t" "$work/logs"
  "$build/tests/fuzz/$t" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/findings/$t/" "$work/corpus/$t" "$PWD/tests/fuzz/corpus/$t" \
    > "$work/logs/$t.log" 2>&1
  local runs findings
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/logs/$t.log" | tail -1 | grep -o '[0-9]*$')
  [ -n "$runs" ] || runs=$(grep -o '^#[0-9]*' "$work/logs/$t.log" | tail -1 | tr -d '#')
  findings=$(find "$work/findings/$t" -type f | wc -l)
  echo "$t: ${runs:-?} inputs in ${seconds}s, corpus $(find "$work/corpus/$t" -type f | wc -l) files, $findings findings"
}

jobs=${QK_FUZZ_JOBS:-$(nproc)}
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  fuzz_one "$t" &
done
wait

total=$(find "$work/findings" -type f | wc -l)
echo "fuzz.sh: $total findings in $work/findings (logs in $work/logs)"
[ "$total" -eq 0 ]
