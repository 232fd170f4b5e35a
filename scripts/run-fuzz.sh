#!/usr/bin/env bash
# Runs the problem-box fuzzer for a bounded time from the committed seeds; new
# inputs it finds go to a working corpus under build-fuzz, never into the seeds.
set -uo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work="$root/build-fuzz/corpus"
log="$root/build-fuzz/fuzz.log"
mkdir -p "$work"
cd "$root/build-fuzz" || exit 1
fuzz/problem_box_fuzz -max_total_time="$seconds" -print_final_stats=1 -max_len=256 \
  "$work" "$root/fuzz/corpus" >"$log" 2>&1
status=$?
grep -E 'DONE|stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY|Test unit written' "$log"
[ "$status" -eq 0 ] || { tail -n 40 "$log"; echo "fuzzer failed ($status); log: $log"; }
exit "$status"
