"""Loads and saves every drawing of a corpus with drawhost and compares before and after with ezdxf.

    /usr/bin/python3 corpus_check.py DRAWHOST WORKDIR [--every N] [--make-ezdxf]
        [--layer-tool PLUGIN] PATH...

PATH is a drawing or a folder searched for *.dxf. --every N takes every Nth drawing found;
--make-ezdxf adds drawings ezdxf writes with every entity kind it can make, in releases 2000
and 2018. For each drawing the saved one must audit clean, and hold the same entities of the
kinds the host keeps (by type and layer), the same header variables a release-2000 drawing
holds and the same text styles, table records, paper space, groups and records of data. What the
host does not keep is counted, not failed. With --layer-tool, each drawing ezdxf made is also run
through the layer tool's LAYER_CLEAR on layer B (and undone and redone, which must save as the
untouched drawing and as the clear alone): exactly B's entities and B go, and the group
that held one of them keeps its other member. The last line is "ok" or "FAILED"; the exit status
says the same.
"""
import math
import os
import subprocess
import sys
from collections import Counter

import ezdxf
from ezdxf.lldxf.const import DXF2000
from ezdxf.sections.headervars import HEADER_VAR_MAP

KEPT = {"LINE", "ARC", "CIRCLE", "POINT", "LWPOLYLINE", "TEXT", "MTEXT", "INSERT", "REGION",
        "ELLIPSE", "SPLINE", "HATCH", "SOLID", "TRACE", "3DFACE", "XLINE", "RAY", "DIMENSION", "LEADER",
        "POLYLINE", "MLINE", "IMAGE", "WIPEOUT", "TOLERANCE", "VIEWPORT", "3DSOLID", "BODY", "OLE2FRAME", "SHAPE"}
# Variables the host writes itself.
OWN = {"$ACADVER", "$ACADMAINTVER", "$DWGCODEPAGE", "$HANDSEED", "$EXTMIN", "$EXTMAX", "$CLAYER"}


def kind(e):
    t = e.dxftype()
    if t == "POLYLINE" and e.is_2d_polyline:
        return "LWPOLYLINE"
    return t


def xdata_size(e):
    """Groups of extended data, those naming objects by handle (1005) left out."""
    if not e.xdata:
        return 0
    return sum(sum(1 for tag in tags if tag.code != 1005) for tags in e.xdata.data.values())


def same(a, b):
    if isinstance(a, float) or isinstance(b, float):
        try:
            return math.isclose(float(a), float(b), rel_tol=1e-12, abs_tol=1e-12)
        except (TypeError, ValueError):
            return False
    if isinstance(a, tuple) or hasattr(a, "__iter__") and not isinstance(a, str):
        try:
            return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
        except TypeError:
            return False
    return a == b


def same_dict(a, b):
    """Everything a holds, b holds the same (b may add what the writer always writes)."""
    return all(k in b and same(a[k], b[k]) for k in a)


def header_vars(path):
    """The header variables as the file writes them: name -> list of (code, value text)."""
    with open(path, "rb") as f:
        lines = f.read().decode("latin-1").splitlines()
    out, name, in_header = {}, None, False
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].strip()
        if code == "2" and value == "HEADER":
            in_header = True
        elif code == "0" and value == "ENDSEC" and in_header:
            in_header = False
        elif code == "0" and value == "SECTION":
            in_header = False
        elif code == "9":
            # Variables after a header that ended too early still count as the header's.
            in_header, name = True, value
            out[name] = []
        elif in_header and name is not None:
            out[name].append((int(code), value))
    kept = {}
    for name, groups in out.items():
        known = HEADER_VAR_MAP.get(name)
        if name in OWN or known is None or known.mindxf > DXF2000:
            continue
        if any(320 <= c < 370 or 390 <= c < 400 for c, _ in groups):
            continue
        kept[name] = [(c, float(v)) if 10 <= c < 60 else (c, v) for c, v in groups]
    return kept


def table_records(doc):
    """Dimension styles, views and UCS by table and name, with their attributes other than handles."""
    out = {}
    for table in (doc.dimstyles, doc.views, doc.ucs, doc.viewports):
        for record in table:
            attribs = record.dxf.all_existing_dxf_attribs()
            out[(record.dxftype(), record.dxf.name.upper())] = {
                k: v for k, v in attribs.items() if k not in ("handle", "owner") and not k.endswith("_handle")}
    return out


def objects(doc):
    """Groups with their members, the root dictionary's entries and the records of data."""
    groups = {name: sorted((e.dxftype(), e.dxf.layer) for e in group) for name, group in doc.groups}
    records = sorted(tuple((t.code, str(t.value)) for t in o.tags) for o in doc.objects.query("XRECORD"))
    return groups, sorted(doc.rootdict.keys()), records


def widths(doc):
    return sum(x[2] + x[3] for e in doc.modelspace().query("LWPOLYLINE") for x in e.get_points())


def styles(doc):
    return {s.dxf.name.upper(): (s.dxf.font, s.dxf.get("bigfont", ""), s.dxf.width, s.dxf.oblique)
            for s in doc.styles if s.dxf.name}


def make_ezdxf_drawings(folder):
    made = []
    for version in ("R2000", "R2018"):
        doc = ezdxf.new(version, setup=True)
        doc.header["$LTSCALE"] = 100.0
        doc.header["$INSUNITS"] = 4
        doc.styles.add("HZ", font="tssdeng.shx").dxf.bigfont = "hztxt.shx"
        for layer in ("A", "B"):
            doc.layers.add(layer)
        m = doc.modelspace()
        doc.appids.new("STRUCTKIT")
        line = m.add_line((0, 0), (10, 0), dxfattribs={"layer": "A", "true_color": 0x336699, "thickness": 2.0})
        line.set_xdata("STRUCTKIT", [(1000, "beam"), (1040, 1.5), (1070, 3)])
        m.add_circle((5, 5), 2)
        m.add_arc((5, 5), 3, 0, 90, dxfattribs={"layer": "B"})
        m.add_point((1, 1))
        m.add_lwpolyline([(0, 0, 0, 0, 0.5), (5, 0, 1, 2, 0), (5, 5)], format="xyseb")
        m.add_polyline2d([(0, 0), (3, 0), (3, 3)])
        m.add_polyline3d([(0, 0, 0), (3, 0, 1), (3, 3, 2)])
        m.add_text("HZ", dxfattribs={"style": "HZ"})
        m.add_mtext("line\\Pline")
        m.add_ellipse((10, 10), major_axis=(5, 0), ratio=0.5)
        m.add_spline([(0, 0), (5, 5), (10, 0)])
        hatch = m.add_hatch(color=2)
        hatch.paths.add_polyline_path([(0, 0), (4, 0), (4, 4)], is_closed=True)
        m.add_solid([(0, 0), (1, 0), (0, 1), (1, 1)])
        m.add_trace([(0, 0), (1, 0), (0, 1), (1, 1)])
        m.add_3dface([(0, 0), (1, 0), (1, 1), (0, 1)])
        m.add_xline((0, 0), (1, 1))
        m.add_ray((0, 0), (1, 0))
        m.add_leader([(0, 0), (2, 2), (4, 2)])
        m.add_linear_dim(base=(0, 5), p1=(0, 0), p2=(10, 0)).render()
        m.add_mesh().vertices = [(0, 0, 0), (1, 0, 0), (1, 1, 0)]
        m.add_polyface().append_face([(0, 0, 0), (1, 0, 0), (1, 1, 0)])
        m.add_polymesh((3, 3))
        doc.views.new("FRONT")
        doc.ucs.new("TILTED", dxfattribs={"xaxis": (1, 1, 0), "yaxis": (-1, 1, 0)})
        style = doc.dimstyles.new("STRUCT", dxfattribs={"dimscale": 100, "dimtxt": 3.5})
        style.dxf.dimtxsty = "HZ"
        style.set_arrows("ARCHTICK")
        m.add_linear_dim(base=(0, 8), p1=(0, 0), p2=(10, 0), dimstyle="STRUCT").render()
        block = doc.blocks.new("TAG")
        block.add_attdef("NAME", (0, 0))
        block.add_line((0, 0), (1, 1))
        m.add_blockref("TAG", (20, 20)).add_auto_attribs({"NAME": "B1"})
        doc.layout().add_line((0, 0), (1, 1))
        doc.layout().add_viewport(center=(100, 100), size=(200, 150), view_center_point=(0, 0), view_height=50)
        doc.layouts.new("Sheet2").add_circle((5, 5), 2, dxfattribs={"layer": "A"})
        m.add_image(doc.add_image_def("plan.png", size_in_pixel=(640, 480)), insert=(0, 0), size_in_units=(6.4, 4.8))
        m.add_mline([(0, 0), (10, 0), (10, 10)])
        m.add_wipeout([(0, 0), (2, 0), (2, 2)])
        doc.groups.new("BEAMS").extend([line, m.add_line((0, 20), (10, 20), dxfattribs={"layer": "B"})])
        line.new_extension_dict().add_xrecord("STRUCTKIT_DATA").reset([(1, "KL1 300x600"), (40, 3.5)])
        doc.rootdict.add_new_dict("STRUCTKIT").add_xrecord("SETTINGS").reset([(1, "HRB400"), (70, 2)])
        path = os.path.join(folder, f"ezdxf-{version}.dxf")
        doc.saveas(path)
        made.append(path)
    return made


def check(drawhost, source, saved, totals):
    result = subprocess.run([drawhost, "--save", saved, source], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        totals["refused"] += 1
        totals["refusals"][result.stderr.strip().splitlines()[-1][:120]] += 1
        return []
    after = ezdxf.readfile(saved)
    problems = []
    audit = after.audit()
    if audit.errors or audit.fixes:
        problems.append(f"audit: {len(audit.errors)} errors, {len(audit.fixes)} fixes")
    try:
        before = ezdxf.readfile(source)
    except Exception:  # what ezdxf itself cannot read it cannot compare; the audit stands
        totals["unreadable by ezdxf"] += 1
        return problems
    # Layers whose names the host refuses (it says so) give their entities to layer 0.
    refused = {line.split("does not take the name of layer ", 1)[1].rsplit(";", 1)[0]
               for line in result.stderr.splitlines() if "does not take the name of layer " in line}
    kept_before, kept_after, xdata_before, xdata_after = Counter(), Counter(), Counter(), Counter()
    for e in before.modelspace():
        if kind(e) not in KEPT:
            totals["lost"][kind(e)] += 1
            continue
        layer = e.dxf.layer
        if layer in refused:
            totals["lost"]["layer names the host refuses (entities)"] += 1
            layer = "0"
        kept_before[(kind(e), layer)] += 1
        xdata_before[(kind(e), layer)] += xdata_size(e)
    for e in after.modelspace():
        kept_after[(kind(e), e.dxf.layer)] += 1
        xdata_after[(kind(e), e.dxf.layer)] += xdata_size(e)
    if xdata_before != xdata_after:
        problems.append("extended data differs")
    totals["xdata groups"] += sum(xdata_before.values())
    # Paper space: every layout with its entities.
    for layout in before.layouts:
        if layout.name == "Model":
            continue
        paper_before = Counter((kind(e), e.dxf.layer) for e in layout if kind(e) in KEPT)
        paper_after = (Counter((kind(e), e.dxf.layer) for e in after.layouts.get(layout.name))
                       if layout.name in after.layouts else Counter())
        if paper_before != paper_after and not refused:
            problems.append(f"layout {layout.name} differs: {sorted((paper_before - paper_after).items())[:3]}")
        totals["paper-space entities"] += sum(paper_before.values())
    records_before, records_after = table_records(before), table_records(after)
    differing = [k for k, v in records_before.items() if k not in records_after or not same_dict(v, records_after[k])]
    if differing:
        problems.append(f"table records differ: {differing[:5]}")
    totals["dimension styles, views and UCS"] += len(records_before)
    groups_before, root_before, records_before = objects(before)
    groups_after, root_after, records_after = objects(after)
    if groups_before != groups_after:
        problems.append("groups differ")
    if not set(root_before) <= set(root_after):
        problems.append(f"root dictionary lost {sorted(set(root_before) - set(root_after))[:5]}")
    if records_before != records_after:
        problems.append("data records differ")
    totals["groups and data records"] += len(groups_before) + len(records_before)
    if not math.isclose(widths(before), widths(after), rel_tol=1e-12, abs_tol=1e-12):
        problems.append("polyline widths differ")
    if kept_before != kept_after:
        problems.append(f"entities differ: {sorted((kept_before - kept_after).items())[:3]} "
                        f"/ {sorted((kept_after - kept_before).items())[:3]}")
    totals["entities"] += sum(kept_before.values())
    vars_before, vars_after = header_vars(source), header_vars(saved)
    differing = [n for n, v in vars_before.items() if n not in vars_after or vars_after[n] != v]
    if differing:
        problems.append(f"header variables differ: {differing[:5]}")
    totals["header variables"] += len(vars_before)
    styles_before, styles_after = styles(before), styles(after)
    differing = [n for n, v in styles_before.items() if n not in styles_after or not same(v, styles_after[n])]
    if differing:
        problems.append(f"text styles differ: {differing[:5]}")
    totals["text styles"] += len(styles_before)
    return problems


def check_saved_again(drawhost, saved, work):
    """A saved drawing saved again is the same file, byte for byte."""
    again = os.path.join(work, "saved-again.dxf")
    subprocess.run([drawhost, "--save", again, saved], stdin=subprocess.DEVNULL, capture_output=True)
    with open(saved, "rb") as a, open(again, "rb") as b:
        return [] if a.read() == b.read() else ["saved again, the file differs"]


def check_layer_clear(drawhost, layer_tool, source, work):
    """LAYER_CLEAR picked on layer B's line at (5, 20): B's entities and B go, nothing else."""
    script, saved = os.path.join(work, "clear.scr"), os.path.join(work, "cleared.dxf")
    with open(script, "w") as f:
        f.write("LAYER_CLEAR\npick 5,20\n")
    result = subprocess.run([drawhost, "--load", layer_tool, "--script", script, "--save", saved, source],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        return [f"LAYER_CLEAR failed: {result.stderr.strip()[-200:]}"]
    before, after = ezdxf.readfile(source), ezdxf.readfile(saved)
    problems = []
    audit = after.audit()
    if audit.errors or audit.fixes:
        problems.append(f"after LAYER_CLEAR audit: {len(audit.errors)} errors, {len(audit.fixes)} fixes")
    expected = Counter((kind(e), e.dxf.layer) for e in before.modelspace() if kind(e) in KEPT and e.dxf.layer != "B")
    got = Counter((kind(e), e.dxf.layer) for e in after.modelspace())
    if expected != got:
        problems.append(f"after LAYER_CLEAR entities differ: {sorted((expected - got).items())[:3]} / "
                        f"{sorted((got - expected).items())[:3]}")
    if after.layers.has_entry("B"):
        problems.append("after LAYER_CLEAR layer B is still there")
    groups = {name: sorted((e.dxftype(), e.dxf.layer) for e in group) for name, group in after.groups}
    if groups.get("BEAMS") != [("LINE", "A")]:
        problems.append(f"after LAYER_CLEAR the group holds {groups.get('BEAMS')}")
    return problems


def check_undo(drawhost, layer_tool, source, plain, work):
    """LAYER_CLEAR then UNDO saves as the drawing saved untouched; U then REDO as the clear alone."""
    def run(actions, name):
        script, saved = os.path.join(work, "undo.scr"), os.path.join(work, name)
        with open(script, "w") as f:
            f.write(actions)
        subprocess.run([drawhost, "--load", layer_tool, "--script", script, "--save", saved, source],
                       stdin=subprocess.DEVNULL, capture_output=True)
        with open(saved, "rb") as f:
            return f.read()
    with open(plain, "rb") as f:
        untouched = f.read()
    problems = []
    if run("LAYER_CLEAR\npick 5,20\nUNDO\nenter\n", "undone.dxf") != untouched:
        problems.append("LAYER_CLEAR then UNDO does not save as the untouched drawing")
    if run("LAYER_CLEAR\npick 5,20\nU\nREDO\n", "redone.dxf") != run("LAYER_CLEAR\npick 5,20\n", "cleared.dxf"):
        problems.append("LAYER_CLEAR, U, REDO does not save as LAYER_CLEAR alone")
    return problems


def main(argv):
    drawhost, work = argv[1], argv[2]
    every, make, layer_tool, paths = 1, False, None, []
    rest = argv[3:]
    while rest:
        arg = rest.pop(0)
        if arg == "--every":
            every = int(rest.pop(0))
        elif arg == "--make-ezdxf":
            make = True
        elif arg == "--layer-tool":
            layer_tool = rest.pop(0)
        else:
            paths.append(arg)
    os.makedirs(work, exist_ok=True)
    drawings = []
    for path in paths:
        if os.path.isdir(path):
            found = []
            for root, _, files in os.walk(path):
                found += [os.path.join(root, f) for f in files if f.lower().endswith(".dxf")]
            drawings += sorted(found)[::every]
        elif os.path.exists(path):
            drawings.append(path)
    made = make_ezdxf_drawings(work) if make else []
    drawings += made
    totals = {"refused": 0, "unreadable by ezdxf": 0, "entities": 0, "header variables": 0, "xdata groups": 0,
              "text styles": 0, "paper-space entities": 0, "dimension styles, views and UCS": 0,
              "groups and data records": 0,
              "lost": Counter(), "refusals": Counter()}
    failed = 0
    for i, source in enumerate(drawings):
        problems = check(drawhost, source, os.path.join(work, f"saved-{i}.dxf"), totals)
        if source in made:
            problems += check_saved_again(drawhost, os.path.join(work, f"saved-{i}.dxf"), work)
        if layer_tool and source in made:
            problems += check_layer_clear(drawhost, layer_tool, source, work)
            problems += check_undo(drawhost, layer_tool, source, os.path.join(work, f"saved-{i}.dxf"), work)
        if problems:
            failed += 1
            print(f"{source}: " + "; ".join(problems))
    print(f"drawings {len(drawings)}, refused {totals['refused']}, not comparable (ezdxf cannot "
          f"read them, their saved copies audited) {totals['unreadable by ezdxf']}, with differences {failed}")
    print(f"compared: {totals['entities']} entities of kept kinds, {totals['xdata groups']} groups of their "
          f"extended data, {totals['header variables']} header variables, {totals['text styles']} text styles, "
          f"{totals['paper-space entities']} paper-space entities, {totals['dimension styles, views and UCS']} "
          f"dimension styles, views and UCS, {totals['groups and data records']} groups and data records")
    print("not kept: " + (", ".join(f"{n} {k}" for k, n in totals["lost"].most_common()) or "nothing"))
    for reason, n in totals["refusals"].most_common():
        print(f"refused {n}: {reason}")
    print("ok" if failed == 0 else "FAILED")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
