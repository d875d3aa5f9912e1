#!/usr/bin/env bash
# The drawing host: the sample floor plan opened in drawhost, a plug-in loaded, a script run,
# the drawing saved and checked by an independent reader, and its picture written.
set -euo pipefail
build=${1:?build dir}
root=${2:?repo root}
drawhost="$build/host/app/drawhost"
out="$build/demo"
mkdir -p "$out"
[ -x "$drawhost" ] || { echo "drawhost is not built in $build"; exit 1; }

echo
echo "=== drawhost: the headless drawing host ==="
echo "\$ drawhost --help"
"$drawhost" --help

plugin=$(find "$build/tests/host" -maxdepth 2 -name 'HostTest.arx' 2>/dev/null | head -n 1)
if [ -n "$plugin" ]; then
  echo
  echo "\$ drawhost --load HostTest.arx --commands"
  "$drawhost" --load "$plugin" --commands | sed -n '1,6p'
  echo
  echo "\$ drawhost --load HostTest.arx --script samples/host-demo.scr --save $out/floorplan.dxf --svg $out/floorplan.svg samples/floorplan.dxf"
  "$drawhost" --load "$plugin" --script "$root/samples/host-demo.scr" \
    --save "$out/floorplan.dxf" --svg "$out/floorplan.svg" "$root/samples/floorplan.dxf"
else
  echo "\$ drawhost --script samples/empty.scr --save $out/floorplan.dxf --svg $out/floorplan.svg samples/floorplan.dxf"
  "$drawhost" --save "$out/floorplan.dxf" --svg "$out/floorplan.svg" "$root/samples/floorplan.dxf" </dev/null
fi

echo
if /usr/bin/python3 -c 'import ezdxf' 2>/dev/null; then
  echo "An independent reader (ezdxf) opens the saved drawing:"
  /usr/bin/python3 - "$out/floorplan.dxf" <<'PY'
import sys
import ezdxf
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
msp = doc.modelspace()
print(f"  release {doc.dxfversion}, code page {doc.header['$DWGCODEPAGE']}, "
      f"{len(msp)} entities, {len(doc.layers)} layers, {len(auditor.errors)} audit errors")
rooms = [t.dxf.text for t in msp.query('TEXT[layer=="ROOM"]')]
print("  room names:", " ".join(rooms))
PY
fi
echo "Picture of model space: $out/floorplan.svg"
