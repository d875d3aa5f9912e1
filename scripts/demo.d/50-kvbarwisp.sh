#!/usr/bin/env bash
# What an engineer sees of KVBarwisp in the drawing host: the tooltip on the
# sample floor plan's rebar annotations (plain texts, attributes of column
# tags, a text inside a block), and nothing on a room name,
# a note or empty space; then a few layer commands of PNSTRATAKIT, and the
# drawing written as DXF and SVG.
set -euo pipefail
build=${1:?build dir}
root=${2:?repository root}
host="$build/host/app/drawhost"
barwisp="$build/rebar/plugin/KVBarwisp.arx"
layertool="$build/layertool/PNSTRATAKIT.arx"
drawing="$root/samples/floorplan.dxf"
for need in "$host" "$barwisp" "$drawing"; do
  if [ ! -e "$need" ]; then
    echo "$need not built; skipping the KVBarwisp demo"
    exit 0
  fi
done

out="$build/demo/kvbarwisp"
mkdir -p "$out"
loads=(--load "$barwisp")
layer_steps=""
if [ -e "$layertool" ]; then
  loads+=(--load "$layertool")
  # Save the layer state, turn off the beam rebar texts' layer, freeze the
  # room names' layer, lock the walls' layer, then turn every layer on.
  layer_steps=$'SAVE_LAYER_STATE\nOFF_LAYER\npick 1200,900\nFROZEN_LAYER\npick 3000,3300\nLAYER_LOCKED\npick 3000,0\nDISP_LAYER_ALL'
fi

script="$out/tooltips.scr"
cat > "$script" <<SCRIPT
# The tooltip is off until switched on in this drawing.
hover 6900,7500
KVRsbMTON
# Beam rebar texts on layer BEAM_REBAR.
hover 1200,900
hover 1200,1250
hover 6900,7500
hover 6900,7850
# Stirrup demand and area triple of a beam from the analysis.
hover 13100,550
hover 13100,900
# Column tags: the rebar is an attribute of a block reference.
hover 450,120
hover 6450,6700
# A beam mark whose rebar text lives inside the block definition.
hover 15200,13850
# A room name, the multi-line note and empty space show nothing.
hover 3000,3300
hover 21500,13000
hover -3000,-3000
KVRsbMTOFF
hover 1200,900
$layer_steps
SCRIPT

echo "== KVBarwisp: rebar areas in the cursor tooltip (drawhost on samples/floorplan.dxf)"
"$host" "${loads[@]}" --script "$script" --save "$out/floorplan-out.dxf" \
  --svg "$out/floorplan-out.svg" "$drawing"
echo
echo "== written: $out/floorplan-out.dxf, $out/floorplan-out.svg"

echo
echo "== The whole plan's rebar annotations at once: drawhost --rebar-report"
"$host" --load "$barwisp" --rebar-report "$out/floorplan-rebar.csv" "$drawing"
"$host" --load "$barwisp" --rebar-report "$out/floorplan-rebar.html" "$drawing"
# The table's first columns: text, kind, layer, position, form, blocks, area.
/usr/bin/python3 - "$out/floorplan-rebar.csv" <<'PY'
import csv, sys
with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    for row in csv.DictReader(f):
        print(f"  {row['text']:<22} {row['kind']:<9} {row['layer']:<11} {row['x']:>6},{row['y']:<6} "
              f"{row['form']:<15} {row['blocks']:<9} {row['area']:>5} mm2")
PY
echo "== written: $out/floorplan-rebar.csv, and $out/floorplan-rebar.html (open it in a browser:"
echo "   hover over an annotation for its tooltip, click a row of the table to go to it)"
