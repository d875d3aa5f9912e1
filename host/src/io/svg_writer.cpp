// The SVG writer. Coordinates are written in drawing units with y negated (SVG's y runs down);
// a block reference becomes a group whose transform is the reference's, conjugated by that
// flip: translate(x,-y) rotate(-r) scale(sx,sy) translate(-bx,by). Lines keep one screen width
// whatever the zoom (non-scaling stroke). Texts are placed with their own small transform so
// that their glyphs stand upright.
#include "io/svg_writer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_set>

#include "geometry/geometry.h"
#include "rx/rx.h"
#include "io/dxf_text.h"

namespace drawhost::dxf {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Blocks that each hold many references to the next grow the picture exponentially with the
// depth; past this many drawn entities, block content is no longer expanded.
constexpr long kMaxExpandedEntities = 500000;

std::string number(double value) {
  if (!std::isfinite(value)) return "0";
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%.10g", value == 0 ? 0.0 : value);
  return std::string(buffer, n);
}

std::string colourText(unsigned rgb) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%06x", rgb & 0xFFFFFF);
  return buffer;
}


struct LayerLook {
  int colour = 7;
  bool shown = true;
  bool frozen = false;
};

// What an entity inherits from the block references around it.
struct Context {
  std::string layer;   // the reference's layer, for entities on layer "0"; empty at top level
  int colour = 7;      // the reference's resolved colour, for colour "by block"
  int depth = 0;
};

class SvgWriter {
 public:
  explicit SvgWriter(const DxfDrawing& drawing) {
    for (const DxfLayer& layer : drawing.layers)
      layers_[nameKey(layer.name)] = {layer.colour, !layer.off && !layer.frozen, layer.frozen};
    for (const DxfBlockDefinition& block : drawing.blocks) blocks_[nameKey(block.block.name)] = &block;
  }

  std::string write(const DxfEntitySource& modelSpace) {
    std::string body;
    Context top;
    modelSpace([&](const DxfEntity& e) { drawEntity(e, top, body); });
    if (minX_ > maxX_) minX_ = minY_ = 0, maxX_ = maxY_ = 100;
    const double margin = std::max({maxX_ - minX_, maxY_ - minY_, 1.0}) * 0.03;
    const double x = minX_ - margin, y = -maxY_ - margin;
    const double w = maxX_ - minX_ + 2 * margin, h = maxY_ - minY_ + 2 * margin;
    const double pixelWidth = 1200, pixelHeight = std::max(1.0, std::round(1200 * h / w));
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
           number(pixelWidth) + "\" height=\"" + number(pixelHeight) + "\" viewBox=\"" +
           number(x) + " " + number(y) + " " + number(w) + " " + number(h) + "\">\n";
    out += "<rect x=\"" + number(x) + "\" y=\"" + number(y) + "\" width=\"" + number(w) +
           "\" height=\"" + number(h) + "\" fill=\"#000000\"/>\n";
    // One pixel wide lines at the picture's size.
    out += "<g fill=\"none\" stroke-width=\"" + number(w / pixelWidth) +
           "\" stroke-linecap=\"round\" font-family=\"sans-serif\">\n";
    out += body;
    out += "</g>\n</svg>\n";
    return out;
  }

 private:
  // The layer an entity is seen on: inside a block, layer "0" means the reference's layer.
  const std::string& effectiveLayer(const DxfEntity& e, const Context& context) const {
    return (!context.layer.empty() && e.layer == "0") ? context.layer : e.layer;
  }

  LayerLook look(const std::string& layer) const {
    const auto found = layers_.find(nameKey(layer));
    return found == layers_.end() ? LayerLook{} : found->second;
  }

  int resolvedColour(const DxfEntity& e, const Context& context) const {
    if (e.colour == kColourByLayer) return look(effectiveLayer(e, context)).colour;
    if (e.colour == kColourByBlock) return context.colour;
    return e.colour;
  }

  void drawEntity(const DxfEntity& e, const Context& context, std::string& out) {
    if (e.invisible) return;
    const std::string& layer = effectiveLayer(e, context);
    if (e.kind == EntityKind::Insert) {
      // A frozen layer hides the whole reference; an off layer only what is drawn on it.
      if (look(layer).frozen) return;
      drawInsert(e, context, out);
      return;
    }
    if (!look(layer).shown) return;
    const std::string stroke = colourText(colourIndexToRgb(resolvedColour(e, context)));
    const bool top = context.depth == 0;
    switch (e.kind) {
      case EntityKind::Line:
        if (top) extend(e.p.x, e.p.y), extend(e.q.x, e.q.y);
        out += "<line x1=\"" + number(e.p.x) + "\" y1=\"" + number(-e.p.y) + "\" x2=\"" +
               number(e.q.x) + "\" y2=\"" + number(-e.q.y) + "\" stroke=\"" + stroke +
               "\"/>\n";
        break;
      case EntityKind::Circle:
        if (top) extend(e.p.x - e.radius, e.p.y - e.radius), extend(e.p.x + e.radius, e.p.y + e.radius);
        out += "<circle cx=\"" + number(e.p.x) + "\" cy=\"" + number(-e.p.y) + "\" r=\"" +
               number(std::abs(e.radius)) + "\" stroke=\"" + stroke +
               "\"/>\n";
        break;
      case EntityKind::Arc:
        drawArc(e, stroke, top, out);
        break;
      case EntityKind::Point:
        if (top) extend(e.p.x, e.p.y);
        // A line of no length with round ends: a dot of the line width.
        out += "<line x1=\"" + number(e.p.x) + "\" y1=\"" + number(-e.p.y) + "\" x2=\"" +
               number(e.p.x) + "\" y2=\"" + number(-e.p.y) + "\" stroke=\"" + stroke + "\"/>\n";
        break;
      case EntityKind::Polyline:
        drawPolyline(e, stroke, top, out);
        break;
      case EntityKind::Region:
        drawRegion(e, stroke, top, out);
        break;
      case EntityKind::Kept:
        if (e.typeName == "DIMENSION") drawDimension(e, context, out);
        else drawKept(e, stroke, top, out);
        break;
      case EntityKind::Text:
      case EntityKind::Attribute:
        if ((e.attributeFlags & 1) == 0) drawText(e, stroke, top, out);
        break;
      case EntityKind::MText:
        drawMText(e, stroke, top, out);
        break;
      case EntityKind::AttributeDefinition:
      case EntityKind::Insert:
        break;  // templates show through the references' attributes
    }
  }

  void drawArc(const DxfEntity& e, const std::string& stroke, bool top, std::string& out) {
    double sweep = std::fmod(e.endAngle - e.startAngle, 360.0);
    if (sweep <= 0) sweep += 360.0;
    const double a0 = e.startAngle * kPi / 180, a1 = e.endAngle * kPi / 180;
    const double r = std::abs(e.radius);
    const double x0 = e.p.x + r * std::cos(a0), y0 = e.p.y + r * std::sin(a0);
    const double x1 = e.p.x + r * std::cos(a1), y1 = e.p.y + r * std::sin(a1);
    if (top) {
      // The arc's bounding box, from its end points and the quadrant points it passes.
      extend(x0, y0);
      extend(x1, y1);
      for (int q = 0; q < 4; ++q) {
        const double angle = q * 90.0;
        const double from = std::fmod(std::fmod(e.startAngle, 360.0) + 360.0, 360.0);
        double offset = std::fmod(angle - from + 360.0, 360.0);
        if (offset <= sweep) extend(e.p.x + r * std::cos(angle * kPi / 180), e.p.y + r * std::sin(angle * kPi / 180));
      }
    }
    // Counter-clockwise in the drawing stays counter-clockwise on screen: sweep flag 0.
    out += "<path d=\"M" + number(x0) + " " + number(-y0) + " A" + number(r) + " " + number(r) +
           " 0 " + (sweep > 180 ? "1" : "0") + " 0 " + number(x1) + " " + number(-y1) +
           "\" stroke=\"" + stroke + "\"/>\n";
  }

  void drawPolyline(const DxfEntity& e, const std::string& stroke, bool top, std::string& out) {
    if (e.vertices.empty()) return;
    out += "<path d=\"" + outline(e.vertices, e.closed, top) + "\" stroke=\"" + stroke + "\"/>\n";
  }

  // Ellipses, splines, solids and faces as their outlines; a hatch as its boundary, filled with
  // its holes left open.
  void drawKept(const DxfEntity& e, const std::string& colour, bool top, std::string& out) {
    std::string stroked, filled;
    for (const hostimpl::geometry::KeptOutline& o : hostimpl::geometry::keptOutlines(e.typeName, e.groups)) {
      std::string& d = o.filled ? filled : stroked;
      for (size_t i = 0; i < o.points.size(); ++i) {
        if (top) extend(o.points[i].x, o.points[i].y);
        d += (i == 0 ? (d.empty() ? "M" : " M") : " L") + number(o.points[i].x) + " " +
             number(-o.points[i].y);
      }
      if (o.closed) d += " Z";
    }
    if (!stroked.empty()) out += "<path d=\"" + stroked + "\" stroke=\"" + colour + "\"/>\n";
    if (!filled.empty())
      out += "<path d=\"" + filled + "\" stroke=\"" + colour + "\" fill=\"" + colour +
             "\" fill-rule=\"evenodd\"/>\n";
  }

  // Filled, holes left open whichever way their loops run.
  void drawRegion(const DxfEntity& e, const std::string& colour, bool top, std::string& out) {
    std::string d;
    for (const std::vector<Vertex>& loop : e.loops)
      if (!loop.empty()) {
        if (!d.empty()) d += ' ';
        d += outline(loop, true, top);
      }
    if (d.empty()) return;
    out += "<path d=\"" + d + "\" stroke=\"" + colour + "\" fill=\"" + colour +
           "\" fill-opacity=\"0.5\" fill-rule=\"evenodd\"/>\n";
  }

  // The path data of a chain of lines and arcs (as in a lightweight polyline).
  std::string outline(const std::vector<Vertex>& vertices, bool closed, bool top) {
    const size_t n = vertices.size();
    std::string d = "M" + number(vertices[0].x) + " " + number(-vertices[0].y);
    const size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
      const Vertex& a = vertices[i];
      const Vertex& b = vertices[(i + 1) % n];
      if (top) extend(a.x, a.y);
      if (a.bulge == 0 || !std::isfinite(a.bulge)) {
        d += " L" + number(b.x) + " " + number(-b.y);
        continue;
      }
      // bulge = tan(included angle / 4); radius from the chord.
      const double chord = std::hypot(b.x - a.x, b.y - a.y);
      const double bulge = std::abs(a.bulge);
      const double radius = chord * (1 + bulge * bulge) / (4 * bulge);
      d += " A" + number(radius) + " " + number(radius) + " 0 " + (bulge > 1 ? "1" : "0") + " " +
           (a.bulge > 0 ? "0" : "1") + " " + number(b.x) + " " + number(-b.y);
      if (top) {
        // The arc's middle point keeps the picture's extents honest for bulging segments.
        const double mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
        const double sagitta = a.bulge * chord / 2;
        if (chord > 0) extend(mx + sagitta * (b.y - a.y) / chord, my - sagitta * (b.x - a.x) / chord);
      }
    }
    if (top) extend(vertices[n - 1].x, vertices[n - 1].y);
    if (closed) d += " Z";
    return d;
  }

  void drawText(const DxfEntity& e, const std::string& fill, bool top, std::string& out) {
    const std::string shown = displayText(text::gbkToUtf8(e.text, true));
    if (shown.empty()) return;
    // Aligned texts sit at their alignment point; left-aligned ones at their insertion point.
    const bool aligned = e.alignment.horizontal != 0 || e.alignment.vertical != 0;
    const Point at = (aligned && e.hasAlignmentPoint) ? e.q : e.p;
    const double height = e.height > 0 ? e.height : 2.5;
    const char* anchor = "start";
    switch (e.alignment.horizontal) {
      case 1: case 4: anchor = "middle"; break;
      case 2: anchor = "end"; break;
      default: break;
    }
    const char* baseline = "alphabetic";
    if (e.alignment.horizontal == 4 || e.alignment.vertical == 2) baseline = "central";
    else if (e.alignment.vertical == 3) baseline = "hanging";
    else if (e.alignment.vertical == 1) baseline = "text-after-edge";
    if (top) {
      const double length = height * 0.5 * static_cast<double>(e.text.size());
      extend(at.x, at.y);
      extend(at.x + length * std::cos(e.rotation * kPi / 180), at.y + length * std::sin(e.rotation * kPi / 180) + height);
    }
    out += "<text transform=\"translate(" + number(at.x) + " " + number(-at.y) + ")";
    if (e.rotation != 0) out += " rotate(" + number(-e.rotation) + ")";
    if (e.widthFactor != 1 && e.widthFactor > 0) out += " scale(" + number(e.widthFactor) + " 1)";
    out += "\" font-size=\"" + number(height) + "\" text-anchor=\"" + anchor +
           "\" dominant-baseline=\"" + baseline + "\" fill=\"" + fill + "\" stroke=\"none\">" +
           xmlEscape(shown) + "</text>\n";
  }

  void drawMText(const DxfEntity& e, const std::string& fill, bool top, std::string& out) {
    const std::vector<std::string> lines = displayLines(text::gbkToUtf8(e.text, true));
    if (lines.empty()) return;
    const double height = e.height > 0 ? e.height : 2.5;
    const double lineStep = height * 5.0 / 3.0;
    const int column = (e.attachment - 1) % 3;  // 0 left, 1 centre, 2 right
    const int row = (e.attachment - 1) / 3;     // 0 top, 1 middle, 2 bottom
    const char* anchor = column == 0 ? "start" : column == 1 ? "middle" : "end";
    const double block = lineStep * static_cast<double>(lines.size() - 1) + height;
    // Baseline of the first line, below the attachment point.
    const double firstBaseline = row == 0 ? height : row == 1 ? height - block / 2 : height - block;
    if (top) {
      size_t longest = 0;
      for (const std::string& line : lines) longest = std::max(longest, line.size());
      const double width = std::max(e.width, height * 0.5 * static_cast<double>(longest));
      const double topY = e.p.y + (row == 0 ? 0 : row == 1 ? block / 2 : block);
      extend(e.p.x - (column == 0 ? 0 : column == 1 ? width / 2 : width), topY - block);
      extend(e.p.x + (column == 2 ? 0 : column == 1 ? width / 2 : width), topY);
    }
    out += "<text transform=\"translate(" + number(e.p.x) + " " + number(-e.p.y) + ")";
    if (e.rotation != 0) out += " rotate(" + number(-e.rotation) + ")";
    out += "\" font-size=\"" + number(height) + "\" text-anchor=\"" + anchor + "\" fill=\"" +
           fill + "\" stroke=\"none\">";
    for (size_t i = 0; i < lines.size(); ++i)
      out += "<tspan x=\"0\" y=\"" + number(firstBaseline + lineStep * static_cast<double>(i)) +
             "\">" + xmlEscape(lines[i]) + "</tspan>";
    out += "</text>\n";
  }

  // A dimension is drawn by its block (group 2), which lies in the drawing's own coordinates.
  void drawDimension(const DxfEntity& e, const Context& context, std::string& out) {
    DxfEntity reference = e;
    reference.kind = EntityKind::Insert;
    reference.p = {};
    for (const auto& [code, value] : e.groups)
      if (code == 2) reference.block = value;
    if (!reference.block.empty()) drawInsert(reference, context, out);
  }

  void drawInsert(const DxfEntity& e, const Context& context, std::string& out) {
    const std::string& layer = effectiveLayer(e, context);
    const auto found = blocks_.find(nameKey(e.block));
    // Nesting goes as deep as the stack allows; a block inside itself is not drawn again.
    const bool cycle = found != blocks_.end() && open_.count(found->second) > 0;
    if (found != blocks_.end() && !cycle && hostimpl::stackHasRoom() &&
        expanded_ < kMaxExpandedEntities) {
      const DxfBlockDefinition& block = *found->second;
      open_.insert(&block);
      Context inner;
      inner.layer = layer;
      inner.colour = resolvedColour(e, context);
      inner.depth = context.depth + 1;
      // The group is written straight into the output and taken back if nothing in it shows.
      const size_t groupStart = out.size();
      out += "<g transform=\"translate(" + number(e.p.x) + " " + number(-e.p.y) + ")";
      if (e.rotation != 0) out += " rotate(" + number(-e.rotation) + ")";
      if (e.scale.x != 1 || e.scale.y != 1)
        out += " scale(" + number(e.scale.x) + " " + number(e.scale.y) + ")";
      if (block.block.base.x != 0 || block.block.base.y != 0)
        out += " translate(" + number(-block.block.base.x) + " " + number(block.block.base.y) + ")";
      out += "\">\n";
      const size_t contentStart = out.size();
      for (const DxfEntity& child : block.entities) {
        if (++expanded_ > kMaxExpandedEntities) break;
        drawEntity(child, inner, out);
      }
      open_.erase(&block);
      if (out.size() == contentStart) {
        out.resize(groupStart);
      } else {
        out += "</g>\n";
        if (context.depth == 0) extendByBlock(e, block);
      }
    }
    // Attributes are placed in the drawing's own coordinates.
    for (const DxfEntity& attribute : e.attributes) drawEntity(attribute, context, out);
  }

  // Extents of a reference: the corners of the block's content box, transformed.
  void extendByBlock(const DxfEntity& e, const DxfBlockDefinition& block) {
    double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
    auto add = [&](double x, double y) {
      lo[0] = std::min(lo[0], x), lo[1] = std::min(lo[1], y);
      hi[0] = std::max(hi[0], x), hi[1] = std::max(hi[1], y);
    };
    for (const DxfEntity& child : block.entities) {
      add(child.p.x - child.radius, child.p.y - child.radius);
      add(child.p.x + child.radius, child.p.y + child.radius);
      if (child.kind == EntityKind::Line) add(child.q.x, child.q.y);
      for (const Vertex& v : child.vertices) add(v.x, v.y);
    }
    if (lo[0] > hi[0]) return;
    const double angle = e.rotation * kPi / 180;
    for (const double bx : {lo[0], hi[0]})
      for (const double by : {lo[1], hi[1]}) {
        const double x = (bx - block.block.base.x) * e.scale.x;
        const double y = (by - block.block.base.y) * e.scale.y;
        extend(e.p.x + x * std::cos(angle) - y * std::sin(angle),
               e.p.y + x * std::sin(angle) + y * std::cos(angle));
      }
  }

  void extend(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    minX_ = std::min(minX_, x), maxX_ = std::max(maxX_, x);
    minY_ = std::min(minY_, y), maxY_ = std::max(maxY_, y);
  }

  std::map<std::string, LayerLook> layers_;
  std::map<std::string, const DxfBlockDefinition*> blocks_;
  double minX_ = 1e300, minY_ = 1e300, maxX_ = -1e300, maxY_ = -1e300;
  long expanded_ = 0;  // entities drawn from block definitions so far
  std::unordered_set<const DxfBlockDefinition*> open_;  // blocks being drawn
};

}  // namespace

std::string xmlEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (c < 0x20 && c != '\t') break;
        // U+FFFE and U+FFFF are not characters in XML.
        if (c == 0xEF && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(utf8[i + 2]) & 0xFE) == 0xBE) {
          i += 2;
          break;
        }
        out += static_cast<char>(c);
    }
  }
  return out;
}

unsigned colourIndexToRgb(int index) {
  static const unsigned kBasic[] = {0xFFFFFF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                    0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
  static const unsigned kGreys[] = {0x333333, 0x5B5B5B, 0x848484, 0xADADAD, 0xD6D6D6, 0xFFFFFF};
  if (index <= 0 || index >= 256) return 0xFFFFFF;
  if (index < 10) return kBasic[index];
  if (index >= 250) return kGreys[index - 250];
  // 10..249: 24 hues 15 degrees apart; in each, five brightnesses, each at full and half
  // saturation.
  static const double kValues[] = {1.0, 0.8, 0.6, 0.5, 0.3};
  const int hueStep = (index - 10) / 10, shade = (index - 10) % 10;
  const double value = kValues[shade / 2], saturation = shade % 2 ? 0.5 : 1.0;
  const double hue = hueStep * 15.0 / 60.0;
  const int sector = static_cast<int>(hue);
  const double f = hue - sector;
  const double p = value * (1 - saturation), q = value * (1 - saturation * f),
               t = value * (1 - saturation * (1 - f));
  double r = 0, g = 0, b = 0;
  switch (sector % 6) {
    case 0: r = value, g = t, b = p; break;
    case 1: r = q, g = value, b = p; break;
    case 2: r = p, g = value, b = t; break;
    case 3: r = p, g = q, b = value; break;
    case 4: r = t, g = p, b = value; break;
    default: r = value, g = p, b = q; break;
  }
  auto byte = [](double c) { return static_cast<unsigned>(c * 255); };
  return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

const char* gradeSign(int gradeClass) {
  switch (gradeClass) {
    case 0: return "\xCE\xA6";                  // Φ: plain round bars
    case 1: return "\xCE\xA6\xCC\xB6";          // Φ̶: the sign with a bar across
    case 2: return "\xCE\xA6\xCC\xB8";          // Φ̸: the sign struck through
    default: return "\xCE\xA6\xE1\xB4\xBF";    // Φᴿ: the sign with an R
  }
}

std::string displayText(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] != '%' || i + 2 >= utf8.size() || utf8[i + 1] != '%') {
      out += utf8[i];
      continue;
    }
    const char code = utf8[i + 2];
    switch (code) {
      case 'c': case 'C': out += "\xE2\x8C\x80"; i += 2; continue;  // ⌀
      case 'd': case 'D': out += "\xC2\xB0"; i += 2; continue;      // °
      case 'p': case 'P': out += "\xC2\xB1"; i += 2; continue;      // ±
      case '%': out += '%'; i += 2; continue;
      case 'u': case 'U': case 'o': case 'O': case 'k': case 'K': i += 2; continue;
      default: break;
    }
    if (i + 4 < utf8.size() && std::isdigit(static_cast<unsigned char>(code)) &&
        std::isdigit(static_cast<unsigned char>(utf8[i + 3])) &&
        std::isdigit(static_cast<unsigned char>(utf8[i + 4]))) {
      const int value = (code - '0') * 100 + (utf8[i + 3] - '0') * 10 + (utf8[i + 4] - '0');
      // The structural fonts draw the four steel grades (130..133, and 180..183 in other
      // fonts) as variants of the diameter sign, and 140/141 as the small brackets around the
      // R of a cold-rolled grade. Unicode has no such glyphs: each grade is the sign with a
      // mark of its own (see gradeSign), and the brackets are left out.
      if ((value >= 130 && value <= 133) || (value >= 180 && value <= 183)) out += gradeSign(value % 10);
      else if (value == 140 || value == 141) {
      } else if (value >= 32 && value < 127) out += static_cast<char>(value);
      else out += "?";
      i += 4;
      continue;
    }
    out += '%';
  }
  return out;
}

std::vector<std::string> displayLines(const std::string& utf8) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (c == '{' || c == '}') continue;
    if (c != '\\' || i + 1 >= utf8.size()) {
      lines.back() += c;
      continue;
    }
    const char code = utf8[++i];
    switch (code) {
      case 'P': case 'n': lines.emplace_back(); break;
      case '~': lines.back() += ' '; break;
      case '\\': case '{': case '}': lines.back() += code; break;
      case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': break;
      case 'S': {  // stacked text up to ';': a^b, a/b and a#b show as a/b
        const size_t end = utf8.find(';', i + 1);
        std::string stacked = utf8.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
        for (char& s : stacked)
          if (s == '^' || s == '#') s = '/';
        lines.back() += stacked;
        i = end == std::string::npos ? utf8.size() : end;
        break;
      }
      case 'A': case 'C': case 'c': case 'F': case 'f': case 'H': case 'h': case 'Q': case 'q':
      case 'T': case 't': case 'W': case 'w': case 'p': {
        const size_t end = utf8.find(';', i + 1);
        i = end == std::string::npos ? utf8.size() : end;
        break;
      }
      default: lines.back() += code; break;
    }
  }
  for (std::string& line : lines) line = displayText(line);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

std::string writeSvg(const DxfDrawing& drawing, const DxfEntitySource& modelSpace) {
  return SvgWriter(drawing).write(modelSpace);
}

std::string writeSvg(const DxfDrawing& drawing) {
  return writeSvg(drawing, [&](const DxfEntityVisitor& visit) {
    for (const DxfEntity& e : drawing.entities) visit(e);
  });
}

}  // namespace drawhost::dxf
