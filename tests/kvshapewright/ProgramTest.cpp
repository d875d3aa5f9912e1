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
  const std::string run = quote(DRAWHOST_PROGRAM) + " --load " + quote(PLUGIN_PATH) +
                          " --script " + quote(script) + " --save " + quote(out) + " --svg " +
                          quote(svg) + " " + quote(in) + " >" + quote(dir_ / "stdout") + " 2>" +
                          quote(dir_ / "stderr");
  ASSERT_EQ(shell(run), 0) << readFile(dir_ / "stderr");
  EXPECT_EQ(readFile(dir_ / "stdout"),
            "\nCommand: KVBeamLinesCutout\n"
            "Pick the first point:-5,-5-5.000000,-5.000000\n"
            "Pick the second point:5,55.000000,5.000000\n"
            "selected 4 beam lines\n");
  EXPECT_EQ(readFile(dir_ / "stderr"), "");

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

}  // namespace
