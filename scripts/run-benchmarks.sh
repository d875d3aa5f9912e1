#!/usr/bin/env bash
# Runs every benchmark program built under BUILD_DIR/bench.
set -euo pipefail
build=${1:?build dir}
find "$build/bench" -type f -executable -name 'bench_*' | sort | while read -r exe; do
  echo "== $(basename "$exe")"
  "$exe" --benchmark_counters_tabular=true
done
