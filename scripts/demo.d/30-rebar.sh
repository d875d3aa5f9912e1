#!/usr/bin/env bash
# What an engineer sees of the rebar calculator: the tooltip texts for the
# four annotation forms, then batch mode as other programs use it.
set -euo pipefail
build=${1:?build dir}
tool="$build/tools/rebar-area/rebar-area"
if [ ! -x "$tool" ]; then
  echo "rebar-area not built; skipping the rebar demo"
  exit 0
fi
echo "== rebar-area: steel areas of reinforcement annotations"
"$tool" '4%%13225' '2%%13225+2%%13222;4%%13220' '%%13110@100/200(4)' 'G1.5-1.0' '12-8-12' '会议室'
echo
echo "== with candidate layouts"
"$tool" --candidates '4%%13220'
echo
echo "== batch mode (one line out per line in)"
printf '%s\n' '4%%13225' 'room' '%%13010@100(2)' | "$tool" --batch
