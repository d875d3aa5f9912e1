#!/usr/bin/python3
"""The rebar report of a large drawing: 10,000 annotations among 100,000 entities.

    measure.py DRAWHOST KVBARWISP_ARX WORKDIR

Makes the drawing with ezdxf (a grid of 90,000 lines on four layers and 10,000 texts of the four
annotation forms, a tenth of them inside block references), then times, in the same run, the
peer (drawhost loading and saving the drawing) against the report as a table and as a page, and
opens the page in headless chromium to time its load and a hover. Prints the figures and their
ratios to the peer.
"""
import csv
import os
import subprocess
import sys
import time

import ezdxf

TEXTS = ["4%%13225", "2%%13225;4%%13222", "%%13010@100/200(4)", "G1.5-1.0", "12-8-12",
         "3%%13120+2%%13118", "%%1318@150(2)"]


def make_drawing(path):
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    for name in ("BEAM", "WALL", "AXIS", "REBAR"):
        doc.layers.add(name)
    tag = doc.blocks.new("TAG")
    tag.add_text("2%%13220", dxfattribs={"height": 3, "insert": (0, 0), "layer": "REBAR"})
    tag.add_line((0, -1), (20, -1))
    for i in range(90_000):
        x, y = (i % 300) * 40.0, (i // 300) * 40.0
        msp.add_line((x, y), (x + 30, y), dxfattribs={"layer": ("BEAM", "WALL", "AXIS")[i % 3]})
    for i in range(10_000):
        x, y = (i % 100) * 120.0 + 5, (i // 100) * 120.0 + 10
        if i % 10 == 9:
            msp.add_blockref("TAG", (x, y), dxfattribs={"layer": "REBAR"})
        else:
            msp.add_text(TEXTS[i % len(TEXTS)], dxfattribs={"height": 3, "insert": (x, y), "layer": "REBAR"})
    doc.saveas(path)


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def page_in_browser(page):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1400,900"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        start = time.perf_counter()
        driver.get("file://" + os.path.abspath(page))
        loaded = time.perf_counter() - start
        timing = driver.execute_script(
            "const t = performance.getEntriesByType('navigation')[0];"
            "return [t.domContentLoadedEventEnd, t.loadEventEnd, window.scriptMilliseconds, t.responseEnd]")
        print(f"(script {timing[2]:.0f} ms, file read by {timing[3]:.0f} ms)")
        x, y = driver.execute_script("return screenPointOf(5000)")
        # The page's own work for one cursor move (finding the annotation among all of them, the
        # tooltip box and the mark), without the driver's round trip.
        hover = driver.execute_script("""
            const e = new MouseEvent('mousemove', {clientX: arguments[0], clientY: arguments[1], bubbles: true});
            const v = document.getElementById('view'), t = performance.now();
            for (let i = 0; i < 200; ++i) v.dispatchEvent(e);
            return (performance.now() - t) / 200 / 1000""", x, y)
        return loaded, timing, hover
    finally:
        driver.quit()


def main(argv):
    drawhost, plugin, work = argv[1:4]
    os.makedirs(work, exist_ok=True)
    drawing = os.path.join(work, "large.dxf")
    if not os.path.exists(drawing):
        make_drawing(drawing)
    peer = timed([drawhost, "--save", os.path.join(work, "saved.dxf"), drawing])
    table = timed([drawhost, "--load", plugin, "--rebar-report", os.path.join(work, "report.csv"), drawing])
    page_path = os.path.join(work, "report.html")
    page = timed([drawhost, "--load", plugin, "--rebar-report", page_path, drawing])
    with open(os.path.join(work, "report.csv"), encoding="utf-8-sig", newline="") as f:
        rows = list(csv.DictReader(f))
    print(f"drawing: 100,000 entities, {os.path.getsize(drawing) / 1e6:.1f} MB; the report lists "
          f"{len(rows)} annotations, {sum(1 for r in rows if r['blocks'])} of them inside blocks")
    print(f"peer, load and save: {peer:.2f} s")
    print(f"report as a table: {table:.2f} s ({table / peer:.2f}x the peer)")
    print(f"report as a page: {page:.2f} s ({page / peer:.2f}x the peer), {os.path.getsize(page_path) / 1e6:.1f} MB")
    loaded, timing, hover = page_in_browser(page_path)
    print(f"page in chromium: loaded in {loaded:.2f} s (DOM ready {timing[0] / 1000:.2f} s, load {timing[1] / 1000:.2f} s), "
          f"a cursor move over an annotation handled in {hover * 1000:.2f} ms")


if __name__ == "__main__":
    main(sys.argv)
