#!/usr/bin/python3
"""The rebar report of the sample plan, as a table and as a page in a real browser.

    rebar_report_check.py DRAWHOST KVBARWISP_ARX REBAR_AREA PLAN.dxf WORKDIR

The table must list every annotation of the plan (texts, attributes, texts inside blocks) and
no other text, each with the tooltip rebar-area --batch gives for its text under the plug-in's
settings. The page is opened in headless chromium: the pointer over three annotations shows
their tooltips in the box, a click on a table row centres the view on its annotation, and the
page is photographed into WORKDIR. The last line is "ok" or "FAILED".
"""
import csv
import os
import subprocess
import sys

import ezdxf


def fail(problems, message):
    problems.append(message)
    print("problem: " + message)


def plan_annotations(plan, rebar_area, config):
    """Every single-line text and attribute of the plan that the calculator takes, with its path."""
    doc = ezdxf.readfile(plan)
    texts = []

    def visit(entity, blocks):
        if entity.dxftype() == "TEXT":
            texts.append((entity.dxf.text, " > ".join(blocks)))
        elif entity.dxftype() == "INSERT":
            for attrib in entity.attribs:
                texts.append((attrib.dxf.text, " > ".join(blocks + [entity.dxf.name])))
            for inner in doc.blocks[entity.dxf.name]:
                if inner.dxftype() != "ATTDEF":
                    visit(inner, blocks + [entity.dxf.name])

    for entity in doc.modelspace():
        visit(entity, [])
    results = batch(rebar_area, config, [t for t, _ in texts])
    return [(t, blocks, r) for (t, blocks), r in zip(texts, results) if r != "-"], [t for t, _ in texts]


def batch(rebar_area, config, texts):
    run = subprocess.run([rebar_area, "--batch", "--config", config], input="\n".join(texts) + "\n",
                         capture_output=True, text=True, check=True)
    lines = run.stdout.split("\n")[:len(texts)]
    return [line if line == "-" else line.replace("\\n", "\n").replace("\\\\", "\\") for line in lines]


def check_table(drawhost, plugin, rebar_area, plan, work, problems):
    table = os.path.join(work, "report.csv")
    subprocess.run([drawhost, "--load", plugin, "--rebar-report", table, plan], check=True,
                   stdin=subprocess.DEVNULL)
    with open(table, encoding="utf-8-sig", newline="") as f:
        rows = list(csv.DictReader(f))
    config = os.path.join(os.path.dirname(plugin), "KVBarwisp.xml")
    expected, all_texts = plan_annotations(plan, rebar_area, config)
    got = [(r["text"], r["blocks"], r["tooltip"]) for r in rows]
    if sorted(got) != sorted(expected):
        fail(problems, f"table differs: missing {sorted(set(expected) - set(got))[:3]}, "
                       f"extra {sorted(set(got) - set(expected))[:3]}")
    if not any(r["blocks"] and r["kind"] == "text" for r in rows):
        fail(problems, "no text inside a block in the table")
    if not any(r["kind"] == "attribute" for r in rows):
        fail(problems, "no attribute in the table")
    left_out = [t for t in all_texts if t not in {r["text"] for r in rows}]
    if not left_out:
        fail(problems, "the plan's room names should be left out")
    forms = {r["form"] for r in rows}
    if not {"bar groups", "stirrups"} <= forms:
        fail(problems, f"forms found: {sorted(forms)}")
    kinds = {k: sum(1 for r in rows if r["kind"] == k) for k in ("text", "attribute")}
    print(f"table: {len(rows)} annotations ({kinds['text']} texts, {kinds['attribute']} attributes, "
          f"{sum(1 for r in rows if r['blocks'])} inside blocks), {len(left_out)} other texts left out, "
          f"forms {sorted(forms)}")
    return rows


def check_page(drawhost, plugin, plan, work, rows, problems):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.actions.action_builder import ActionBuilder

    page = os.path.join(work, "report.html")
    subprocess.run([drawhost, "--load", plugin, "--rebar-report", page, plan], check=True,
                   stdin=subprocess.DEVNULL)
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1400,900",
                     "--disable-dev-shm-usage"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    try:
        driver.get("file://" + os.path.abspath(page))
        count = driver.execute_script("return annotations.length")
        if count != len(rows):
            fail(problems, f"the page holds {count} annotations, the table {len(rows)}")
        where = "return [...screenPointOf(arguments[0]), annotations[arguments[0]].shown, annotations[arguments[0]].tooltip]"
        for i in sorted({0, count // 2, count - 1}):
            x, y, shown, tooltip = driver.execute_script(where, i)
            pointer = ActionBuilder(driver)
            pointer.pointer_action.move_to_location(int(round(x)), int(round(y)))
            pointer.perform()
            box = driver.find_element("id", "tip")
            text = driver.execute_script("return arguments[0].innerText", box)
            if not box.is_displayed() or text.rstrip("\n") != (shown + "\n" + tooltip).rstrip("\n"):
                fail(problems, f"hovering annotation {i} ({shown}) shows {text!r}")
            else:
                print(f"hover over {shown}: tooltip box shows {len(text.splitlines())} lines")
        # A click on the last row (after sorting by area) centres the view on its annotation.
        driver.find_element("css selector", "th[data-key=area]").click()
        row = driver.find_elements("css selector", "#list tbody tr")[-1]
        index = int(row.get_attribute("data-index"))
        before = driver.execute_script("return viewCentre()")
        row.click()
        after = driver.execute_script(
            "const a = annotations[arguments[0]];"
            "return [...viewCentre(), (a.box[0] + a.box[2]) / 2, (a.box[1] + a.box[3]) / 2]", index)
        centred = abs(after[0] - after[3]) <= 1e-6 * max(1, abs(after[3])) and \
            abs(after[1] - after[4]) <= 1e-6 * max(1, abs(after[4]))
        if not centred or after[2] >= before[2]:
            fail(problems, f"the click did not centre the view: {after} (before {before})")
        else:
            print(f"a click on a row centred the view on it, {before[2] / after[2]:.0f} times closer")
        # The annotation is then under the pointer where the page says it is.
        x, y, shown, tooltip = driver.execute_script(where, index)
        pointer = ActionBuilder(driver)
        pointer.pointer_action.move_to_location(int(round(x)), int(round(y)))
        pointer.perform()
        if driver.execute_script("return document.getElementById('tip').innerText").split("\n")[0] != shown:
            fail(problems, "after the click the tooltip there is not the row's")
        areas = driver.execute_script(
            "return [...document.querySelectorAll('#list tbody tr')].map(r => annotations[r.dataset.index].area)")
        if areas != sorted(areas):
            fail(problems, "sorting by area does not order the rows")
        shot = os.path.join(work, "report.png")
        driver.save_screenshot(shot)
        print(f"screenshot: {shot}")
    finally:
        driver.quit()


def main(argv):
    drawhost, plugin, rebar_area, plan, work = argv[1:6]
    os.makedirs(work, exist_ok=True)
    problems = []
    rows = check_table(drawhost, plugin, rebar_area, plan, work, problems)
    check_page(drawhost, plugin, plan, work, rows, problems)
    print("FAILED" if problems else "ok")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
