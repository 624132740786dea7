#!/usr/bin/env bash
# Fuzzes the Document, the whole view, glyphora-shot's pictures and the pack
# reader for a while, then keeps what was learnt: new inputs that reach new
# code are merged (minimised) into the corpora in fuzz/corpus/, which the
# test suite replays.
#   bash scripts/fuzz.sh [MINUTES]      (default 10; the targets run at once)
# Prints each target's executions and findings; a finding's input is left in
# fuzz/artifacts/ and the script exits 1.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}
[[ "$minutes" =~ ^[0-9]+$ && "$minutes" -gt 0 ]] || { echo "usage: bash scripts/fuzz.sh [MINUTES]" >&2; exit 2; }
bash scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target fuzz_document fuzz_view fuzz_shot fuzz_pack

work=build/fuzz/long-run
artifacts=fuzz/artifacts
rm -rf "$work"
mkdir -p "$artifacts"
targets=(fuzz_document fuzz_view fuzz_shot fuzz_pack)
# The pictures' target looks for inputs that cost too much: its limits are
# tight, as in the test suite (fuzz/fuzz.cmake).
declare -A limits=([fuzz_shot]="-timeout=2 -rss_limit_mb=256" [fuzz_pack]="-timeout=10 -rss_limit_mb=1024")
for t in "${targets[@]}"; do
  mkdir -p "$work/$t/found"
  # Leaks are checked too; each target keeps to one core. The default timeout
  # is generous: on a busy machine a run may wait long for its core.
  # shellcheck disable=SC2086
  ASAN_OPTIONS=detect_leaks=1 "build/fuzz/$t" -max_total_time=$((minutes * 60)) -timeout=30 \
    -rss_limit_mb=2048 -max_len=65536 ${limits[$t]:-} -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$work/$t/found" "fuzz/corpus/$t" >"$work/$t/log" 2>&1 &
done
wait || true

failed=0
for t in "${targets[@]}"; do
  log="$work/$t/log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  before=$(ls "fuzz/corpus/$t" | wc -l)
  # Keeps only the new inputs that add coverage to the committed corpus.
  "build/fuzz/$t" -merge=1 -max_len=65536 "fuzz/corpus/$t" "$work/$t/found" >"$work/$t/merge.log" 2>&1
  after=$(ls "fuzz/corpus/$t" | wc -l)
  if grep -qE '^==[0-9]+==ERROR|^SUMMARY|invariant broken|deadly signal' "$log"; then
    findings=$(grep -cE '^artifact_prefix|Test unit written to' "$log" || true)
    echo "$t: ${runs:-?} executions (${rate:-?}/s), FINDINGS: $findings, see $log and $artifacts/"
    failed=1
  else
    echo "$t: ${runs:-?} executions (${rate:-?}/s), no findings, corpus $before -> $after inputs"
  fi
done
exit "$failed"
