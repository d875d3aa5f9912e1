#!/usr/bin/python3
"""Whole-process drawing-file speed: drawhost against ezdxf, side by side in one run.

    dxf_speed_vs_ezdxf.py DRAWHOST [--runs N] [--lines N] [--texts N] [--keep DIR]

Makes a drawing of 100,000 lines and 10,000 texts on 20 layers with ezdxf (release 2000,
code page 936), then times, each the median of N runs:
  - drawhost loading it (`drawhost DRAWING </dev/null`), and loading and saving it
    (`drawhost --save OUT DRAWING`); saving alone is the difference;
  - ezdxf reading it (ezdxf.readfile) and writing it (doc.saveas), in one Python process
    whose start and import are not counted.
The same is repeated on the drawing as drawhost saves it. Prints the times and the ratios.
Needs Debian's python3-ezdxf (this interpreter).
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

import ezdxf


def make_drawing(path, lines, texts):
    random.seed(1)
    doc = ezdxf.new("R2000")
    doc.header["$DWGCODEPAGE"] = "ANSI_936"
    names = [("BEAM_" if i % 2 else "WALL_") + str(i) for i in range(20)]
    for i, name in enumerate(names):
        doc.layers.add(name, color=1 + i % 7)
    msp = doc.modelspace()
    for i in range(lines):
        x, y = random.uniform(0, 100000), random.uniform(0, 100000)
        msp.add_line((x, y), (x + random.uniform(0, 5000), y + random.uniform(0, 5000)),
                     dxfattribs={"layer": names[i % 20]})
    for i in range(texts):
        msp.add_text("4%%13225" if i % 2 else "客厅",
                     dxfattribs={"layer": names[i % 20], "height": 250,
                                 "insert": (random.uniform(0, 100000), random.uniform(0, 100000))})
    doc.saveas(path)


def run_drawhost(drawhost, args):
    start = time.perf_counter()
    with open(os.devnull, "rb") as stdin, open(os.devnull, "wb") as devnull:
        subprocess.run([drawhost] + args, stdin=stdin, stdout=devnull, check=True)
    return time.perf_counter() - start


def time_ezdxf(path, out):
    start = time.perf_counter()
    doc = ezdxf.readfile(path)
    read = time.perf_counter() - start
    start = time.perf_counter()
    doc.saveas(out)
    return read, time.perf_counter() - start


def measure(drawhost, path, work, runs):
    out = os.path.join(work, "out.dxf")
    load = statistics.median(run_drawhost(drawhost, [path]) for _ in range(runs))
    both = statistics.median(run_drawhost(drawhost, ["--save", out, path]) for _ in range(runs))
    ez = [time_ezdxf(path, os.path.join(work, "ezdxf-out.dxf")) for _ in range(runs)]
    ez_read = statistics.median(r for r, _ in ez)
    ez_write = statistics.median(w for _, w in ez)
    save = both - load
    size = os.path.getsize(path) / 1e6
    print(f"{os.path.basename(path)} ({size:.1f} MB)")
    print(f"  read : drawhost {load:.3f} s   ezdxf {ez_read:.3f} s   ratio {ez_read / load:.1f}x")
    print(f"  write: drawhost {save:.3f} s   ezdxf {ez_write:.3f} s   ratio {ez_write / save:.1f}x")
    print(f"  (drawhost load and save {both:.3f} s)")
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("drawhost")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--lines", type=int, default=100000)
    parser.add_argument("--texts", type=int, default=10000)
    parser.add_argument("--keep", help="directory to keep the drawings in")
    options = parser.parse_args()
    with tempfile.TemporaryDirectory() as scratch:
        work = options.keep or scratch
        os.makedirs(work, exist_ok=True)
        source = os.path.join(work, "plan-ezdxf.dxf")
        make_drawing(source, options.lines, options.texts)
        saved = measure(options.drawhost, source, work, options.runs)
        resaved = os.path.join(work, "plan-drawhost.dxf")
        os.replace(saved, resaved)
        measure(options.drawhost, resaved, work, options.runs)
    return 0


if __name__ == "__main__":
    sys.exit(main())
