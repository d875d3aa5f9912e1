#!/usr/bin/python3
"""Generates samples/floorplan.dxf, the structural floor plan used by the demo and the tests.

A three-by-two bay frame: axes with numbered bubbles (block references with an attribute),
square columns, double-line beams on BEAM layers with their rebar annotations, walls with a
door swing, room names, a rounded balcony slab edge (polyline with bulges), a general-notes
multi-line text and a few survey points. Texts are Chinese; the file is release 2000 with code
page ANSI_936, so every text is stored as GBK bytes.

Run with the system interpreter (it needs python3-ezdxf):  /usr/bin/python3 samples/make_floorplan.py
The output is deterministic, so the checked-in file only changes when this script does.
"""
import os
import sys

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))

X_AXES = [0.0, 6000.0, 12000.0, 18000.0]     # axes 1..4
Y_AXES = [0.0, 6600.0, 13200.0]              # axes A..C
COLUMN = 500.0                                # column side
BEAM = 250.0                                  # beam width
WALL = 200.0                                  # wall thickness

LAYERS = [
    # name, colour, linetype, extra settings
    ("AXIS", 1, "CENTER", {}),
    ("AXIS_TEXT", 3, "Continuous", {}),
    ("COLUMN", 6, "Continuous", {"lineweight": 35}),
    ("BEAM", 4, "Continuous", {"lineweight": 30}),
    ("BEAM_TEXT", 2, "Continuous", {}),
    ("BEAM_REBAR", 2, "Continuous", {}),
    ("WALL", 7, "Continuous", {"lineweight": 25}),
    ("ROOM", 7, "Continuous", {}),
    ("SLAB", 5, "DASHED", {}),
    ("NOTE", 7, "Continuous", {}),
    ("TITLE", 7, "Continuous", {"locked": True}),
    ("FURNITURE", 8, "Continuous", {"frozen": True}),
    ("DEFPOINTS_AUX", 9, "Continuous", {"plot": False, "off": True}),
]


def add_layers(doc):
    for name, colour, linetype, extra in LAYERS:
        layer = doc.layers.add(name, color=colour, linetype=linetype)
        if "lineweight" in extra:
            layer.dxf.lineweight = extra["lineweight"]
        if extra.get("locked"):
            layer.lock()
        if extra.get("frozen"):
            layer.freeze()
        if extra.get("off"):
            layer.off()
        if extra.get("plot") is False:
            layer.dxf.plot = 0


def add_blocks(doc):
    bubble = doc.blocks.new("AXISBUBBLE")
    bubble.add_circle((0, 0), 400, dxfattribs={"layer": "0"})
    bubble.add_attdef("AXIS", (0, 0), dxfattribs={"height": 350, "layer": "0"}).set_placement(
        (0, 0), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)

    column_tag = doc.blocks.new("COLTAG")
    column_tag.add_lwpolyline([(0, 0), (1800, 0)], dxfattribs={"layer": "0"})
    column_tag.add_attdef("NAME", (0, 80), dxfattribs={"height": 250, "layer": "0"})
    column_tag.add_attdef("REBAR", (0, -330), dxfattribs={"height": 250, "layer": "0"})

    # A beam mark whose rebar text lives inside the block definition itself.
    beam_mark = doc.blocks.new("BEAMMARK")
    beam_mark.add_line((0, 0), (0, 600), dxfattribs={"layer": "0"})
    beam_mark.add_text("4%%13225", dxfattribs={"height": 250, "layer": "0", "insert": (100, 350)})

    door = doc.blocks.new("DOOR900")
    door.add_line((0, 0), (0, 900), dxfattribs={"layer": "0"})
    door.add_arc((0, 0), 900, 0, 90, dxfattribs={"layer": "0"})


def add_axes(msp):
    x_min, x_max = X_AXES[0] - 2000, X_AXES[-1] + 2000
    y_min, y_max = Y_AXES[0] - 2000, Y_AXES[-1] + 2000
    for i, x in enumerate(X_AXES):
        msp.add_line((x, y_min), (x, y_max), dxfattribs={"layer": "AXIS"})
        ref = msp.add_blockref("AXISBUBBLE", (x, y_min - 400), dxfattribs={"layer": "AXIS_TEXT"})
        ref.add_auto_attribs({"AXIS": str(i + 1)})
    for j, y in enumerate(Y_AXES):
        msp.add_line((x_min, y), (x_max, y), dxfattribs={"layer": "AXIS"})
        ref = msp.add_blockref("AXISBUBBLE", (x_min - 400, y), dxfattribs={"layer": "AXIS_TEXT"})
        ref.add_auto_attribs({"AXIS": "ABC"[j]})


def add_columns(msp):
    h = COLUMN / 2
    for x in X_AXES:
        for y in Y_AXES:
            msp.add_lwpolyline([(x - h, y - h), (x + h, y - h), (x + h, y + h), (x - h, y + h)],
                               close=True, dxfattribs={"layer": "COLUMN"})
    tags = [((X_AXES[0], Y_AXES[0]), "KZ1", "12%%13225"),
            ((X_AXES[1], Y_AXES[1]), "KZ2", "4%%13225+8%%13222"),
            ((X_AXES[3], Y_AXES[2]), "KZ1", "12%%13225")]
    for (x, y), name, rebar in tags:
        ref = msp.add_blockref("COLTAG", (x + h + 100, y + h + 100), dxfattribs={"layer": "BEAM_TEXT"})
        ref.add_auto_attribs({"NAME": name, "REBAR": rebar})


def beam_lines(msp, start, end):
    """Two edge lines of a beam between the faces of the columns at start and end."""
    (x1, y1), (x2, y2) = start, end
    h, w = COLUMN / 2, BEAM / 2
    if y1 == y2:
        msp.add_line((x1 + h, y1 - w), (x2 - h, y2 - w), dxfattribs={"layer": "BEAM"})
        msp.add_line((x1 + h, y1 + w), (x2 - h, y2 + w), dxfattribs={"layer": "BEAM"})
    else:
        msp.add_line((x1 - w, y1 + h), (x2 - w, y2 - h), dxfattribs={"layer": "BEAM"})
        msp.add_line((x1 + w, y1 + h), (x2 + w, y2 - h), dxfattribs={"layer": "BEAM"})


def add_beams(msp):
    for y in Y_AXES:
        for x1, x2 in zip(X_AXES, X_AXES[1:]):
            beam_lines(msp, (x1, y), (x2, y))
    for x in X_AXES:
        for y1, y2 in zip(Y_AXES, Y_AXES[1:]):
            beam_lines(msp, (x, y1), (x, y2))

    def text(content, x, y, layer="BEAM_REBAR", rotation=0.0):
        msp.add_text(content, dxfattribs={"layer": layer, "height": 250, "insert": (x, y),
                                          "rotation": rotation})

    # Beam KL1 along axis A: name, stirrups, top bars, side bars.
    text("KL1(3) 250x600", 1000, 450, "BEAM_TEXT")
    text("%%13010@100/200(4)", 1000, 800)
    text("2%%13225;4%%13222", 1000, 1150)
    text("G4%%13212", 1000, 1500)
    # Beam KL2 along axis B, bottom bars in two rows.
    text("KL2(3) 250x700", 6800, 6600 + 450, "BEAM_TEXT")
    text("4%%13225", 6800, 6600 + 800)
    text("6%%13225 2/4", 6800, 6600 + 1150)
    # Column-axis beam along axis 2, written vertically.
    text("KL3(2) 250x600", 6000 - 450, 1000, "BEAM_TEXT", 90.0)
    text("%%13008@150(2)", 6000 - 800, 1000, rotation=90.0)
    # Area demands as written by the analysis program.
    text("G1.5-1.0", 13000, 450)
    text("12-8-12", 13000, 800)
    # Beam mark whose rebar text sits inside the block definition.
    msp.add_blockref("BEAMMARK", (15000, 13200 + 200), dxfattribs={"layer": "BEAM_TEXT"})


def wall(msp, p1, p2):
    (x1, y1), (x2, y2) = p1, p2
    d = WALL / 2
    if y1 == y2:
        msp.add_line((x1, y1 - d), (x2, y2 - d), dxfattribs={"layer": "WALL"})
        msp.add_line((x1, y1 + d), (x2, y2 + d), dxfattribs={"layer": "WALL"})
    else:
        msp.add_line((x1 - d, y1), (x2 - d, y2), dxfattribs={"layer": "WALL"})
        msp.add_line((x1 + d, y1), (x2 + d, y2), dxfattribs={"layer": "WALL"})


def add_walls_and_rooms(msp):
    h = COLUMN / 2
    wall(msp, (X_AXES[0] + h, Y_AXES[0]), (X_AXES[1] - h, Y_AXES[0]))
    wall(msp, (X_AXES[1], Y_AXES[0] + h), (X_AXES[1], Y_AXES[1] - 1200))
    wall(msp, (X_AXES[2], Y_AXES[1] + h), (X_AXES[2], Y_AXES[2] - h))
    msp.add_blockref("DOOR900", (X_AXES[1] + WALL / 2, Y_AXES[1] - 1200),
                     dxfattribs={"layer": "WALL"})
    msp.add_arc((X_AXES[0] + 3000, Y_AXES[1]), 900, 180, 270, dxfattribs={"layer": "WALL"})

    rooms = [("客厅", 3000, 3300), ("卧室", 9000, 3300), ("厨房", 15000, 3300),
             ("卫生间", 3000, 9900), ("楼梯间", 9000, 9900), ("阳台", 15000, 9900)]
    for name, x, y in rooms:
        msp.add_text(name, dxfattribs={"layer": "ROOM", "height": 400}).set_placement(
            (x, y), align=ezdxf.enums.TextEntityAlignment.MIDDLE_CENTER)
    msp.add_circle((15000, 9000), 300, dxfattribs={"layer": "FURNITURE"})


def add_slab_and_notes(msp):
    x0, x1, y = X_AXES[2], X_AXES[3], Y_AXES[2]
    # Balcony edge: straight out, a rounded corner, along, rounded back.
    msp.add_lwpolyline([(x0, y, 0, 0, 0), (x0, y + 1000, 0, 0, -0.41421356),
                        (x0 + 500, y + 1500, 0, 0, 0), (x1 - 500, y + 1500, 0, 0, -0.41421356),
                        (x1, y + 1000, 0, 0, 0), (x1, y, 0, 0, 0)],
                       format="xyseb", dxfattribs={"layer": "SLAB"})
    msp.add_mtext("说明：\\P1. 混凝土强度等级C30。\\P2. 钢筋保护层厚度25mm。",
                  dxfattribs={"layer": "NOTE", "char_height": 300, "insert": (21000, 13200),
                              "width": 6000})
    msp.add_text("二层结构平面图", dxfattribs={"layer": "TITLE", "height": 700}).set_placement(
        (9000, -3500), align=ezdxf.enums.TextEntityAlignment.BOTTOM_CENTER)
    msp.add_text("1:100", dxfattribs={"layer": "TITLE", "height": 400, "insert": (13500, -3500)})
    for x, y in [(-1000, -1000), (19000, -1000), (19000, 14200)]:
        msp.add_point((x, y), dxfattribs={"layer": "DEFPOINTS_AUX"})


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "floorplan.dxf")
    # No time stamps or random ids in the output keep the checked-in file reproducible.
    ezdxf.options.write_fixed_meta_data_for_testing = True
    doc = ezdxf.new("R2000", setup=["linetypes"])
    doc.encoding = "gbk"  # written as $DWGCODEPAGE ANSI_936
    doc.header["$INSUNITS"] = 4
    add_layers(doc)
    add_blocks(doc)
    msp = doc.modelspace()
    add_axes(msp)
    add_columns(msp)
    add_beams(msp)
    add_walls_and_rooms(msp)
    add_slab_and_notes(msp)
    doc.saveas(out)


if __name__ == "__main__":
    main()
