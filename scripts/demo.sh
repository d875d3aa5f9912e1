#!/usr/bin/env bash
# The demonstration: what a user sees of each component built so far.
set -euo pipefail
build=${1:?build dir}
root=$(cd "$(dirname "$0")/.." && pwd)
for part in "$root"/scripts/demo.d/*.sh; do
  [ -f "$part" ] && bash "$part" "$build" "$root"
done
