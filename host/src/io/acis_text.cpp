// Writing and reading a region's modeler text; see acis_text.h for the layout.
//
// Writing numbers every record before it writes any, so that each record can point forward:
// the body, lump and shell come first, then per face its record, its plane and per loop the
// loop record followed by, edge by edge, the coedge, the edge, the start vertex, its point and
// the curve. Reading splits the text into records (a "-N" in front of a record gives its index),
// then walks body → lumps → shells → faces → loops → coedge rings, every step bounded by the
// number of records so that a cycle in the pointers cannot hang it.
#include "io/acis_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace drawhost::dxf {

namespace {

constexpr double kPi = 3.14159265358979323846;

void appendNumber(std::string& out, double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value == 0 ? 0.0 : value);
  out.push_back(' ');
  out.append(buffer, result.ptr);
}

void appendRef(std::string& out, long index) {
  out += " $";
  out += std::to_string(index);
}

// The start of every record in the format's release 7: no attribute, no history, no pattern.
std::string recordStart(const char* type) { return std::string(type) + " $-1 -1 $-1"; }

double signedArea(const RegionLoop& loop) {
  double area = 0;
  for (size_t i = 0; i < loop.size(); ++i) {
    const Vertex& a = loop[i];
    const Vertex& b = loop[(i + 1) % loop.size()];
    area += (a.x - loop[0].x) * (b.y - loop[0].y) - (b.x - loop[0].x) * (a.y - loop[0].y);
    if (a.bulge != 0) {
      const double chord2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
      const double sweep = 4 * std::atan(a.bulge);
      const double radius2 = chord2 * (1 + a.bulge * a.bulge) * (1 + a.bulge * a.bulge) /
                             (16 * a.bulge * a.bulge);
      area += radius2 * (sweep - std::sin(sweep));  // twice the segment beyond the chord
    }
  }
  return area / 2;
}

// Whether p lies inside the loop's chords (arcs count as their chords: good enough to tell
// which of several outer boundaries a hole belongs to).
bool chordsContain(const RegionLoop& loop, double px, double py) {
  bool inside = false;
  for (size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
    const Vertex& a = loop[i];
    const Vertex& b = loop[j];
    if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x)
      inside = !inside;
  }
  return inside;
}

RegionLoop withoutRepeats(const RegionLoop& loop) {
  RegionLoop out;
  for (const Vertex& v : loop) {
    if (out.empty() || v.x != out.back().x || v.y != out.back().y) out.push_back(v);
    else out.back().bulge = v.bulge;  // the edge of no length goes; the one after it stays
  }
  while (out.size() > 1 && out.back().x == out.front().x && out.back().y == out.front().y)
    out.pop_back();
  return out;
}

// Faces: each outer loop with the holes that fall in it.
std::vector<std::vector<RegionLoop>> groupIntoFaces(const std::vector<RegionLoop>& loops) {
  std::vector<std::vector<RegionLoop>> faces;
  std::vector<double> outerAreas;
  std::vector<RegionLoop> holes;
  for (const RegionLoop& raw : loops) {
    RegionLoop loop = withoutRepeats(raw);
    if (loop.size() < 2) continue;
    const double area = signedArea(loop);
    if (area < 0) {
      holes.push_back(std::move(loop));
    } else {
      faces.push_back({std::move(loop)});
      outerAreas.push_back(area);
    }
  }
  for (RegionLoop& hole : holes) {
    if (faces.empty()) {  // no outer boundary at all: keep the loop rather than lose it
      faces.push_back({std::move(hole)});
      outerAreas.push_back(0);
      continue;
    }
    size_t best = 0;
    bool found = false;
    for (size_t f = 0; f < faces.size(); ++f) {
      if (!chordsContain(faces[f][0], hole[0].x, hole[0].y)) continue;
      if (!found || outerAreas[f] < outerAreas[best]) best = f;
      found = true;
    }
    faces[best].push_back(std::move(hole));
  }
  return faces;
}

struct ArcGeometry {
  double cx, cy, sweep;  // sweep signed: positive counter-clockwise
};

ArcGeometry arcOf(const Vertex& a, const Vertex& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double k = (1 - a.bulge * a.bulge) / (4 * a.bulge);
  return {a.x + dx / 2 - dy * k, a.y + dy / 2 + dx * k, 4 * std::atan(a.bulge)};
}

void writeEdgeRecords(std::vector<std::string>& out, const RegionLoop& loop, long loopIndex,
                      long first, double z) {
  // Per edge five records: coedge, edge, vertex, point, curve.
  const long n = static_cast<long>(loop.size());
  auto at = [&](long edge, long offset) { return first + 5 * ((edge + n) % n) + offset; };
  for (long i = 0; i < n; ++i) {
    const Vertex& a = loop[i];
    const Vertex& b = loop[(i + 1) % n];
    std::string coedge = recordStart("coedge");
    appendRef(coedge, at(i + 1, 0));
    appendRef(coedge, at(i - 1, 0));
    coedge += " $-1";
    appendRef(coedge, at(i, 1));
    coedge += " forward";
    appendRef(coedge, loopIndex);
    coedge += " $-1 #";

    std::string curve;
    double endParam = 0;
    if (a.bulge == 0) {
      const double length = std::hypot(b.x - a.x, b.y - a.y);
      curve = recordStart("straight-curve");
      for (double v : {a.x, a.y, z, (b.x - a.x) / length, (b.y - a.y) / length, 0.0})
        appendNumber(curve, v);
      endParam = length;
    } else {
      const ArcGeometry arc = arcOf(a, b);
      curve = recordStart("ellipse-curve");
      for (double v : {arc.cx, arc.cy, z, 0.0, 0.0, arc.sweep > 0 ? 1.0 : -1.0, a.x - arc.cx,
                       a.y - arc.cy, 0.0, 1.0})
        appendNumber(curve, v);
      endParam = std::fabs(arc.sweep);
    }
    curve += " I I #";

    std::string edge = recordStart("edge");
    appendRef(edge, at(i, 2));
    appendNumber(edge, 0);
    appendRef(edge, at(i + 1, 2));
    appendNumber(edge, endParam);
    appendRef(edge, at(i, 0));
    appendRef(edge, at(i, 4));
    edge += " forward @7 unknown #";

    std::string vertex = recordStart("vertex");
    appendRef(vertex, at(i, 1));
    appendRef(vertex, at(i, 3));
    vertex += " #";

    std::string point = recordStart("point");
    for (double v : {a.x, a.y, z}) appendNumber(point, v);
    point += " #";

    for (std::string* record : {&coedge, &edge, &vertex, &point, &curve})
      out.push_back(std::move(*record));
  }
}

}  // namespace

std::vector<std::string> writeRegionText(const RegionShape& shape) {
  const std::vector<std::vector<RegionLoop>> faces = groupIntoFaces(shape.loops);
  std::vector<std::string> out = {
      "700 0 1 0 ",
      "@8 drawhost @12 ACIS 7.0 NT @24 Thu Jan 01 00:00:00 1970 ",
      "1 9.9999999999999995e-07 1e-10 ",
  };
  // Record indices: body 0, lump 1, shell 2, then faces in order.
  std::vector<long> faceIndex;
  long next = 3;
  for (const auto& face : faces) {
    faceIndex.push_back(next);
    next += 2;  // face, plane
    for (const RegionLoop& loop : face) next += 1 + 5 * static_cast<long>(loop.size());
  }
  out.push_back(recordStart("body") + " $1 $-1 $-1 #");
  out.push_back(recordStart("lump") + " $-1 $2 $0 #");
  out.push_back(recordStart("shell") + " $-1 $-1" +
                (faces.empty() ? std::string(" $-1") : " $" + std::to_string(faceIndex[0])) +
                " $-1 $1 #");
  for (size_t f = 0; f < faces.size(); ++f) {
    const long self = faceIndex[f];
    std::string face = recordStart("face");
    if (f + 1 < faces.size()) appendRef(face, faceIndex[f + 1]);
    else face += " $-1";
    appendRef(face, self + 2);
    face += " $2 $-1";
    appendRef(face, self + 1);
    face += " forward double out #";
    out.push_back(std::move(face));

    std::string plane = recordStart("plane-surface");
    const Vertex& origin = faces[f][0][0];
    for (double v : {origin.x, origin.y, shape.elevation, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0})
      appendNumber(plane, v);
    plane += " forward_v I I I I #";
    out.push_back(std::move(plane));

    long loopIndex = self + 2;
    for (size_t l = 0; l < faces[f].size(); ++l) {
      const RegionLoop& loop = faces[f][l];
      const long nextLoop = loopIndex + 1 + 5 * static_cast<long>(loop.size());
      std::string record = recordStart("loop");
      if (l + 1 < faces[f].size()) appendRef(record, nextLoop);
      else record += " $-1";
      appendRef(record, loopIndex + 1);
      appendRef(record, self);
      record += " #";
      out.push_back(std::move(record));
      writeEdgeRecords(out, loop, loopIndex, loopIndex + 1, shape.elevation);
      loopIndex = nextLoop;
    }
  }
  out.push_back("End-of-ACIS-data ");
  return out;
}

// ---- Reading ---------------------------------------------------------------------------------

namespace {

struct Record {
  std::string_view type;
  std::vector<std::string_view> fields;  // after the type, without the final "#"
};

// Splits into tokens; a "@N" token is followed by a string of N characters that may hold spaces.
class Tokens {
 public:
  explicit Tokens(std::string_view text) : text_(text) {}
  bool next(std::string_view& token) {
    while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
    if (at_ >= text_.size()) return false;
    const size_t start = at_;
    while (at_ < text_.size() && !isSpace(text_[at_])) ++at_;
    token = text_.substr(start, at_ - start);
    if (token.size() > 1 && token[0] == '@') {
      size_t length = 0;
      const auto [end, ec] = std::from_chars(token.data() + 1, token.data() + token.size(), length);
      if (ec != std::errc() || end != token.data() + token.size()) return true;
      const size_t from = std::min(at_ + 1, text_.size());
      const size_t count = std::min(length, text_.size() - from);
      token = text_.substr(from, count);
      at_ = from + count;
    }
    return true;
  }

 private:
  static bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
  std::string_view text_;
  size_t at_ = 0;
};

bool toNumber(std::string_view token, double& value) {
  if (!token.empty() && token[0] == '+') token.remove_prefix(1);
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  return ec == std::errc() && end == token.data() + token.size() && std::isfinite(value);
}

struct Vec {
  double x = 0, y = 0, z = 0;
};

class RegionReader {
 public:
  explicit RegionReader(std::vector<Record> records) : records_(std::move(records)) {}
  bool read(RegionShape& shape, std::string& why);

 private:
  bool fail(std::string reason) {
    if (why_.empty()) why_ = std::move(reason);
    return false;
  }
  // The record a field points at: nullopt for "$-1"; failure for anything else invalid.
  bool ref(const Record& r, size_t field, std::optional<size_t>& index);
  const Record* typed(std::optional<size_t> index, std::string_view type);
  bool number(const Record& r, size_t field, double& value);
  bool vec(const Record& r, size_t field, Vec& v);
  // Fields after the common start: attribute, history and, but for transforms, pattern.
  std::string_view word(const Record& r, size_t field) {
    const size_t at = (r.type == "transform" ? 2 : 3) + field;
    return at < r.fields.size() ? r.fields[at] : std::string_view();
  }
  bool readTransform(std::optional<size_t> index);
  Vec place(Vec p) const;
  Vec turn(Vec d) const;
  bool readFace(const Record& face, RegionShape& shape);
  bool readLoop(const Record& loop, RegionLoop& out);
  bool readCoedge(const Record& coedge, RegionLoop& out);
  bool pointOf(std::optional<size_t> vertex, Vec& p);
  bool atElevation(const Vec& p);

  std::vector<Record> records_;
  std::string why_;
  double rows_[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  Vec shift_;
  double scale_ = 1;
  std::optional<double> elevation_;
  double size_ = 1;  // the largest coordinate seen, for the height tolerance
};

bool RegionReader::ref(const Record& r, size_t field, std::optional<size_t>& index) {
  const std::string_view token = word(r, field);
  long value = 0;
  if (token.size() < 2 || token[0] != '$')
    return fail("a " + std::string(r.type) + " record is missing a pointer");
  const auto [end, ec] = std::from_chars(token.data() + 1, token.data() + token.size(), value);
  if (ec != std::errc() || end != token.data() + token.size() || value < -1 ||
      value >= static_cast<long>(records_.size()))
    return fail("a " + std::string(r.type) + " record points outside the data");
  index = value < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(value));
  return true;
}

const Record* RegionReader::typed(std::optional<size_t> index, std::string_view type) {
  if (!index) {
    fail("a " + std::string(type) + " is missing");
    return nullptr;
  }
  const Record& r = records_[*index];
  if (r.type != type) {
    fail("expected a " + std::string(type) + " record, found " + std::string(r.type));
    return nullptr;
  }
  return &r;
}

bool RegionReader::number(const Record& r, size_t field, double& value) {
  if (!toNumber(word(r, field), value))
    return fail("a " + std::string(r.type) + " record has a bad number");
  return true;
}

bool RegionReader::vec(const Record& r, size_t field, Vec& v) {
  return number(r, field, v.x) && number(r, field + 1, v.y) && number(r, field + 2, v.z);
}

// Body transforms map a point p to scale · (p · rows) + shift.
bool RegionReader::readTransform(std::optional<size_t> index) {
  if (!index) return true;
  const Record* t = typed(index, "transform");
  if (t == nullptr) return false;
  for (size_t i = 0; i < 9; ++i)
    if (!number(*t, i, rows_[i / 3][i % 3])) return false;
  Vec shift;
  if (!vec(*t, 9, shift) || !number(*t, 12, scale_)) return false;
  shift_ = shift;
  return true;
}

Vec RegionReader::turn(Vec d) const {
  return {scale_ * (d.x * rows_[0][0] + d.y * rows_[1][0] + d.z * rows_[2][0]),
          scale_ * (d.x * rows_[0][1] + d.y * rows_[1][1] + d.z * rows_[2][1]),
          scale_ * (d.x * rows_[0][2] + d.y * rows_[1][2] + d.z * rows_[2][2])};
}

Vec RegionReader::place(Vec p) const {
  const Vec d = turn(p);
  return {d.x + shift_.x, d.y + shift_.y, d.z + shift_.z};
}

bool RegionReader::atElevation(const Vec& p) {
  size_ = std::max({size_, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
  if (!elevation_) elevation_ = p.z;
  if (std::fabs(p.z - *elevation_) > 1e-9 * size_)
    return fail("the region does not lie in a plane parallel to XY");
  return true;
}

bool RegionReader::pointOf(std::optional<size_t> vertexIndex, Vec& p) {
  const Record* vertex = typed(vertexIndex, "vertex");
  if (vertex == nullptr) return false;
  std::optional<size_t> pointIndex;
  if (!ref(*vertex, 1, pointIndex)) return false;
  const Record* point = typed(pointIndex, "point");
  if (point == nullptr || !vec(*point, 0, p)) return false;
  p = place(p);
  return atElevation(p);
}

bool RegionReader::readCoedge(const Record& coedge, RegionLoop& out) {
  std::optional<size_t> edgeIndex;
  if (!ref(coedge, 3, edgeIndex)) return false;
  const Record* edge = typed(edgeIndex, "edge");
  if (edge == nullptr) return false;
  std::optional<size_t> startVertex, endVertex, curveIndex;
  if (!ref(*edge, 0, startVertex) || !ref(*edge, 2, endVertex) || !ref(*edge, 5, curveIndex))
    return false;
  const bool forward = (word(coedge, 4) == "reversed") == (word(*edge, 6) == "reversed");
  Vec start, end;
  if (!pointOf(forward ? startVertex : endVertex, start) ||
      !pointOf(forward ? endVertex : startVertex, end))
    return false;
  if (!curveIndex) return fail("an edge has no curve");
  const Record& curve = records_[*curveIndex];
  if (curve.type == "straight-curve") {
    out.push_back({start.x, start.y, 0});
    return true;
  }
  if (curve.type != "ellipse-curve") return fail("an edge lies on a curve of kind " + std::string(curve.type));
  Vec centre, normal, major;
  double ratio = 0;
  if (!vec(curve, 0, centre) || !vec(curve, 3, normal) || !vec(curve, 6, major) ||
      !number(curve, 9, ratio))
    return false;
  centre = place(centre);
  normal = turn(normal);
  major = turn(major);
  const double length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
  if (std::fabs(ratio - 1) > 1e-9 || length == 0 || std::fabs(normal.z) < length * (1 - 1e-9))
    return fail("an edge lies on an ellipse or on a circle not parallel to XY");
  // Counter-clockwise seen from +z when the curve's turn and the walk agree.
  const bool counterClockwise = (normal.z > 0) == forward;
  const double ax = start.x - centre.x, ay = start.y - centre.y;
  const double bx = end.x - centre.x, by = end.y - centre.y;
  double sweep = std::atan2(ax * by - ay * bx, ax * bx + ay * by);
  if (!counterClockwise) sweep = -sweep;
  if (sweep <= 0) sweep += 2 * kPi;
  if (startVertex == endVertex) sweep = 2 * kPi;  // a whole circle on one vertex
  const double sign = counterClockwise ? 1 : -1;
  if (sweep >= 2 * kPi) {  // two half circles, so that every edge has two ends
    out.push_back({start.x, start.y, sign});
    out.push_back({2 * centre.x - start.x, 2 * centre.y - start.y, sign});
    return true;
  }
  out.push_back({start.x, start.y, sign * std::tan(sweep / 4)});
  return true;
}

bool RegionReader::readLoop(const Record& loop, RegionLoop& out) {
  std::optional<size_t> first;
  if (!ref(loop, 1, first)) return false;
  std::optional<size_t> at = first;
  for (size_t steps = 0; steps <= records_.size(); ++steps) {
    const Record* coedge = typed(at, "coedge");
    if (coedge == nullptr || !readCoedge(*coedge, out) || !ref(*coedge, 0, at)) return false;
    if (at == first) return true;
  }
  return fail("a loop's coedges do not close");
}

void reverseLoop(RegionLoop& loop) {
  // Corner i, with the edge to corner i+1, becomes the edge from i+1 back to i.
  const size_t n = loop.size();
  RegionLoop reversed;
  reversed.reserve(n);
  for (size_t k = 0; k < n; ++k) {
    const size_t from = (n - k) % n;
    const size_t edge = (from + n - 1) % n;
    reversed.push_back({loop[from].x, loop[from].y, -loop[edge].bulge});
  }
  loop = std::move(reversed);
}

bool RegionReader::readFace(const Record& face, RegionShape& shape) {
  std::optional<size_t> loopIndex, surfaceIndex;
  if (!ref(face, 1, loopIndex) || !ref(face, 4, surfaceIndex)) return false;
  const Record* surface = typed(surfaceIndex, "plane-surface");
  if (surface == nullptr) return false;
  Vec root, normal;
  if (!vec(*surface, 0, root) || !vec(*surface, 3, normal)) return false;
  normal = turn(normal);
  const double length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
  if (length == 0 || std::fabs(normal.z) < length * (1 - 1e-9))
    return fail("a face is not parallel to XY");
  std::vector<RegionLoop> loops;
  for (size_t steps = 0; loopIndex; ++steps) {
    const Record* loop = typed(loopIndex, "loop");
    if (loop == nullptr || steps > records_.size()) return fail("the loops of a face do not end");
    loops.emplace_back();
    if (!readLoop(*loop, loops.back()) || !ref(*loop, 0, loopIndex)) return false;
  }
  if (loops.empty()) return fail("a face has no loop");
  // Seen from +z, the loop that encloses the most is the outer one.
  std::vector<double> areas;
  for (const RegionLoop& loop : loops) areas.push_back(signedArea(loop));
  size_t outer = 0;
  for (size_t i = 1; i < loops.size(); ++i)
    if (std::fabs(areas[i]) > std::fabs(areas[outer])) outer = i;
  for (size_t i = 0; i < loops.size(); ++i)
    if ((areas[i] < 0) == (i == outer)) reverseLoop(loops[i]);
  for (RegionLoop& loop : loops) shape.loops.push_back(std::move(loop));
  return true;
}

bool RegionReader::read(RegionShape& shape, std::string& why) {
  shape = {};
  const Record* body = nullptr;
  for (const Record& r : records_)
    if (r.type == "body") {
      body = &r;
      break;
    }
  std::optional<size_t> lumpIndex, transformIndex;
  bool ok = body != nullptr ? true : fail("no body");
  ok = ok && ref(*body, 0, lumpIndex) && ref(*body, 2, transformIndex) &&
       readTransform(transformIndex);
  for (size_t lumps = 0; ok && lumpIndex; ++lumps) {
    const Record* lump = typed(lumpIndex, "lump");
    std::optional<size_t> shellIndex;
    ok = lump != nullptr && lumps <= records_.size() && ref(*lump, 1, shellIndex) &&
         ref(*lump, 0, lumpIndex);
    for (size_t shells = 0; ok && shellIndex; ++shells) {
      const Record* shell = typed(shellIndex, "shell");
      std::optional<size_t> faceIndex;
      ok = shell != nullptr && shells <= records_.size() && ref(*shell, 2, faceIndex) &&
           ref(*shell, 0, shellIndex);
      for (size_t faces = 0; ok && faceIndex; ++faces) {
        const Record* face = typed(faceIndex, "face");
        ok = face != nullptr && faces <= records_.size() && readFace(*face, shape) &&
             ref(*face, 0, faceIndex);
      }
    }
  }
  if (ok && shape.loops.empty()) ok = fail("the body has no face");
  if (!ok) {
    why = why_.empty() ? "the pointers between records do not form a region" : why_;
    shape = {};
    return false;
  }
  shape.elevation = elevation_.value_or(0);
  return true;
}

}  // namespace

bool readRegionText(const std::vector<std::string>& lines, RegionShape& shape, std::string& why) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  Tokens tokens(text);
  std::string_view token;
  double header[4];
  for (double& value : header)
    if (!tokens.next(token) || !toNumber(token, value)) {
      why = "the modeler data has no header";
      return false;
    }
  const double version = header[0];
  if (version < 700) {
    why = "modeler data of release " + std::to_string(static_cast<long>(version)) +
          " is older than the host reads";
    return false;
  }
  // Product, modeler version and date, then units and the two resolutions.
  size_t strings = 0;
  for (; strings < 3 && tokens.next(token); ++strings) {
  }
  double units;
  for (int i = 0; i < 3; ++i)
    if (strings < 3 || !tokens.next(token) || !toNumber(token, units)) {
      why = "the modeler data has no header";
      return false;
    }
  std::vector<Record> records;
  Record current;
  bool inRecord = false;
  while (tokens.next(token)) {
    if (!inRecord) {
      if (token.starts_with("End-of-")) break;
      if (token.size() > 1 && token[0] == '-' && std::isdigit(static_cast<unsigned char>(token[1])))
        continue;  // an explicit record index: records are numbered in order anyway
      current = Record{token, {}};
      inRecord = true;
    } else if (token == "#") {
      records.push_back(std::move(current));
      inRecord = false;
    } else {
      current.fields.push_back(token);
    }
  }
  RegionReader reader(std::move(records));
  return reader.read(shape, why);
}

namespace {
char mirror(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 33 || u > 126 ? c : static_cast<char>(159 - u);
}
}  // namespace

std::string encodeLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = mirror(c);
  return out;
}

// The mirror is its own inverse.
std::string decodeLine(std::string_view stored) { return encodeLine(stored); }

}  // namespace drawhost::dxf
