// KVBeamLinesCutout in the drawhost program on a drawing written by an
// independent writer (python3-ezdxf, release 2010, UTF-8 layer names): the
// saved drawing passes that library's audit, holds the expected lines, and the
// picture shows them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program_files.h"

namespace {

// A release-2010 drawing saved as release 2000 leaves out the header variables of newer
// releases and says so in one line; nothing else is lost.
void expectOnlyTheNewerVariablesWarning(const std::string& err) {
  EXPECT_NE(err.find(": left out "), std::string::npos) << err;
  EXPECT_NE(err.find(" header variables of newer releases, which a release-2000 drawing does not hold: "),
            std::string::npos)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

using testfiles::quote;
using testfiles::readFile;

namespace fs = std::filesystem;

int shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveEzdxf() { return shell("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null") == 0; }

// A T meeting of two beams (the vertical one on a layer named in Chinese),
// an unrelated wall crossing the window, and a note on a beam layer inside it.
constexpr char kMakeDrawing[] = R"(import sys, ezdxf
doc = ezdxf.new('R2010')
doc.layers.add('BEAM_1', color=1)
doc.layers.add('BEAM梁', color=3)
doc.layers.add('WALL', color=5)
msp = doc.modelspace()
msp.add_line((-50, 0), (50, 0), dxfattribs={'layer': 'BEAM_1'})
msp.add_line((-50, 3), (50, 3), dxfattribs={'layer': 'BEAM_1', 'linetype': 'CONTINUOUS'})
msp.add_line((0, -50), (0, 1), dxfattribs={'layer': 'BEAM梁'})
msp.add_line((2, -50), (2, 1), dxfattribs={'layer': 'BEAM梁', 'color': 2})
msp.add_line((1, -50), (1, 50), dxfattribs={'layer': 'WALL'})
msp.add_text('梁 note', dxfattribs={'layer': 'BEAM_1', 'height': 0.5}).set_placement((-3, -3))
doc.saveas(sys.argv[1])
)";

// The audit of the saved drawing, then its lines as "layer color x0,y0 x1,y1"
// (sorted) and the number of texts.
constexpr char kReport[] = R"(import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
print('errors', len(auditor.errors), 'fixes', len(auditor.fixes))
for e in auditor.errors: print('error', e.message)
def n(v): return '%g' % (0.0 if abs(v) < 1e-9 else v)
lines = sorted('%s %d %s,%s %s,%s' % (l.dxf.layer, l.dxf.color, n(l.dxf.start.x), n(l.dxf.start.y),
               n(l.dxf.end.x), n(l.dxf.end.y)) for l in doc.modelspace().query('LINE'))
for l in lines: print(l)
print('texts', len(doc.modelspace().query('TEXT')))
)";

class CutoutProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("kvshapewright_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs drawhost with the plug-in and the script on in.dxf, saving out.dxf and out.svg; its
  // output goes to the files stdout and stderr. Gives the exit status.
  int runDrawhost(const fs::path& script) {
    return shell(quote(DRAWHOST_PROGRAM) + " --load " + quote(PLUGIN_PATH) + " --script " +
                 quote(script) + " --save " + quote(dir_ / "out.dxf") + " --svg " +
                 quote(dir_ / "out.svg") + " " + quote(dir_ / "in.dxf") + " >" +
                 quote(dir_ / "stdout") + " 2>" + quote(dir_ / "stderr"));
  }

  fs::path dir_;
};

TEST_F(CutoutProgram, SavedDrawingPassesAnIndependentAuditAndThePictureShowsTheResult) {
  if (!haveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
  const fs::path maker = dir_ / "make.py", report = dir_ / "report.py", in = dir_ / "in.dxf",
                 out = dir_ / "out.dxf", svg = dir_ / "out.svg", script = dir_ / "cut.scr";
  std::ofstream(maker) << kMakeDrawing;
  std::ofstream(report) << kReport;
  ASSERT_EQ(shell("/usr/bin/python3 " + quote(maker) + " " + quote(in)), 0);
  std::ofstream(script) << "KVBeamLinesCutout\n-5,-5\n5,5\n";
  ASSERT_EQ(runDrawhost(script), 0) << readFile(dir_ / "stderr");
  EXPECT_EQ(readFile(dir_ / "stdout"),
            "\nCommand: KVBeamLinesCutout\n"
            "Pick the first point:-5,-5\n-5.000000,-5.000000\n"
            "Pick the second point:5,5\n5.000000,5.000000\n"
            "selected 4 beam lines\n");
  expectOnlyTheNewerVariablesWarning(readFile(dir_ / "stderr"));

  ASSERT_EQ(shell("/usr/bin/python3 " + quote(report) + " " + quote(out) + " >" +
                  quote(dir_ / "report.txt")),
            0);
  // Colour 256 is "by layer"; the second vertical line keeps its own colour.
  EXPECT_EQ(readFile(dir_ / "report.txt"),
            "errors 0 fixes 0\n"
            "BEAM_1 256 -50,0 0,0\n"
            "BEAM_1 256 -50,3 50,3\n"
            "BEAM_1 256 2,0 50,0\n"
            "BEAM梁 2 2,-50 2,0\n"
            "BEAM梁 256 0,-50 0,0\n"
            "WALL 256 1,-50 1,50\n"
            "texts 0\n");

  const std::string picture = readFile(svg);
  size_t lines = 0;
  for (size_t at = picture.find("<line"); at != std::string::npos; at = picture.find("<line", at + 1))
    ++lines;
  EXPECT_EQ(lines, 6u);
  EXPECT_EQ(picture.find("<text"), std::string::npos);
}

// Closed figures for KVRegion: two overlapping rectangles, a circle cut by a line through its
// centre (two half arcs, on a layer named in Chinese), nested squares, an arc on its chord, a square far out.
constexpr char kMakeFigures[] = R"(import sys, ezdxf
doc = ezdxf.new('R2010')
for name, colour in (('R', 1), ('BEAM梁', 3), ('N', 4), ('A', 5), ('F', 6), ('T', 2)):
    doc.layers.add(name, color=colour)
msp = doc.modelspace()
msp.add_lwpolyline([(0, 0), (4, 0), (4, 3), (0, 3)], close=True, dxfattribs={'layer': 'R'})
msp.add_lwpolyline([(2, 1), (6, 1), (6, 4), (2, 4)], close=True, dxfattribs={'layer': 'R'})
msp.add_arc((20, 0), 2, 0, 180, dxfattribs={'layer': 'BEAM梁'})
msp.add_arc((20, 0), 2, 180, 360, dxfattribs={'layer': 'BEAM梁'})
msp.add_line((20, -3), (20, 3), dxfattribs={'layer': 'BEAM梁'})
msp.add_lwpolyline([(40, 0), (44, 0), (44, 4), (40, 4)], close=True, dxfattribs={'layer': 'N'})
msp.add_lwpolyline([(41, 1), (42, 1), (42, 2), (41, 2)], close=True, dxfattribs={'layer': 'N'})
msp.add_arc((60, 0), 2, 0, 180, dxfattribs={'layer': 'A'})
msp.add_line((58, 0), (62, 0), dxfattribs={'layer': 'A'})
msp.add_lwpolyline([(1e6, 1e6), (1e6 + 1, 1e6), (1e6 + 1, 1e6 + 1), (1e6, 1e6 + 1)], close=True,
                   dxfattribs={'layer': 'F'})
# A whole circle touching a cut one from inside, at the point where it starts: the face below
# the cut is pinched there round the small disk.
msp.add_arc((74.5, -5), 0.5, 270, 270, dxfattribs={'layer': 'T'})
msp.add_arc((74.5, -3), 2.5, 90, 90, dxfattribs={'layer': 'T'})
msp.add_lwpolyline([(80, -2), (74, -1.5), (76.5, 6.5)], dxfattribs={'layer': 'T'})
doc.saveas(sys.argv[1])
)";

// The audit, then per REGION (sorted) its layer, its kinds of edges and its area, taken from
// the modeler records as the independent reader parses them: chords by the shoelace formula,
// arcs by their circle's centre and turn.
constexpr char kRegionReport[] = R"(import sys, math, ezdxf
from ezdxf.acis import api, sat
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
print('errors', len(auditor.errors), 'fixes', len(auditor.fixes))
for e in auditor.errors: print('error', e.message)
def chain(first, field):
    while not first.is_null_ptr:
        yield first
        first = first.data[field]
def xyz(point): return [float(v) for v in point.data[1:4]]
def region(entity):
    api.load_dxf(entity)  # the reader's own objects must build too
    body = sat.parse_sat(entity.acis_data).bodies[0]
    area, kinds = 0.0, set()
    for lump in chain(body.data[1], 1):
        for shell in chain(lump.data[2], 1):
            for face in chain(shell.data[3], 1):
                for loop in chain(face.data[2], 1):
                    coedge = loop.data[2]
                    while True:
                        edge = coedge.data[4]
                        forward = (coedge.data[5] == 'forward') == (edge.data[7] == 'forward')
                        a, b = xyz(edge.data[1].data[2]), xyz(edge.data[3].data[2])
                        if not forward: a, b = b, a
                        area += (a[0] * b[1] - b[0] * a[1]) / 2
                        curve = edge.data[6]
                        kinds.add(curve.name)
                        if curve.name == 'ellipse-curve':
                            c = [float(v) for v in curve.data[1:4]]
                            turn = float(curve.data[6]) * (1 if forward else -1)
                            r = math.hypot(a[0] - c[0], a[1] - c[1])
                            t = math.atan2((a[0] - c[0]) * (b[1] - c[1]) - (a[1] - c[1]) * (b[0] - c[0]),
                                           (a[0] - c[0]) * (b[0] - c[0]) + (a[1] - c[1]) * (b[1] - c[1]))
                            t = t * (1 if turn > 0 else -1)
                            if t <= 0: t += 2 * math.pi
                            area += (1 if turn > 0 else -1) * r * r / 2 * (t - math.sin(t))
                        coedge = coedge.data[1]
                        if coedge is loop.data[2]: break
    return '%s %s %.10g' % (entity.dxf.layer, '+'.join(sorted(kinds)), abs(area))
for line in sorted(region(e) for e in doc.modelspace().query('REGION')): print(line)
)";

TEST_F(CutoutProgram, RegionsReadBackWithAnIndependentModelerReaderToTheirAreas) {
  if (!haveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
  const fs::path maker = dir_ / "make.py", report = dir_ / "report.py", in = dir_ / "in.dxf",
                 out = dir_ / "out.dxf", svg = dir_ / "out.svg", script = dir_ / "region.scr";
  std::ofstream(maker) << kMakeFigures;
  std::ofstream(report) << kRegionReport;
  ASSERT_EQ(shell("/usr/bin/python3 " + quote(maker) + " " + quote(in)), 0);
  std::ofstream(script) << "KVRegion\nall\nenter\n";
  ASSERT_EQ(runDrawhost(script), 0) << readFile(dir_ / "stderr");
  expectOnlyTheNewerVariablesWarning(readFile(dir_ / "stderr"));
  ASSERT_EQ(shell("/usr/bin/python3 " + quote(report) + " " + quote(out) + " >" +
                  quote(dir_ / "report.txt") + " 2>&1"),
            0)
      << readFile(dir_ / "report.txt");
  EXPECT_EQ(readFile(dir_ / "report.txt"),
            "errors 0 fixes 0\n"
            "A ellipse-curve+straight-curve 6.283185307\n"
            "BEAM梁 ellipse-curve+straight-curve 6.283185307\n"
            "BEAM梁 ellipse-curve+straight-curve 6.283185307\n"
            "F straight-curve 1\n"
            "N straight-curve 1\n"
            "N straight-curve 16\n"
            "R straight-curve 4\n"
            "R straight-curve 8\n"
            "R straight-curve 8\n"
            "T ellipse-curve 0.7853981634\n"
            "T ellipse-curve+straight-curve 16.83201289\n"
            "T ellipse-curve+straight-curve 2.017543028\n");
  // Every region is drawn filled.
  const std::string picture = readFile(svg);
  size_t filled = 0;
  for (size_t at = picture.find("fill-rule=\"evenodd\""); at != std::string::npos;
       at = picture.find("fill-rule=\"evenodd\"", at + 1))
    ++filled;
  EXPECT_EQ(filled, 12u);
}

}  // namespace
