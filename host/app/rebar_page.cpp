// The rebar report as one page: the drawing's picture, the annotations as
// data for a small script, and a table beside the picture.
//
// The picture is the drawing's SVG, carried in the page as text and shown as
// an image: a drawing of a hundred thousand entities as elements of the page
// would take the browser seconds to read and to draw again at every change,
// an image it reads apart and draws as one. The view is a rectangle of the
// picture: dragging moves the image, the wheel scales it about the cursor
// (at once by a transform, then drawn anew at its size when the wheel
// rests). Over the picture the annotation whose box is nearest the cursor
// (within a few pixels) shows its tooltip in a box near the cursor, with its
// line breaks, and a mark on a picture of its own over the drawing. Clicking
// a column head sorts the table by it; clicking a row centres the view on
// that annotation.
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

// The picture as the page carries it: its text in a script element of its own type, which the
// page's reader takes as it is (an XML-escaped text can hold no "</script"), with the page's
// Chinese fonts named for its texts.
std::string carriedPicture(const std::string& svg) {
  std::string picture = svg;
  const size_t start = picture.find("<svg");
  if (start != std::string::npos) picture.erase(0, start);
  const size_t tagEnd = picture.find('>');
  if (tagEnd != std::string::npos)
    picture.insert(tagEnd + 1, "\n<style>text { font-family: \"WenQuanYi Zen Hei\", \"Noto Sans CJK SC\", "
                               "\"Source Han Sans SC\", \"Microsoft YaHei\", \"PingFang SC\", \"SimHei\", "
                               "sans-serif; }</style>");
  return "<script id=\"picture\" type=\"image/svg+xml\">\n" + picture + "</script>\n";
}

constexpr const char* kStyle = R"(
:root { --cjk: "WenQuanYi Zen Hei", "Noto Sans CJK SC", "Source Han Sans SC", "Microsoft YaHei",
        "PingFang SC", "SimHei", sans-serif; }
html, body { margin: 0; height: 100%; font-family: var(--cjk); background: #1e1e1e; color: #ddd; }
#page { display: flex; height: 100%; }
#view { flex: 1; position: relative; overflow: hidden; cursor: grab; }
#view.dragging { cursor: grabbing; }
#drawing { position: absolute; transform-origin: 0 0; will-change: transform; user-select: none; }
#side { width: 34em; overflow: auto; border-left: 1px solid #444; font-size: 13px; }
#side h1 { font-size: 15px; margin: 8px; }
#side p { margin: 4px 8px; color: #aaa; }
table { border-collapse: collapse; width: 100%; }
th { position: sticky; top: 0; background: #333; cursor: pointer; text-align: left; padding: 4px; }
th.sorted-up::after { content: " \25B2"; } th.sorted-down::after { content: " \25BC"; }
td { padding: 3px 4px; border-top: 1px solid #333; white-space: nowrap; }
td.area { text-align: right; }
tr:hover td { background: #2a3a4a; cursor: pointer; } tr.current td { background: #345; }
#tip { position: fixed; display: none; pointer-events: none; white-space: pre; z-index: 2; will-change: transform;
       background: #ffffe1; color: #000; border: 1px solid #777; padding: 4px 6px;
       font: 13px/1.35 var(--cjk); box-shadow: 2px 2px 4px rgba(0,0,0,.4); }
#tip b { display: block; margin-bottom: 2px; }
#overlay { position: absolute; left: 0; top: 0; width: 100%; height: 100%; pointer-events: none;
           will-change: transform; }
#mark { fill: none; stroke: #ff0; }
)";

constexpr const char* kScript = R"js(
const scriptStart = performance.now();
const view = document.getElementById('view');
const tip = document.getElementById('tip');
const img = document.getElementById('drawing');
const pictureText = document.getElementById('picture').textContent;
img.src = URL.createObjectURL(new Blob([pictureText], {type: 'image/svg+xml'}));
// The picture's own box, in its units (drawing units, y downwards), and the part of it in view.
const box = pictureText.match(/viewBox="([^"]*)"/)[1].split(' ').map(Number);
const home = {x: box[0], y: box[1], width: box[2], height: box[3]};
let shown = {...home};

// Pixels per picture unit, and where the picture's origin of the view lands in the view.
function placement() {
  const r = view.getBoundingClientRect();
  const scale = Math.min(r.width / shown.width, r.height / shown.height);
  return {r, scale, left: (r.width - shown.width * scale) / 2 - (shown.x - home.x) * scale,
          top: (r.height - shown.height * scale) / 2 - (shown.y - home.y) * scale};
}
const ns = 'http://www.w3.org/2000/svg';
const overlay = document.createElementNS(ns, 'svg');
overlay.id = 'overlay';
const mark = document.createElementNS(ns, 'rect');
mark.id = 'mark';
overlay.appendChild(mark);
view.appendChild(overlay);
let current = -1;
// Draws the image at the size the view asks for (the browser draws it anew), and the overlay.
function place() {
  const p = placement();
  img.style.transform = '';
  img.style.width = home.width * p.scale + 'px';
  img.style.height = home.height * p.scale + 'px';
  img.style.left = p.left + 'px';
  img.style.top = p.top + 'px';
  overlay.setAttribute('viewBox', `${home.x - p.left / p.scale} ${home.y - p.top / p.scale} ${p.r.width / p.scale} ${p.r.height / p.scale}`);
  markAnnotation(current);
}
function toPicture(event) {
  const p = placement();
  return {x: home.x + (event.clientX - p.r.left - p.left) / p.scale,
          y: home.y + (event.clientY - p.r.top - p.top) / p.scale};
}
function unitsPerPixel() { return 1 / placement().scale; }
// For those who drive the page: where annotation i is on the screen, and the view's centre in
// drawing units.
window.screenPointOf = i => {
  const a = annotations[i], p = placement();
  return [p.r.left + p.left + ((a.box[0] + a.box[2]) / 2 - home.x) * p.scale,
          p.r.top + p.top + (-(a.box[1] + a.box[3]) / 2 - home.y) * p.scale];
};
window.viewCentre = () => [shown.x + shown.width / 2, -(shown.y + shown.height / 2), shown.width];

// The annotation under the cursor: the nearest box within five pixels.
function annotationAt(point) {
  const slack = 5 * unitsPerPixel(), x = point.x, y = -point.y;
  let best = -1, bestDistance = Infinity;
  for (let i = 0; i < annotations.length; ++i) {
    const b = annotations[i].box;
    const dx = Math.max(b[0] - x, 0, x - b[2]);
    const dy = Math.max(b[1] - y, 0, y - b[3]);
    const d = Math.hypot(dx, dy);
    if (d <= slack && d < bestDistance) { best = i; bestDistance = d; }
  }
  return best;
}
function markAnnotation(i) {
  current = i;
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
  drag = {x: e.clientX, y: e.clientY, from: {...shown}};
  view.classList.add('dragging');
  e.preventDefault();
});
window.addEventListener('mouseup', () => { drag = null; view.classList.remove('dragging'); });
view.addEventListener('mousemove', e => {
  if (drag) {
    const k = unitsPerPixel();
    shown.x = drag.from.x - (e.clientX - drag.x) * k;
    shown.y = drag.from.y - (e.clientY - drag.y) * k;
    place();
    tip.style.display = 'none';
    return;
  }
  const i = annotationAt(toPicture(e));
  markAnnotation(i);
  showTip(i, e);
});
view.addEventListener('mouseleave', () => { tip.style.display = 'none'; markAnnotation(-1); });
let wheelRest = null, wheelFrom = null;
view.addEventListener('wheel', e => {
  e.preventDefault();
  const before = placement();
  if (!wheelFrom) wheelFrom = before;
  const p = toPicture(e);
  const k = Math.pow(1.0015, e.deltaY);
  shown = {x: p.x - (p.x - shown.x) * k, y: p.y - (p.y - shown.y) * k,
           width: shown.width * k, height: shown.height * k};
  // At once as a transform of the image drawn last; drawn anew when the wheel rests.
  const now = placement(), f = now.scale / wheelFrom.scale;
  img.style.transform = `translate(${now.left - wheelFrom.left * f}px, ${now.top - wheelFrom.top * f}px) scale(${f})`;
  overlay.setAttribute('viewBox', `${home.x - now.left / now.scale} ${home.y - now.top / now.scale} ${now.r.width / now.scale} ${now.r.height / now.scale}`);
  markAnnotation(current);
  clearTimeout(wheelRest);
  wheelRest = setTimeout(() => { wheelFrom = null; place(); }, 150);
}, {passive: false});
view.addEventListener('dblclick', () => { shown = {...home}; place(); });
window.addEventListener('resize', place);
place();

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
  const w = Math.min(home.width, Math.max((a.box[3] - a.box[1]) * 40, shown.width / 8));
  const h = w * shown.height / shown.width;
  shown = {x: cx - w / 2, y: -cy - h / 2, width: w, height: h};
  place();
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
window.scriptMilliseconds = performance.now() - scriptStart;
)js";

}  // namespace

std::string toHtml(const std::vector<Annotation>& annotations, const std::string& svg,
                   const std::string& title) {
  std::string page = "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n";
  page += "<title>Rebar annotations: " + escapeXml(title) + "</title>\n<style>" + kStyle + "</style>\n";
  page += "</head>\n<body>\n<div id=\"page\">\n<div id=\"view\"><img id=\"drawing\" alt=\"\" draggable=\"false\"></div>\n";
  page += "<div id=\"side\">\n<h1>" + escapeXml(title) + ": " + std::to_string(annotations.size()) +
          " rebar annotations</h1>\n";
  page += "<p>Drag to pan, the wheel zooms, a double click shows it all. Rest the cursor on an "
          "annotation for its tooltip; click a row to go to it.</p>\n";
  page += "<p>Grades: " + shownText("%%130") + " HPB235, " + shownText("%%131") + " HRB335, " +
          shownText("%%132") + " HRB400, " + shownText("%%133") + " RRB400</p>\n";
  page += "<table id=\"list\"><thead><tr><th data-key=\"text\">Text</th><th data-key=\"layer\">"
          "Layer</th><th data-key=\"form\">Form</th><th data-key=\"area\">Area mm²</th>"
          "<th data-key=\"blocks\">Block</th></tr></thead><tbody></tbody></table>\n</div>\n</div>\n";
  page += "<div id=\"tip\"></div>\n" + carriedPicture(svg) + "<script>\nconst annotations = [\n";
  for (const Annotation& a : annotations) {
    page += "{shown:" + js(shownText(a.text)) + ",kind:" + js(a.kind) + ",layer:" + js(a.layer) + ",form:" + js(a.form) +
            ",blocks:" + js(a.blocks) + ",area:" + decimal(a.area) + ",box:[" + decimal(a.box[0]) + ',' +
            decimal(a.box[1]) + ',' + decimal(a.box[2]) + ',' + decimal(a.box[3]) + "],tooltip:" +
            js(a.tooltip) + "},\n";
  }
  page += "];\n";
  page += kScript;
  page += "</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace rebarreport
