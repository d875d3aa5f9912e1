// The commands of KVShapewright on the cases in cases/*.case: each file
// holds a drawing, a script, the transcript it must print and the entities
// the saved drawing must hold afterwards, side by side:
//
//   # what the case shows
//   [drawing]            one entity a line, in drawing order:
//   line LAYER X,Y X,Y
//   arc LAYER CX,CY R FROM TO          degrees, counter-clockwise
//   circle LAYER CX,CY R
//   pline LAYER open|closed X,Y[,BULGE] ...
//   text LAYER X,Y TEXT
//   region LAYER AREA X,Y[,BULGE] ... [| X,Y ...]   only in [saved]: a region, its area and
//                                      loops, each from its first corner
//   [appends] N          optional: only N appends succeed (the host refuses the rest)
//   [script]             the input script, as drawhost reads it
//   [transcript]         the command line, line by line (the first empty line left out)
//   [saved]              what the saved drawing holds, in drawing order, as in [drawing]
//
// The saved drawing is written and read back through the drawing-file code,
// and every object the command opened must be closed again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "drawhost/host.h"
#include "drawhost/io.h"
#include "hostapi/hostapi.h"
#include "model_space.h"

namespace fs = std::filesystem;

namespace {

struct Case {
  std::string name;
  std::map<std::string, std::vector<std::string>> sections;
  int appends = -1;
};

Case readCase(const fs::path& path) {
  Case c;
  c.name = path.stem().string();
  std::ifstream in(path);
  std::string line, section;
  while (std::getline(in, line)) {
    if (line.rfind("#", 0) == 0 && section.empty()) continue;
    if (line.size() > 2 && line.front() == '[' && line.find(']') != std::string::npos) {
      section = line.substr(1, line.find(']') - 1);
      std::string rest = line.substr(line.find(']') + 1);
      if (section == "appends") c.appends = std::stoi(rest);
      c.sections[section];
      continue;
    }
    if (section == "drawing" || section == "saved") {
      if (line.empty() || line[0] == '#') continue;
    }
    c.sections[section].push_back(line);
  }
  // Trailing empty lines of a section are layout, not content.
  for (auto& [name, lines] : c.sections)
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return c;
}

AcGePoint3d point(const std::string& text) {
  double x = 0, y = 0;
  std::sscanf(text.c_str(), "%lf,%lf", &x, &y);
  return {x, y, 0};
}

AcDbObjectId layer(AcDbDatabase* db, const std::string& name) {
  AcDbLayerTable* table = nullptr;
  db->getSymbolTable(table, AcDb::kForWrite);
  AcDbObjectId id;
  if (table->getAt(name.c_str(), id) != AcDb::kOk) {
    auto* record = new AcDbLayerTableRecord;
    record->setName(name.c_str());
    table->add(id, record);
    record->close();
  }
  table->close();
  return id;
}

constexpr double kDegree = 3.14159265358979323846 / 180;

AcDbPolyline* polyline(std::istringstream& in) {
  std::string closed;
  in >> closed;
  auto* pl = new AcDbPolyline;
  unsigned index = 0;
  for (std::string corner; in >> corner; ++index) {
    double x = 0, y = 0, bulge = 0;
    std::sscanf(corner.c_str(), "%lf,%lf,%lf", &x, &y, &bulge);
    pl->addVertexAt(index, {x, y}, bulge);
  }
  pl->setClosed(closed == "closed");
  return pl;
}

AcDbEntity* entityOf(const std::string& kind, std::istringstream& in) {
  std::string a, b;
  if (kind == "line") {
    in >> a >> b;
    return new AcDbLine(point(a), point(b));
  }
  if (kind == "arc" || kind == "circle") {
    double radius = 0, from = 0, to = 0;
    in >> a >> radius >> from >> to;
    if (kind == "circle") return new AcDbCircle(point(a), radius);
    return new AcDbArc(point(a), radius, from * kDegree, to * kDegree);
  }
  if (kind == "pline") return polyline(in);
  in >> a;
  std::string text;
  std::getline(in >> std::ws, text);
  return new AcDbText(point(a), text.c_str(), AcDbObjectId(), 1.0);
}

void build(AcDbDatabase* db, const std::vector<std::string>& lines) {
  AcDbBlockTableRecord* space = nullptr;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    std::string kind, name;
    in >> kind >> name;
    AcDbObjectId layerId = layer(db, name);
    AcDbEntity* entity = entityOf(kind, in);
    entity->setLayer(layerId);
    acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite);
    space->appendAcDbEntity(entity);
    entity->close();
    space->close();
  }
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", std::fabs(v) < 1e-12 ? 0.0 : v);
  return text;
}

std::string describe(const AcGePoint3d& p) { return number(p.x) + "," + number(p.y); }

std::string describe(const AcDbEntity* e) {
  const std::string head = std::string(" ") + e->layer() + " ";
  if (auto* l = AcDbLine::cast(e))
    return "line" + head + describe(l->startPoint()) + " " + describe(l->endPoint());
  if (auto* a = AcDbArc::cast(e))
    return "arc" + head + describe(a->center()) + " " + number(a->radius()) + " " +
           number(a->startAngle() / kDegree) + " " + number(a->endAngle() / kDegree);
  if (auto* c = AcDbCircle::cast(e))
    return "circle" + head + describe(c->center()) + " " + number(c->radius());
  if (auto* pl = AcDbPolyline::cast(e)) {
    std::string out = "pline" + head + (pl->isClosed() ? "closed" : "open");
    for (unsigned i = 0; i < pl->numVerts(); ++i) {
      AcGePoint2d p;
      double bulge = 0;
      pl->getPointAt(i, p);
      pl->getBulgeAt(i, bulge);
      out += " " + number(p.x) + "," + number(p.y) + (bulge != 0 ? "," + number(bulge) : "");
    }
    return out;
  }
  if (auto* r = AcDbRegion::cast(e)) {
    double area = 0;
    r->getArea(area);
    std::string out = "region" + head + number(area);
    for (size_t l = 0; l < r->loops().size(); ++l) {
      if (l > 0) out += " |";
      for (const AcDbRegionVertex& v : r->loops()[l])
        out += " " + number(v.x) + "," + number(v.y) + (v.bulge != 0 ? "," + number(v.bulge) : "");
    }
    return out;
  }
  if (auto* t = AcDbText::cast(e)) return "text" + head + describe(t->position()) + " " + t->textString();
  return std::string("other") + head;
}

// What model space holds, in drawing order, in the form of [drawing].
std::vector<std::string> contents(AcDbDatabase* db) {
  std::vector<std::string> out;
  testfiles::forEachInModelSpace(db, [&](AcDbEntity* e) {
    out.push_back(describe(e));
    return false;
  });
  return out;
}

std::vector<std::string> transcriptLines() {
  std::string text = drawhost::gbkToUtf8(drawhost::transcript());
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  if (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// Each case runs twice: as the command runs, and asking the host about every
// pair of lines (no screens); both must give what the case expects.
class CommandCases : public ::testing::TestWithParam<std::tuple<fs::path, bool>> {
 protected:
  void SetUp() override {
    if (std::get<1>(GetParam())) setenv("KVSHAPEWRIGHT_ASK_EVERY_PAIR", "1", 1);
  }
  void TearDown() override { unsetenv("KVSHAPEWRIGHT_ASK_EVERY_PAIR"); }
};

TEST_P(CommandCases, GivesTheTranscriptAndTheDrawing) {
  const Case c = readCase(std::get<0>(GetParam()));
  drawhost::reset();
  AcApDocument* doc = drawhost::newDocument("case.dwg");
  AcDbDatabase* db = drawhost::database(doc);
  build(db, c.sections.at("drawing"));
  ASSERT_TRUE(drawhost::loadPlugin(KVSHAPEWRIGHT_PLUGIN).ok);
  drawhost::clearTranscript();
  drawhost::setAppendLimit(c.appends);
  std::string script;
  for (const std::string& line : c.sections.at("script")) script += line + "\n";
  drawhost::Result run = drawhost::runScriptText(script, c.name + ".scr");
  drawhost::setAppendLimit(-1);
  EXPECT_TRUE(run.ok) << run.error;
  EXPECT_EQ(drawhost::openObjectCount(db), 0) << c.name;
  const std::vector<std::string> printed = transcriptLines();
  EXPECT_EQ(joined(printed), joined(c.sections.at("transcript"))) << c.name;

  // Saved and read back.
  const std::string saved = drawhost::dxfText(db);
  AcApDocument* reread = drawhost::newDocument("reread.dwg");
  ASSERT_TRUE(drawhost::readDxfText(saved, drawhost::database(reread)).ok);
  const std::vector<std::string> after = contents(drawhost::database(reread));
  EXPECT_EQ(joined(after), joined(c.sections.at("saved"))) << c.name;
  // To look at a new case: its transcript and saved drawing as the command gives them.
  if (const char* dir = std::getenv("KVSHAPEWRIGHT_ACTUAL"))
    std::ofstream(fs::path(dir) / (c.name + ".actual"))
        << "[transcript]\n" << joined(printed) << "[saved]\n" << joined(after);
  drawhost::reset();
}

std::vector<fs::path> cases() {
  std::vector<fs::path> out;
  for (const auto& entry : fs::directory_iterator(KVSHAPEWRIGHT_CASES))
    if (entry.path().extension() == ".case") out.push_back(entry.path());
  std::sort(out.begin(), out.end());
  return out;
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandCases,
                         ::testing::Combine(::testing::ValuesIn(cases()), ::testing::Bool()),
                         [](const auto& info) {
                           return std::get<0>(info.param).stem().string() +
                                  (std::get<1>(info.param) ? "_asking_every_pair" : "");
                         });

}  // namespace
