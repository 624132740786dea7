#!/usr/bin/env bash
# Fuzzes one target for a bounded time, starting from its committed corpus.
# New inputs go to a scratch folder; a crash leaves its input in fuzz/artifacts/
# to be committed to the corpus with a regression test. Options after the
# first four (a target's own limits) override the defaults.
set -euo pipefail
target=$1 corpus=$2 seconds=$3 work=$4
shift 4
mkdir -p "$work" "$(dirname "$corpus")/../artifacts"
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 "$@" \
     -print_final_stats=1 -artifact_prefix="$(dirname "$corpus")/../artifacts/" "$work" "$corpus"
