#!/usr/bin/env bash
# Runs every benchmark program built under BUILD_DIR/bench.
set -euo pipefail
build=${1:?build dir}
find "$build/bench" -type f -executable -name 'bench_*' | sort | while read -r exe; do
  echo "== $(basename "$exe")"
  "$exe" --benchmark_counters_tabular=true
done
# Whole-process drawing-file speed against ezdxf, when drawhost and ezdxf are there.
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -x "$build/host/app/drawhost" ] && /usr/bin/python3 -c 'import ezdxf' 2>/dev/null; then
  echo "== dxf_speed_vs_ezdxf"
  /usr/bin/python3 "$root/bench/hostio/dxf_speed_vs_ezdxf.py" "$build/host/app/drawhost"
fi
