// The rebar report as one page: the drawing's picture inline, the
// annotations as data for a small script, and a table beside the picture.
//
// The script keeps the picture's view box as the view: dragging moves it,
// the wheel scales it about the cursor. Over the picture the annotation
// whose box is nearest the cursor (within a few pixels) shows its tooltip in
// a box near the cursor, with its line breaks. Clicking a column head sorts
// the table by it; clicking a row centres the view on that annotation.
#include <string>

#include "rebar_report.h"

namespace rebarreport {
namespace {

std::string escapeXml(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string js(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': break;
      case '<': out += "\\u003c"; break;  // no "</script>" can end the script early
      default:
        if (c >= 0x20) out += static_cast<char>(c);
    }
  }
  return out + '"';
}

std::string num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", v);
  return buffer;
}

// The picture without its XML declaration, filling its box.
std::string inlinePicture(const std::string& svg) {
  std::string out = svg;
  const size_t start = out.find("<svg");
  if (start != std::string::npos) out.erase(0, start);
  const size_t tagEnd = out.find('>');
  std::string tag = out.substr(0, tagEnd);
  for (const char* attribute : {" width=\"", " height=\""}) {
    const size_t at = tag.find(attribute);
    if (at == std::string::npos) continue;
    const size_t close = tag.find('"', at + std::char_traits<char>::length(attribute));
    tag.erase(at, close - at + 1);
  }
  tag += " id=\"drawing\" preserveAspectRatio=\"xMidYMid meet\"";
  return tag + out.substr(tagEnd);
}

constexpr const char* kStyle = R"(
:root { --cjk: "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Source Han Sans SC", "Microsoft YaHei",
        "PingFang SC", "SimHei", sans-serif; }
html, body { margin: 0; height: 100%; font-family: var(--cjk); background: #1e1e1e; color: #ddd; }
#page { display: flex; height: 100%; }
#view { flex: 1; position: relative; overflow: hidden; cursor: grab; }
#view.dragging { cursor: grabbing; }
#drawing { width: 100%; height: 100%; display: block; }
#drawing text { font-family: var(--cjk); }
#side { width: 34em; overflow: auto; border-left: 1px solid #444; font-size: 13px; }
#side h1 { font-size: 15px; margin: 8px; }
#side p { margin: 4px 8px; color: #aaa; }
table { border-collapse: collapse; width: 100%; }
th { position: sticky; top: 0; background: #333; cursor: pointer; text-align: left; padding: 4px; }
th.sorted-up::after { content: " \25B2"; } th.sorted-down::after { content: " \25BC"; }
td { padding: 3px 4px; border-top: 1px solid #333; white-space: nowrap; }
td.area { text-align: right; }
tr:hover td { background: #2a3a4a; cursor: pointer; } tr.current td { background: #345; }
#tip { position: fixed; display: none; pointer-events: none; white-space: pre; z-index: 2;
       background: #ffffe1; color: #000; border: 1px solid #777; padding: 4px 6px;
       font: 13px/1.35 var(--cjk); box-shadow: 2px 2px 4px rgba(0,0,0,.4); }
#tip b { display: block; margin-bottom: 2px; }
#mark { fill: none; stroke: #ff0; pointer-events: none; }
)";

constexpr const char* kScript = R"(
const svg = document.getElementById('drawing');
const view = document.getElementById('view');
const tip = document.getElementById('tip');
const vb = svg.viewBox.baseVal;
const home = {x: vb.x, y: vb.y, width: vb.width, height: vb.height};
const ns = 'http://www.w3.org/2000/svg';
const mark = document.createElementNS(ns, 'rect');
mark.id = 'mark';
svg.appendChild(mark);

function toDrawing(event) {
  const p = svg.createSVGPoint();
  p.x = event.clientX; p.y = event.clientY;
  const q = p.matrixTransform(svg.getScreenCTM().inverse());
  return {x: q.x, y: -q.y};
}
function unitsPerPixel() { return vb.width / svg.getBoundingClientRect().width; }

// The annotation under the cursor: the nearest box within five pixels.
function annotationAt(point) {
  const slack = 5 * unitsPerPixel();
  let best = -1, bestDistance = Infinity;
  for (let i = 0; i < annotations.length; ++i) {
    const b = annotations[i].box;
    const dx = Math.max(b[0] - point.x, 0, point.x - b[2]);
    const dy = Math.max(b[1] - point.y, 0, point.y - b[3]);
    const d = Math.hypot(dx, dy);
    if (d <= slack && d < bestDistance) { best = i; bestDistance = d; }
  }
  return best;
}
function markAnnotation(i) {
  if (i < 0) { mark.setAttribute('width', 0); return; }
  const b = annotations[i].box, pad = 3 * unitsPerPixel();
  mark.setAttribute('x', b[0] - pad); mark.setAttribute('y', -b[3] - pad);
  mark.setAttribute('width', b[2] - b[0] + 2 * pad); mark.setAttribute('height', b[3] - b[1] + 2 * pad);
  mark.setAttribute('stroke-width', 1.5 * unitsPerPixel());
}
function showTip(i, event) {
  if (i < 0) { tip.style.display = 'none'; return; }
  const a = annotations[i];
  tip.replaceChildren();
  const title = document.createElement('b');
  title.textContent = a.shown;
  tip.append(title, a.tooltip);
  tip.style.display = 'block';
  const room = {x: window.innerWidth - tip.offsetWidth - 4, y: window.innerHeight - tip.offsetHeight - 4};
  tip.style.left = Math.min(event.clientX + 14, room.x) + 'px';
  tip.style.top = Math.min(event.clientY + 16, room.y) + 'px';
}

let drag = null;
view.addEventListener('mousedown', e => {
  drag = {x: e.clientX, y: e.clientY, vx: vb.x, vy: vb.y};
  view.classList.add('dragging');
});
window.addEventListener('mouseup', () => { drag = null; view.classList.remove('dragging'); });
view.addEventListener('mousemove', e => {
  if (drag) {
    const k = unitsPerPixel();
    vb.x = drag.vx - (e.clientX - drag.x) * k;
    vb.y = drag.vy - (e.clientY - drag.y) * k;
    tip.style.display = 'none';
    return;
  }
  const i = annotationAt(toDrawing(e));
  markAnnotation(i);
  showTip(i, e);
});
view.addEventListener('mouseleave', () => { tip.style.display = 'none'; markAnnotation(-1); });
view.addEventListener('wheel', e => {
  e.preventDefault();
  const p = toDrawing(e);
  const k = Math.pow(1.0015, e.deltaY);
  vb.x = p.x - (p.x - vb.x) * k; vb.y = -p.y - (-p.y - vb.y) * k;
  vb.width *= k; vb.height *= k;
}, {passive: false});
view.addEventListener('dblclick', () => Object.assign(vb, home));

// The table: sorted by a column head, a row centres the view on its annotation.
const body = document.querySelector('#list tbody');
const rows = annotations.map((a, i) => {
  const tr = document.createElement('tr');
  for (const [text, cls] of [[a.shown, ''], [a.layer, ''], [a.form, ''], [a.area.toFixed(0), 'area'], [a.blocks, '']]) {
    const td = document.createElement('td');
    td.textContent = text;
    if (cls) td.className = cls;
    tr.appendChild(td);
  }
  tr.dataset.index = i;
  tr.addEventListener('click', () => centreOn(i));
  return tr;
});
body.append(...rows);
function centreOn(i) {
  const a = annotations[i];
  const cx = (a.box[0] + a.box[2]) / 2, cy = (a.box[1] + a.box[3]) / 2;
  // Close enough to read the text: some forty text heights across.
  const w = Math.min(home.width, Math.max((a.box[3] - a.box[1]) * 40, vb.width / 8));
  const h = w * vb.height / vb.width;
  Object.assign(vb, {x: cx - w / 2, y: -cy - h / 2, width: w, height: h});
  for (const r of body.querySelectorAll('tr.current')) r.classList.remove('current');
  rows[i].classList.add('current');
  markAnnotation(i);
}
const keys = {text: a => a.shown, layer: a => a.layer, form: a => a.form, area: a => a.area, blocks: a => a.blocks};
let sorted = {key: null, up: true};
for (const th of document.querySelectorAll('#list th')) {
  th.addEventListener('click', () => {
    const key = th.dataset.key;
    sorted = {key, up: sorted.key === key ? !sorted.up : true};
    const get = keys[key];
    const order = annotations.map((a, i) => i).sort((i, j) => {
      const a = get(annotations[i]), b = get(annotations[j]);
      const c = typeof a === 'number' ? a - b : a.localeCompare(b, 'zh-CN');
      return (sorted.up ? c : -c) || i - j;
    });
    body.append(...order.map(i => rows[i]));
    for (const h of document.querySelectorAll('#list th')) h.className = '';
    th.className = sorted.up ? 'sorted-up' : 'sorted-down';
  });
}
)";

}  // namespace

std::string toHtml(const std::vector<Annotation>& annotations, const std::string& svg,
                   const std::string& title) {
  std::string page = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<title>Rebar annotations: " + escapeXml(title) + "</title>\n<style>" + kStyle + "</style>\n";
  page += "</head>\n<body>\n<div id=\"page\">\n<div id=\"view\">\n" + inlinePicture(svg) + "</div>\n";
  page += "<div id=\"side\">\n<h1>" + escapeXml(title) + ": " + std::to_string(annotations.size()) +
          " rebar annotations</h1>\n";
  page += "<p>Drag to pan, the wheel zooms, a double click shows it all. Rest the cursor on an "
          "annotation for its tooltip; click a row to go to it.</p>\n";
  page += "<p>Grades: " + shownText("%%130") + " HPB235, " + shownText("%%131") + " HRB335, " +
          shownText("%%132") + " HRB400, " + shownText("%%133") + " RRB400</p>\n";
  page += "<table id=\"list\"><thead><tr><th data-key=\"text\">Text</th><th data-key=\"layer\">"
          "Layer</th><th data-key=\"form\">Form</th><th data-key=\"area\">Area mm²</th>"
          "<th data-key=\"blocks\">Block</th></tr></thead><tbody></tbody></table>\n</div>\n</div>\n";
  page += "<div id=\"tip\"></div>\n<script>\nconst annotations = [\n";
  for (const Annotation& a : annotations) {
    page += "{shown:" + js(shownText(a.text)) + ",layer:" + js(a.layer) + ",form:" + js(a.form) +
            ",blocks:" + js(a.blocks) + ",area:" + num(a.area) + ",box:[" + num(a.box[0]) + ',' +
            num(a.box[1]) + ',' + num(a.box[2]) + ',' + num(a.box[3]) + "],tooltip:" +
            js(a.tooltip) + "},\n";
  }
  page += "];\n";
  page += kScript;
  page += "</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace rebarreport
