#!/bin/bash
# Runs every fuzz target of a fuzz build for a number of seconds each, a few at a time, from the seed corpus
# into a working corpus in the build folder, and prints each target's executions, coverage and findings.
#   fuzz/run.sh <build-fuzz> <seconds> [jobs] [target...]
# The targets run in libFuzzer's fork mode, so that one finding does not end the run: each finding
# (crash, time-out, memory blow-up) is written to <build-fuzz>/findings/<target>/; keep it under
# fuzz/regressions/<target>/ once it is mended (or under fuzz/pending/<target>/ until then).
set -u
build=$1
seconds=${2:-60}
jobs=${3:-3}
shift 3 2>/dev/null || shift $#
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$build"/bin/fuzz_*; do targets+=("$(basename "$exe" | sed 's/^fuzz_//')"); done
fi

# What a user's run is bounded by, here per input: a template or data file that needs more than a second
# or two, or more than a gigabyte under the sanitizers, is a finding. The longest input a target is given
# follows what a user sends in that form.
max_len() {
  case $1 in
    formula|records|ini|params) echo 4096 ;;
    dictionary) echo 16384 ;;
    image_*) echo 65536 ;;
    *) echo 131072 ;;
  esac
}

run_one() {
  local t=$1 exe="$build/bin/fuzz_$1"
  local work="$build/corpus/$t" findings="$build/findings/$t" log="$build/logs/$t.log"
  mkdir -p "$work" "$findings" "$build/logs"
  # The private folders of the readers go to memory, not to the disk.
  TMPDIR=/dev/shm ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$exe" "$work" "$here/corpus/$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" \
      -rss_limit_mb=1024 -malloc_limit_mb=1024 -timeout=5 \
      -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
      -artifact_prefix="$findings/" >"$log" 2>&1
  local status=$?
  local execs cov ft
  # Fork mode reports "#<executions>: cov: <edges> ft: <features> ..." as it goes; the last one counts.
  local last
  last=$(grep -E '^#[0-9]+: cov: ' "$log" | tail -1)
  execs=$(echo "$last" | grep -Eo '^#[0-9]+' | tr -d '#')
  cov=$(echo "$last" | grep -Eo 'cov: [0-9]+' | grep -o '[0-9]*')
  ft=$(echo "$last" | grep -Eo 'ft: [0-9]+' | grep -o '[0-9]*')
  local found
  found=$(find "$findings" -type f | wc -l)
  printf '%-14s execs %10s  cov %6s  ft %7s  corpus %6s  findings %s  (exit %s, log %s)\n' \
    "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$(ls "$work" | wc -l)" "$found" "$status" "$log"
}

status=0
running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait
for t in "${targets[@]}"; do
  [ -n "$(find "$build/findings/$t" -type f 2>/dev/null)" ] && status=1
done
exit $status
