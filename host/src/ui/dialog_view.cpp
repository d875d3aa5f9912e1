// How an open dialog looks: as lines of the transcript, and as a picture
// laid out from its template. The picture works in dialog units, scaled by
// kUnit; the caption bar sits above the client area, whose origin is the
// template's. A combo box shows its closed field (kFieldHeight units high)
// and, while its list holds items, the list dropped below it, as far down
// as the template's height allows (the picture grows to hold it).
#include <algorithm>
#include <cstdio>

#include "editor/editor.h"
#include "io/svg_writer.h"
#include "ui/ui.h"

namespace hostimpl {

namespace {

using Window = AcUiControl::Window;

constexpr double kUnit = 3;          // pixels per dialog unit
constexpr double kCaptionHeight = 13;  // in dialog units
constexpr double kFieldHeight = 12;
constexpr double kTextSize = 7;
constexpr double kItemHeight = 9;

struct Observers {
  drawhost::DialogObserver observer;
  bool keepPictures = false;
  int dialogsShown = 0;
  std::vector<drawhost::DialogPicture> pictures;
};
Observers& observers() {
  static Observers* o = new Observers;
  return *o;
}

const char* stateOf(const Window& w) {
  const AcUiControlKind kind = w.control->kind;
  if (kind != AcUiControlKind::kCheckBox && kind != AcUiControlKind::kRadioButton) return "";
  return w.check ? ", checked" : ", unchecked";
}

std::string num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", v * kUnit);
  return buffer;
}

std::string utf8(const std::string& gbk) { return drawhost::dxf::xmlEscape(text::gbkToUtf8(gbk)); }

class Picture {
 public:
  explicit Picture(const AcUiDialog::Impl& d) : d_(d) {}
  std::string draw();

 private:
  void rect(double x, double y, double w, double h, const char* fill, const char* stroke,
            double radius = 0);
  void label(double x, double y, const std::string& gbk, bool enabled, const char* anchor = "start");
  void control(const Window& w);
  void checkMark(const Window& w);
  void comboBox(const Window& w);
  double top(const Window& w) const { return kCaptionHeight + w.control->y; }
  const AcUiDialog::Impl& d_;
  std::string body_;
  double bottom_ = 0;
};

void Picture::rect(double x, double y, double w, double h, const char* fill, const char* stroke,
                   double radius) {
  body_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) + "\" width=\"" + num(w) + "\" height=\"" +
           num(h) + "\" fill=\"" + fill + "\" stroke=\"" + stroke + "\"";
  if (radius > 0) body_ += " rx=\"" + num(radius) + "\"";
  body_ += "/>\n";
}

// Text whose baseline sits at y (in dialog units).
void Picture::label(double x, double y, const std::string& gbk, bool enabled, const char* anchor) {
  if (gbk.empty()) return;
  body_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" + anchor +
           "\" fill=\"" + (enabled ? "#000000" : "#a0a0a0") + "\" xml:space=\"preserve\">" +
           utf8(gbk) + "</text>\n";
}

void Picture::checkMark(const Window& w) {
  const AcUiControlTemplate& c = *w.control;
  const double y = top(w) + (c.cy - 8) / 2.0;
  const char* stroke = w.enabled ? "#333333" : "#a0a0a0";
  if (c.kind == AcUiControlKind::kCheckBox) {
    rect(c.x, y, 8, 8, "#ffffff", stroke);
    if (w.check)
      body_ += "<path d=\"M" + num(c.x + 1.5) + " " + num(y + 4) + " L" + num(c.x + 3.5) + " " +
               num(y + 6.5) + " L" + num(c.x + 6.5) + " " + num(y + 1.5) +
               "\" fill=\"none\" stroke=\"" + stroke + "\" stroke-width=\"" + num(0.8) + "\"/>\n";
  } else {
    body_ += "<circle cx=\"" + num(c.x + 4) + "\" cy=\"" + num(y + 4) + "\" r=\"" + num(4) +
             "\" fill=\"#ffffff\" stroke=\"" + stroke + "\"/>\n";
    if (w.check)
      body_ += "<circle cx=\"" + num(c.x + 4) + "\" cy=\"" + num(y + 4) + "\" r=\"" + num(2) +
               "\" fill=\"" + stroke + "\"/>\n";
  }
  label(c.x + 11, top(w) + c.cy / 2.0 + kTextSize * 0.35, w.text, w.enabled);
}

void Picture::comboBox(const Window& w) {
  const AcUiControlTemplate& c = *w.control;
  const double y = top(w);
  rect(c.x, y, c.cx, kFieldHeight, w.enabled ? "#ffffff" : "#f0f0f0", "#7a7a7a");
  rect(c.x + c.cx - kFieldHeight, y, kFieldHeight, kFieldHeight, "#e1e1e1", "#7a7a7a");
  const double ax = c.x + c.cx - kFieldHeight / 2, ay = y + kFieldHeight / 2;
  body_ += "<path d=\"M" + num(ax - 2.5) + " " + num(ay - 1.2) + " L" + num(ax + 2.5) + " " +
           num(ay - 1.2) + " L" + num(ax) + " " + num(ay + 1.8) + " Z\" fill=\"" +
           (w.enabled ? "#333333" : "#a0a0a0") + "\"/>\n";
  label(c.x + 2, y + kFieldHeight / 2 + kTextSize * 0.35, w.text, w.enabled);
  if (w.items.empty()) return;
  const double listTop = y + kFieldHeight;
  const double listHeight = std::max(kItemHeight, c.cy - kFieldHeight);
  rect(c.x, listTop, c.cx, listHeight, "#ffffff", "#7a7a7a");
  const size_t shown = std::min(w.items.size(), static_cast<size_t>(listHeight / kItemHeight));
  for (size_t i = 0; i < shown; ++i) {
    const double itemTop = listTop + static_cast<double>(i) * kItemHeight;
    if (w.items[i] == w.text) rect(c.x + 0.5, itemTop + 0.5, c.cx - 1, kItemHeight - 1, "#cce8ff", "none");
    label(c.x + 2, itemTop + kItemHeight / 2 + kTextSize * 0.35, w.items[i], w.enabled);
  }
  bottom_ = std::max(bottom_, listTop + listHeight);
}

void Picture::control(const Window& w) {
  const AcUiControlTemplate& c = *w.control;
  const double y = top(w);
  char title[96];
  std::snprintf(title, sizeof title, "%d %s at %d,%d size %d,%d", c.id, controlKindName(c.kind), c.x,
                c.y, c.cx, c.cy);
  body_ += std::string("<g><title>") + title + "</title>\n";
  const double middle = y + c.cy / 2.0 + kTextSize * 0.35;
  switch (c.kind) {
    case AcUiControlKind::kPushButton:
      rect(c.x, y, c.cx, c.cy, "#e1e1e1", (c.style & AcUiStyle::kDefault) ? "#0078d7" : "#adadad", 1);
      label(c.x + c.cx / 2.0, middle, w.text, w.enabled, "middle");
      break;
    case AcUiControlKind::kGroupBox:
      rect(c.x, y + kTextSize / 2, c.cx, c.cy - kTextSize / 2, "none", "#c8c8c8", 1);
      if (!w.text.empty()) {
        const double width = static_cast<double>(w.text.size()) * kTextSize / 2 + 2;  // GBK: two bytes a full width
        rect(c.x + 4, y, width, kTextSize, "#f0f0f0", "none");
        label(c.x + 5, y + kTextSize * 0.85, w.text, w.enabled);
      }
      break;
    case AcUiControlKind::kCheckBox:
    case AcUiControlKind::kRadioButton:
      checkMark(w);
      break;
    case AcUiControlKind::kEdit:
      rect(c.x, y, c.cx, c.cy, w.enabled ? "#ffffff" : "#f0f0f0", "#7a7a7a");
      label(c.x + 2, middle, w.text, w.enabled);
      break;
    case AcUiControlKind::kComboBox:
      comboBox(w);
      break;
    case AcUiControlKind::kStatic:
      label(c.x, y + kTextSize, w.text, w.enabled);
      break;
  }
  body_ += "</g>\n";
}

std::string Picture::draw() {
  const AcUiDialogTemplate& t = *d_.layout;
  bottom_ = kCaptionHeight + t.cy;
  rect(0, 0, t.cx, kCaptionHeight + t.cy, "#f0f0f0", "#707070");
  rect(0, 0, t.cx, kCaptionHeight, "#2b579a", "#707070");
  body_ += "<text x=\"" + num(4) + "\" y=\"" + num(kCaptionHeight * 0.7) + "\" fill=\"#ffffff\">" +
           utf8(t.caption ? t.caption : "") + "</text>\n";
  if (t.style & AcUiStyle::kSysMenu)
    body_ += "<text x=\"" + num(t.cx - 4) + "\" y=\"" + num(kCaptionHeight * 0.7) +
             "\" fill=\"#ffffff\" text-anchor=\"end\">\xC3\x97</text>\n";  // U+00D7, the close box
  for (const Window& w : d_.windows) control(w);
  const std::string width = num(t.cx + 1), height = num(bottom_ + 1);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" + height +
         "\" viewBox=\"0 0 " + width + " " + height + "\" font-family=\"sans-serif\" font-size=\"" +
         num(kTextSize) + "\">\n" + body_ + "</svg>\n";
}

}  // namespace

const char* controlKindName(AcUiControlKind kind) {
  switch (kind) {
    case AcUiControlKind::kPushButton: return "push button";
    case AcUiControlKind::kGroupBox: return "group box";
    case AcUiControlKind::kCheckBox: return "check box";
    case AcUiControlKind::kRadioButton: return "radio button";
    case AcUiControlKind::kEdit: return "edit box";
    case AcUiControlKind::kComboBox: return "combo box";
    case AcUiControlKind::kStatic: return "static text";
  }
  return "control";
}

std::string dialogView(const AcUiDialog::Impl& d) {
  const AcUiDialogTemplate& t = *d.layout;
  std::string out = std::string("\nDialog \"") + (t.caption ? t.caption : "") + "\" " +
                    std::to_string(t.cx) + " x " + std::to_string(t.cy) + ":";
  for (const Window& w : d.windows) {
    const AcUiControlTemplate& c = *w.control;
    out += std::string("\n  ") + controlKindName(c.kind);
    if (c.id != -1) (out += ' ') += std::to_string(c.id);
    ((out += " \"") += w.text) += '"';
    if (c.style & AcUiStyle::kDefault) out += ", default";
    out += stateOf(w);
    if (!w.enabled) out += ", disabled";
    if (c.kind != AcUiControlKind::kComboBox) continue;
    out += ", list:";
    if (w.items.empty()) out += " empty";
    for (size_t i = 0; i < w.items.size(); ++i) out += (i ? ", \"" : " \"") + w.items[i] + "\"";
  }
  return out;
}

std::string dialogPicture(const AcUiDialog::Impl& d) { return Picture(d).draw(); }

void reportDialog(const AcUiDialog::Impl& d, drawhost::DialogStage stage) {
  Observers& o = observers();
  if (o.observer) o.observer(stage, dialogView(d));
  if (!o.keepPictures || stage == drawhost::DialogStage::kChanged) return;
  if (stage == drawhost::DialogStage::kOpened) ++o.dialogsShown;
  const char* when = stage == drawhost::DialogStage::kOpened ? "-opened.svg" : "-closed.svg";
  o.pictures.push_back({"dialog-" + std::to_string(o.dialogsShown) + when, dialogPicture(d)});
}

}  // namespace hostimpl

namespace drawhost {

void setDialogObserver(DialogObserver observer) { hostimpl::observers().observer = std::move(observer); }

void keepDialogPictures(bool keep) {
  hostimpl::Observers& o = hostimpl::observers();
  o.keepPictures = keep;
  o.dialogsShown = 0;
  o.pictures.clear();
}

std::vector<DialogPicture> dialogPictures() { return hostimpl::observers().pictures; }

}  // namespace drawhost
