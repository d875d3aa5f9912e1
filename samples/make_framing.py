#!/usr/bin/python3
"""Generates samples/framing.dxf, a beam framing as drafted before its meetings are cleaned up.

Beams are pairs of lines 250 apart on layers BEAM_1 (along x) and BEAM_2 (along y). At three
places the lines still run into or through each other, as they were drawn:
  - at (6000, 0) a cross beam runs right through the main beam (a crossing);
  - at (12000, 0) a beam coming from above stops inside the main beam (a T meeting);
  - at (0, 6000) two beams meet at a corner, the inner lines crossing, the outer ones short
    of each other (an L meeting).
A wall line on its own layer crosses the first place and a label sits beside the main beam;
neither is on a beam layer. The demo cleans each place up with KVBeamLinesCutout.

Run with the system interpreter (it needs python3-ezdxf):  /usr/bin/python3 samples/make_framing.py
The output is deterministic, so the checked-in file only changes when this script does.
"""
import os
import sys

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))
HALF = 125.0  # half the beam width


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "framing.dxf")
    ezdxf.options.write_fixed_meta_data_for_testing = True
    doc = ezdxf.new("R2000")
    doc.encoding = "gbk"
    doc.header["$INSUNITS"] = 4
    doc.layers.add("BEAM_1", color=4)
    doc.layers.add("BEAM_2", color=3)
    doc.layers.add("BEAM_TEXT", color=2)
    doc.layers.add("WALL", color=7)
    msp = doc.modelspace()

    def line(a, b, layer):
        msp.add_line(a, b, dxfattribs={"layer": layer})

    # The main beam along y = 0.
    for y in (-HALF, HALF):
        line((-1000, y), (13000, y), "BEAM_1")
    # A cross beam through it at x = 6000.
    for x in (6000 - HALF, 6000 + HALF):
        line((x, -3000), (x, 3000), "BEAM_2")
    # A beam from above stopping inside it at x = 12000.
    for x in (12000 - HALF, 12000 + HALF):
        line((x, 6000), (x, 0), "BEAM_2")
    # The corner at (0, 6000): the beam along x comes from the right and runs a little past the
    # inner line of the beam along y; that one rises a little past the inner line of the first.
    line((6000, 6000 - HALF), (-60, 6000 - HALF), "BEAM_1")
    line((6000, 6000 + HALF), (-60, 6000 + HALF), "BEAM_1")
    line((HALF, 1000), (HALF, 6050), "BEAM_2")
    line((-HALF, 1000), (-HALF, 6050), "BEAM_2")

    line((5000, -400), (7000, -400), "WALL")
    msp.add_text("KL1(2) 250x600", dxfattribs={"layer": "BEAM_TEXT", "height": 250,
                                               "insert": (1000, 300)})
    doc.saveas(out)


if __name__ == "__main__":
    main()
