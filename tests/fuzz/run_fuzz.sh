#!/usr/bin/env bash
# Runs one fuzz target for a bounded time from the seed corpus kept in the tree. New inputs go to a
# work folder in the build tree, never into the tree; a crash, leak or time-out is saved there too.
#   run_fuzz.sh TARGET SEED_CORPUS WORK_DIR [more libFuzzer options]
# TR4410_FUZZ_SECONDS sets the time (default 30).
set -euo pipefail
target=$1 seeds=$2 work=$3
shift 3
mkdir -p "$work/corpus" "$work/artifacts"
exec "$target" -max_total_time="${TR4410_FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds"
