#!/bin/bash
# Runs every fuzz target of a fuzz build for a number of seconds each, a few at a time, from the seed corpus
# into a working corpus in the build folder, and prints each target's executions, coverage and findings.
#   fuzz/run.sh <build-fuzz> <seconds> [jobs] [target...]
# Each finding (crash, time-out, memory blow-up) is written to <build-fuzz>/findings/<target>/; keep it under
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
    image_*) echo 65536 ;;
    *) echo 131072 ;;
  esac
}

run_one() {
  local t=$1 exe="$build/bin/fuzz_$1"
  local work="$build/corpus/$t" findings="$build/findings/$t" log="$build/logs/$t.log"
  mkdir -p "$work" "$findings" "$build/logs"
  : >"$log"
  # A finding ends a libFuzzer run; the run starts again (from the corpus grown so far) until the time is
  # up, so that one fault does not hide the others. A target that keeps failing at once stops after a
  # few starts.
  local deadline=$((SECONDS + seconds)) starts=0 status=0
  while [ $((deadline - SECONDS)) -gt 0 ] && [ $starts -lt 40 ]; do
    starts=$((starts + 1))
    # The private folders of the readers go to memory, not to the disk.
    TMPDIR=/dev/shm ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$exe" "$work" "$here/corpus/$t" -max_total_time=$((deadline - SECONDS)) -max_len="$(max_len "$t")" \
        -rss_limit_mb=1024 -malloc_limit_mb=1024 -timeout=5 -print_final_stats=1 \
        -artifact_prefix="$findings/" >>"$log" 2>&1
    status=$?
    [ $status -eq 0 ] && break
  done
  local execs cov ft
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | awk '{s += $1} END {print s}')
  cov=$(grep -Eo 'cov: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  ft=$(grep -Eo 'ft: [0-9]+' "$log" | tail -1 | grep -o '[0-9]*')
  printf '%-14s execs %10s  cov %6s  ft %7s  corpus %6s  findings %s  starts %s  (log %s)\n' \
    "$t" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$(ls "$work" | wc -l)" "$(find "$findings" -type f | wc -l)" \
    "$starts" "$log"
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
