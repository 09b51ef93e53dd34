#!/bin/sh
# Runs every fuzz target in BUILD/bin for SECONDS each, JOBS at a time, on the committed seeds in
# fuzz/corpus/<target> (with fuzz/<target>.dict where there is one). New inputs go to WORK/<target>, never into the committed corpus; a crash,
# hang or sanitizer report is saved as WORK/<target>-crash-... and fails the run.
#   run_fuzzers.sh BUILD SECONDS WORK [JOBS]
set -eu
build=$1 seconds=$2 work=$3 jobs=${4:-1}
seeds=$(cd "$(dirname "$0")" && pwd)/corpus
# fontconfig keeps its configuration for the life of the process, as in the tests.
export LSAN_OPTIONS="suppressions=$seeds/../../tests/lsan.supp"

if [ "${RUN_ONE:-}" ]; then
  t=$RUN_ONE
  mkdir -p "$work/$t"
  log=$work/$t.log
  dict=
  [ ! -f "$seeds/../$t.dict" ] || dict="-dict=$seeds/../$t.dict"
  # shellcheck disable=SC2086
  if nice "$build/bin/$t" $dict -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 \
      -print_final_stats=1 -artifact_prefix="$work/$t-" "$work/$t" "$seeds/$t" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$t: ${runs:-?} runs in ${seconds}s, nothing found"
  else
    echo "$t: FOUND something (log $log):"
    grep -E 'ERROR|SUMMARY|Test unit written|deadly signal|timeout' "$log" | head -n 8
    exit 1
  fi
  exit 0
fi

targets=$(ls "$seeds")
for t in $targets; do
  [ -x "$build/bin/$t" ] || { echo "missing $build/bin/$t"; exit 1; }
done
mkdir -p "$work"
# xargs exits non-zero when any target did; every target still runs.
echo "$targets" | RUN_ONE= xargs -P "$jobs" -I{} env RUN_ONE={} "$0" "$build" "$seconds" "$work" "$jobs"
