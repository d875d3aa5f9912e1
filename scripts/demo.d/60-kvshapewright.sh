#!/usr/bin/env bash
# KVShapewright in the drawing host: the beam framing sample cleaned up with
# KVBeamLinesCutout at its three meetings (a crossing, a T, an L), the beam
# lines before and after, and the drawing written as DXF and SVG.
set -euo pipefail
build=${1:?build dir}
root=${2:?repository root}
host="$build/host/app/drawhost"
plugin="$build/entityops/plugin/KVShapewright.arx"
drawing="$root/samples/framing.dxf"
for need in "$host" "$plugin" "$drawing"; do
  if [ ! -e "$need" ]; then
    echo "$need not built; skipping the KVShapewright demo"
    exit 0
  fi
done
out="$build/demo/kvshapewright"
mkdir -p "$out"
script="$out/cutout.scr"
cat >"$script" <<'SCR'
# The crossing at (6000, 0): a window around it.
KVBeamLinesCutout
5500,-500
6500,500
# The T meeting at (12000, 0).
KVBeamLinesCutout
11500,-500
12500,500
# The corner at (0, 6000).
KVBeamLinesCutout
-500,5500
500,6500
SCR

lines() {
  /usr/bin/python3 - "$1" <<'PY'
import sys
import ezdxf
doc = ezdxf.readfile(sys.argv[1])
errors = len(doc.audit().errors)
for l in doc.modelspace().query('LINE'):
    s, e = l.dxf.start, l.dxf.end
    print(f"  {l.dxf.layer:7} {s.x:7g},{s.y:<7g} -> {e.x:7g},{e.y:g}")
print(f"  (ezdxf audit: {errors} errors)")
PY
}

echo
echo "=== KVShapewright: beam lines cut out at their meetings ==="
echo "\$ drawhost --load KVShapewright.arx --commands"
"$host" --load "$plugin" --commands
if /usr/bin/python3 -c 'import ezdxf' 2>/dev/null; then
  echo
  echo "Lines of samples/framing.dxf:"
  lines "$drawing"
fi
echo
echo "\$ drawhost --load KVShapewright.arx --script cutout.scr --save $out/framing.dxf --svg $out/framing.svg samples/framing.dxf"
"$host" --load "$plugin" --script "$script" --save "$out/framing.dxf" --svg "$out/framing.svg" "$drawing"
if /usr/bin/python3 -c 'import ezdxf' 2>/dev/null; then
  echo
  echo "Lines of the saved drawing:"
  lines "$out/framing.dxf"
fi
echo "Written: $out/framing.dxf, $out/framing.svg"
