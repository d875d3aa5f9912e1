#!/usr/bin/env bash
# Runs every fuzzer listed in BUILD_DIR/fuzzers.tsv for SECONDS each, seeded
# from the corpus folders beside its source (fuzz/<folder>/corpus and
# fuzz/<folder>/corpus-<name>).
# Fails on the first crash.
set -euo pipefail
build=${1:?build dir}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$build/fuzzers.tsv" ] || { echo "no fuzzers listed in $build"; exit 0; }
while IFS=$'\t' read -r name exe; do
  [ -n "$name" ] || continue
  work=$(mktemp -d)
  # Seeds: the corpus folders beside the fuzzer's source, in fuzz/<folder of its build>/.
  folder="$root/fuzz/$(basename "$(dirname "$exe")")"
  seeds=()
  for d in "$folder/corpus" "$folder/corpus-$name"; do
    [ -d "$d" ] && seeds+=("$d")
  done
  [ ${#seeds[@]} -gt 0 ] || { echo "no seeds for $name in $folder"; exit 1; }
  echo "== fuzzing $name for ${seconds}s"
  status=0
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 \
         -artifact_prefix="$work/" "$work" "${seeds[@]}" >"$work.log" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    # The report and the input that failed, so that a failure far away can be replayed here.
    grep -v -e '^#[0-9]' -e '^INFO:' "$work.log" | tail -n 60
    for artifact in "$work"/crash-* "$work"/timeout-* "$work"/oom-* "$work"/leak-*; do
      [ -f "$artifact" ] || continue
      echo "== $(basename "$artifact") ($(wc -c <"$artifact") bytes), base64:"
      head -c 16384 "$artifact" | base64
    done
    rm -rf "$work" "$work.log"
    exit "$status"
  fi
  tail -n 12 "$work.log"
  rm -rf "$work" "$work.log"
done < "$build/fuzzers.tsv"
