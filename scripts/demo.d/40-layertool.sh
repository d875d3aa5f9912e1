#!/usr/bin/env bash
# The layer tool: PNSTRATAKIT loaded into drawhost on the sample floor plan, a short session
# of its commands, and the resulting drawing written as DXF and SVG.
set -euo pipefail
build=${1:?build dir}
root=${2:?repo root}
drawhost="$build/host/app/drawhost"
plugin="$build/layertool/PNSTRATAKIT.arx"
out="$build/demo"
mkdir -p "$out"
if [ ! -x "$drawhost" ] || [ ! -f "$plugin" ]; then
  echo "drawhost or PNSTRATAKIT.arx is not built in $build"
  exit 1
fi

script="$out/layertool.scr"
cat >"$script" <<'SCR'
# Keep the layer settings of the plan, then play with them.
SAVE_LAYER_STATE
# Pick a beam line: its layer goes off.
OFF_LAYER
pick 3000,-125
# Leave on only the layers of a wall line and a column.
DISP_LAYER
pick 3000,-100
pick 250,50
enter
# And back to the settings kept above.
RESTORE_LAYER_STATE
# A rebar annotation selected first, then moved to the layer of a beam line.
select pick 6900,7500
CHANGE_TO_LAYER
pick 3000,-125
# Hide one wall line.
ENTITY_HIDE
pick 3000,100
# The title layer is locked: clearing it keeps the layer and says so.
LAYER_CLEAR
pick 13600,-3400
# A box dragged right to left locks the layers of everything it touches.
LAYER_LOCKED
box 3010,-90 2990,-130
UNLOCK_LAYER_ALL
# Thaw the furniture and clear its layer altogether.
UNFROZEN_LAYER_ALL
LAYER_CLEAR
pick 15300,9000
SCR

echo
echo "=== PNSTRATAKIT: the layer tool ==="
echo "\$ drawhost --load PNSTRATAKIT.arx --commands"
"$drawhost" --load "$plugin" --commands
echo
echo "The script:"
grep -v '^#' "$script" | sed 's/^/  /'
echo
echo "\$ drawhost --load PNSTRATAKIT.arx --script layertool.scr --save $out/layertool.dxf --svg $out/layertool.svg samples/floorplan.dxf"
"$drawhost" --load "$plugin" --script "$script" \
  --save "$out/layertool.dxf" --svg "$out/layertool.svg" "$root/samples/floorplan.dxf"
echo
if /usr/bin/python3 -c 'import ezdxf' 2>/dev/null; then
  echo "Layers of the saved drawing (ezdxf):"
  /usr/bin/python3 - "$out/layertool.dxf" <<'PY'
import sys
from collections import Counter
import ezdxf
doc = ezdxf.readfile(sys.argv[1])
counts = Counter(e.dxf.layer for e in doc.modelspace())
hidden = sum(1 for e in doc.modelspace() if e.dxf.get("invisible", 0))
for layer in doc.layers:
    flags = [f for f, on in (("off", layer.is_off()), ("frozen", layer.is_frozen()),
                             ("locked", layer.is_locked())) if on]
    print(f"  {layer.dxf.name:14} {counts.get(layer.dxf.name, 0):3} entities  {' '.join(flags)}")
print(f"  current layer {doc.header['$CLAYER']}, {hidden} hidden entities")
PY
fi
echo "Written: $out/layertool.dxf, $out/layertool.svg"

# The layer-split dialog "过滤分层": what the dialog shows and does, and its pictures.
split="$out/layersplit.scr"
cat >"$split" <<'SCR'
# Suffixes of colour number and entity type, and the other text S.
DISPART_LAYER
click 208
click 210
click 212
type 204 S
ok
# Everything along the bottom of the plan, narrowed by a beam line and a wall line as references
# (same layer and colour as the reference).
crossing -500,-500 6000,500
enter
pick 3000,-125
pick 3000,-100
enter
SCR
echo
echo "The layer-split dialog, with this script:"
grep -v '^#' "$split" | sed 's/^/  /'
echo
echo "\$ drawhost --load PNSTRATAKIT.arx --script layersplit.scr --save $out/layersplit.dxf --dialog-svg $out/dialogs samples/floorplan.dxf"
"$drawhost" --load "$plugin" --script "$split" --save "$out/layersplit.dxf" \
  --dialog-svg "$out/dialogs" "$root/samples/floorplan.dxf"
echo
if /usr/bin/python3 -c 'import ezdxf' 2>/dev/null; then
  echo "Layers made by the split (ezdxf), with their entities and the settings they copied:"
  /usr/bin/python3 - "$out/layersplit.dxf" <<'PY'
import sys
from collections import Counter
import ezdxf
doc = ezdxf.readfile(sys.argv[1])
counts = Counter(e.dxf.layer for e in doc.modelspace())
for layer in doc.layers:
    if layer.dxf.name.endswith("_S"):
        print(f"  {layer.dxf.name:20} {counts[layer.dxf.name]:3} entities  colour {layer.color}  linetype {layer.dxf.linetype}")
PY
fi
echo "The dialog as it opened and as it closed: $(ls "$out/dialogs" | sed "s|^|$out/dialogs/|" | tr '\n' ' ')"
