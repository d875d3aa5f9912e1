// The drawhost program end to end: arguments, drawings in and out, and that what it writes is
// read by an independent reader (python3-ezdxf) without errors.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program_files.h"

namespace fs = std::filesystem;

namespace {

using testfiles::quote;
using testfiles::readFile;

std::string sourceDir() {
  const char* root = std::getenv("STRUCTKIT_SOURCE_DIR");
  return root ? root : ".";
}

std::string samplePath() { return sourceDir() + "/samples/floorplan.dxf"; }

void writeFile(const fs::path& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

struct ProgramRun {
  int status = -1;
  std::string out, err;
};

class DrawhostProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("drawhost_cli_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path path(const std::string& name) const { return dir_ / name; }

  // Runs the program with `input` as its standard input.
  ProgramRun run(const std::vector<std::string>& args, const std::string& input = "") const {
    std::string command = quote(DRAWHOST_PROGRAM);
    for (const std::string& arg : args) command += " " + quote(arg);
    const fs::path in = dir_ / "stdin.txt", out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
    writeFile(in, input);
    command += " <" + quote(in.string()) + " >" + quote(out.string()) + " 2>" + quote(err.string());
    ProgramRun result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
  }

  // What ezdxf makes of a drawing file: audit results, encoding, counts and texts.
  std::string ezdxfReport(const fs::path& dxf) const {
    const fs::path script = dir_ / "audit.py", report = dir_ / "audit.txt";
    writeFile(script,
              "import sys\n"
              "import ezdxf\n"
              "doc = ezdxf.readfile(sys.argv[1])\n"
              "auditor = doc.audit()\n"
              "msp = doc.modelspace()\n"
              "texts = [e.dxf.text for e in msp.query('TEXT')]\n"
              "print('errors', len(auditor.errors))\n"
              "print('fixes', len(auditor.fixes))\n"
              "for e in auditor.errors: print('error', e.message)\n"
              "print('encoding', doc.encoding)\n"
              "print('entities', len(msp))\n"
              "print('layers', len(doc.layers))\n"
              "print('texts', ' '.join(texts))\n");
    const std::string command = "/usr/bin/python3 " + quote(script.string()) + " " +
                                quote(dxf.string()) + " >" + quote(report.string()) + " 2>&1";
    const int status = std::system(command.c_str());  // the report says what went wrong
    (void)status;
    return readFile(report);
  }

  static bool haveEzdxf() { return std::system("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null") == 0; }

  fs::path dir_;
};

// drawhost at a pseudo-terminal: what a person types, key by key, and what the terminal shows.
class TerminalSession {
 public:
  explicit TerminalSession(const std::vector<std::string>& args) {
    pid_ = forkpty(&terminal_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      ::setenv("TERM", "xterm", 1);
      std::vector<char*> argv{const_cast<char*>(DRAWHOST_PROGRAM)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(DRAWHOST_PROGRAM, argv.data());
      ::_exit(127);
    }
  }
  ~TerminalSession() {
    if (terminal_ >= 0) ::close(terminal_);
  }
  // Waits until the terminal shows `text` (or 10 s pass); false when it never did.
  bool waitFor(const std::string& text) {
    for (int waited = 0; shown_.find(text, seen_) == std::string::npos; waited += 50) {
      if (waited > 10000 || !readSome(50)) return false;
    }
    seen_ = shown_.find(text, seen_) + text.size();
    return true;
  }
  void type(const std::string& keys) { ASSERT_EQ(::write(terminal_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size())); }
  int exitStatus() {
    while (readSome(100)) {
    }
    int status = 0;
    ::waitpid(pid_, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& shown() const { return shown_; }

 private:
  bool readSome(int milliseconds) {
    pollfd p{terminal_, POLLIN, 0};
    if (::poll(&p, 1, milliseconds) < 0) return false;
    if (!(p.revents & POLLIN)) return (p.revents & (POLLHUP | POLLERR)) == 0;
    char buffer[4096];
    const ssize_t n = ::read(terminal_, buffer, sizeof buffer);
    if (n <= 0) return false;
    shown_.append(buffer, static_cast<size_t>(n));
    return true;
  }
  pid_t pid_ = -1;
  int terminal_ = -1;
  std::string shown_;
  size_t seen_ = 0;
};

}  // namespace

TEST_F(DrawhostProgram, AtATerminalATypoIsSaidAndTheSessionGoesOnUntilQuitSaves) {
  TerminalSession session({"--save", path("out.dxf").string(), samplePath()});
  ASSERT_TRUE(session.waitFor("HELP lists the commands. QUIT or Ctrl-D ends")) << session.shown();
  ASSERT_TRUE(session.waitFor("Command: ")) << session.shown();
  session.type("LAYRE\r");
  ASSERT_TRUE(session.waitFor("Unknown command \"LAYRE\". HELP lists the commands.")) << session.shown();
  session.type("LAYER\r");
  ASSERT_TRUE(session.waitFor("Layers: 15")) << session.shown();
  session.type("\x1b[A\r");  // the line before, from the history
  ASSERT_TRUE(session.waitFor("Layers: 15")) << session.shown();
  session.type("SETVAR\r");
  ASSERT_TRUE(session.waitFor("Enter variable name or [?]: ")) << session.shown();
  session.type("OSM\x03");  // Ctrl-C drops the line and cancels the prompt
  ASSERT_TRUE(session.waitFor("*Cancel*")) << session.shown();
  session.type("OSMODE\r");
  ASSERT_TRUE(session.waitFor("Enter new value for OSMODE <35>: ")) << session.shown();
  session.type("lots\r");
  ASSERT_TRUE(session.waitFor("OSMODE takes an integer from 0 to 32767, not \"lots\"")) << session.shown();
  session.type("\x03");
  ASSERT_TRUE(session.waitFor("Command: ")) << session.shown();
  session.type("QUIT\r");
  EXPECT_EQ(session.exitStatus(), 0) << session.shown();
  EXPECT_NE(readFile(path("out.dxf")).find("\nBEAM_REBAR\n"), std::string::npos);
}

TEST_F(DrawhostProgram, AtATerminalTheEndOfInputWritesTheOutputsToo) {
  TerminalSession session({"--save", path("out.dxf").string(), "--svg", path("out.svg").string()});
  ASSERT_TRUE(session.waitFor("Command: ")) << session.shown();
  session.type("\x04");
  EXPECT_EQ(session.exitStatus(), 0) << session.shown();
  EXPECT_TRUE(fs::exists(path("out.dxf")));
  EXPECT_TRUE(fs::exists(path("out.svg")));
}

TEST_F(DrawhostProgram, HelpAndWrongArguments) {
  ProgramRun r = run({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* word : {"--load", "--script", "--save", "--svg", "--commands", "DRAWING.dxf"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  r = run({"--bogus"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("drawhost: The following argument was not expected: --bogus\nusage: drawhost [--load"),
            std::string::npos) << r.err;
  r = run({"--save"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("usage: drawhost"), std::string::npos) << r.err;
}

TEST_F(DrawhostProgram, SavesTheSampleSoThatAnIndependentReaderFindsNoError) {
  writeFile(path("empty.scr"), "# nothing to do\n");
  const ProgramRun r = run({"--script", path("empty.scr").string(), "--save", path("out.dxf").string(),
                     "--svg", path("out.svg").string(), samplePath()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_TRUE(fs::exists(path("out.dxf")));
  ASSERT_TRUE(fs::exists(path("out.svg")));
  // No temporary file is left beside the outputs.
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.is_regular_file();
  EXPECT_EQ(files, 6);  // empty.scr, out.dxf, out.svg, stdin.txt, stdout.txt, stderr.txt

  const std::string svg = readFile(path("out.svg"));
  EXPECT_NE(svg.find("\xE5\xAE\xA2\xE5\x8E\x85"), std::string::npos);  // 客厅 in UTF-8
  EXPECT_EQ(svg.find("<circle cx=\"15000\" cy=\"-9000\""), std::string::npos);  // frozen layer

  if (!haveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
  const std::string report = ezdxfReport(path("out.dxf"));
  EXPECT_NE(report.find("errors 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("fixes 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("encoding gbk\n"), std::string::npos) << report;
  EXPECT_NE(report.find("\xE5\xAE\xA2\xE5\x8E\x85"), std::string::npos) << report;  // 客厅
  EXPECT_NE(report.find("2%%13225;4%%13222"), std::string::npos) << report;
  // Same numbers of entities and layers as ezdxf finds in the sample itself.
  const std::string original = ezdxfReport(samplePath());
  auto line = [](const std::string& text, const std::string& key) {
    const size_t at = text.find("\n" + key + " ");
    return at == std::string::npos ? std::string() : text.substr(at, text.find('\n', at + 1) - at);
  };
  EXPECT_EQ(line(report, "entities"), line(original, "entities"));
  EXPECT_EQ(line(report, "layers"), line(original, "layers"));
}

TEST_F(DrawhostProgram, ANewDrawingIsSavedWhenNoneIsGiven) {
  writeFile(path("empty.scr"), "");
  const ProgramRun r = run({"--script", path("empty.scr").string(), "--save", path("new.dxf").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  if (!haveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
  const std::string report = ezdxfReport(path("new.dxf"));
  EXPECT_NE(report.find("errors 0\n"), std::string::npos) << report;
  EXPECT_NE(report.find("entities 0\n"), std::string::npos) << report;
}

TEST_F(DrawhostProgram, BadInputEndsWithAMessageAndWritesNothing) {
  writeFile(path("out.dxf"), "previous contents");
  writeFile(path("empty.scr"), "");
  writeFile(path("bad.dxf"), "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot-a-number\n0\nENDSEC\n0\nEOF\n");
  writeFile(path("bad.scr"), "# a command nobody registered\nNO_SUCH_COMMAND_XYZ\n");
  writeFile(path("notalib.arx"), "this is not a shared library");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* message;
  };
  const std::string out = path("out.dxf").string(), svg = path("out.svg").string();
  const Case cases[] = {
      {"missing drawing", {"--save", out, "--svg", svg, path("nowhere.dxf").string()}, "cannot open drawing"},
      {"malformed drawing", {"--save", out, "--svg", svg, path("bad.dxf").string()}, "bad.dxf: line 8: 'not-a-number' is not a number"},
      {"missing plug-in", {"--load", path("none.arx").string(), "--save", out, samplePath()}, "none.arx"},
      {"not a plug-in", {"--load", path("notalib.arx").string(), "--save", out, samplePath()}, "notalib.arx"},
      {"bad script", {"--script", path("bad.scr").string(), "--save", out, "--svg", svg, samplePath()}, "bad.scr:2:"},
      {"missing script", {"--script", path("none.scr").string(), "--save", out, samplePath()}, "none.scr"},
      {"unwritable output", {"--script", path("empty.scr").string(), "--save", path("no/such/dir/x.dxf").string(), samplePath()}, "cannot write"},
  };
  for (const Case& c : cases) {
    const ProgramRun r = run(c.args);
    EXPECT_EQ(r.status, 1) << c.name << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.name << "\n" << r.err;
    EXPECT_EQ(readFile(path("out.dxf")), "previous contents") << c.name;
    EXPECT_FALSE(fs::exists(path("out.svg"))) << c.name;
  }
}

TEST_F(DrawhostProgram, OutputsAreAllOrNothingAndKeepWhatTheTargetWas) {
  writeFile(path("empty.scr"), "");
  const std::string dxf = path("out.dxf").string(), svg = path("out.svg").string();
  writeFile(dxf, "previous contents");
  // The picture cannot be written (its folder is missing): the drawing is not replaced either.
  ProgramRun r = run({"--script", path("empty.scr").string(), "--save", dxf, "--svg",
                      path("missing/out.svg").string(), samplePath()});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(readFile(dxf), "previous contents");
  EXPECT_FALSE(fs::exists(path("missing")));
  for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
    EXPECT_EQ(entry.path().string().find(".XXXXXX"), std::string::npos);

  // Mode, owner and hard links of a target are kept; a symbolic link is followed.
  fs::permissions(dxf, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_hard_link(dxf, path("second-name.dxf"));
  fs::create_symlink(svg, path("link.svg"));
  r = run({"--script", path("empty.scr").string(), "--save", dxf, "--svg", path("link.svg").string(),
           samplePath()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::status(dxf).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::hard_link_count(dxf), 2u);
  EXPECT_NE(readFile(path("second-name.dxf")).find("ENTITIES"), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(path("link.svg")));
  EXPECT_NE(readFile(svg).find("<svg"), std::string::npos);

  // Refused before anything runs: a target that is no regular file, two outputs on one file,
  // a picture over the drawing being read, a script that is a folder.
  ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
  const std::string before = readFile(dxf);
  struct Case {
    std::vector<std::string> args;
    std::string message;
    int status = 1;
  };
  const std::string drawingCopy = path("plan.dxf").string();
  fs::copy_file(samplePath(), drawingCopy);
  const std::string sameAsDxf = path("same.svg").string(), sameAsDrawing = path("plan.svg").string();
  fs::create_hard_link(dxf, sameAsDxf);
  fs::create_hard_link(drawingCopy, sameAsDrawing);
  const Case cases[] = {
      {{"--save", path("pipe").string(), samplePath()}, "cannot write " + path("pipe").string() + ": it is not a regular file"},
      {{"--save", dir_.string(), samplePath()}, "cannot write " + dir_.string() + ": it is a folder"},
      {{"--save", dxf, "--svg", sameAsDxf, samplePath()}, "cannot write " + sameAsDxf + ": it is also where " + dxf + " goes"},
      {{"--svg", sameAsDrawing, drawingCopy}, "it is the drawing " + drawingCopy + ", which a picture would replace"},
      {{"--script", dir_.string(), "--save", dxf, samplePath()}, "cannot read script " + dir_.string() + ": it is a folder"},
      // An output whose name says another format: wrong arguments.
      {{"--save", dxf, "--svg", dxf, samplePath()}, "--svg " + dxf + ": --svg writes .svg files; the name says .dxf", 2},
      {{"--save", path("plan.svg").string(), samplePath()}, "--save writes .dxf files; the name says .svg", 2},
  };
  for (const Case& c : cases) {
    r = run(c.args);
    EXPECT_EQ(r.status, c.status) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_fifo(path("pipe")));
    EXPECT_EQ(readFile(dxf), before);
    EXPECT_EQ(readFile(drawingCopy), readFile(samplePath()));
  }
}

// Entities the host does not model, header variables and text styles: what ezdxf writes comes
// back from a load and save the same, and the saved drawing audits clean.
TEST_F(DrawhostProgram, KeepsWhatItDoesNotModel) {
  if (!haveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
  writeFile(path("make.py"), R"(import sys, ezdxf
d = ezdxf.new(sys.argv[2])
d.header["$LTSCALE"] = 100.0
d.header["$INSUNITS"] = 4
d.header["$DIMSCALE"] = 50.0
d.styles.add("HZ", font="tssdeng.shx").dxf.width = 0.7
d.styles.get("HZ").dxf.bigfont = "hztxt.shx"
for name in ["E", "S", "H", "F"]: d.layers.add(name)
m = d.modelspace()
m.add_ellipse((10, 10), major_axis=(5, 0), ratio=0.5, start_param=0, end_param=3.14159, dxfattribs={"layer": "E", "color": 1})
m.add_spline([(0, 0), (5, 5), (10, 0), (15, 5)], dxfattribs={"layer": "S"})
m.add_open_spline([(0, 0), (0, 4), (4, 4), (4, 0)], degree=3, dxfattribs={"layer": "S"})
h = m.add_hatch(color=3, dxfattribs={"layer": "H"})
h.paths.add_polyline_path([(0, 0), (10, 0), (10, 10), (0, 10)], is_closed=True)
e = h.paths.add_edge_path()
e.add_line((2, 2), (8, 2))
e.add_arc((5, 2), 3, 0, 180)
m.add_solid([(20, 0), (25, 0), (20, 5), (25, 5)], dxfattribs={"layer": "F"})
m.add_3dface([(30, 0), (35, 0), (35, 5), (30, 5)], dxfattribs={"layer": "F"})
m.add_xline((0, 0), (1, 1))
m.add_ray((0, 0), (1, 0))
m.add_text("HZ", dxfattribs={"style": "HZ"})
d.appids.new("STRUCTKIT")
line = m.add_line((0, 0), (10, 0), dxfattribs={"thickness": 2.5, "ltscale": 0.5, "true_color": 0x123456})
line.transparency = 0.5
line.set_xdata("STRUCTKIT", [(1000, "beam B1"), (1040, 3.5), (1070, 7)])
m.add_circle((0, 0), 2, dxfattribs={"thickness": 1.0}).set_xdata("STRUCTKIT", [(1000, "column")])
d.saveas(sys.argv[1])
)");
  writeFile(path("report.py"), R"(import sys, ezdxf
from collections import Counter
d = ezdxf.readfile(sys.argv[1])
a = d.audit()
print("audit", len(a.errors), len(a.fixes))
for k, n in sorted(Counter((e.dxftype(), e.dxf.layer) for e in d.modelspace()).items()): print(k, n)
for e in d.modelspace():
    t = e.dxftype()
    if t == "ELLIPSE": print(t, e.dxf.center, e.dxf.major_axis, e.dxf.ratio, e.dxf.start_param, e.dxf.end_param, e.dxf.color)
    if t == "SPLINE": print(t, e.dxf.degree, list(e.control_points), list(e.fit_points), list(e.knots))
    if t == "HATCH": print(t, len(e.paths), e.dxf.color, e.dxf.solid_fill)
    if t in ("SOLID", "3DFACE"): print(t, [e.dxf.get(f"vtx{i}") for i in range(4)])
    if t in ("XLINE", "RAY"): print(t, e.dxf.start, e.dxf.unit_vector)
    if t in ("LINE", "CIRCLE"):
        print(t, e.dxf.get("thickness"), e.dxf.get("ltscale"), e.dxf.get("true_color"), e.dxf.get("transparency"),
              list(e.get_xdata("STRUCTKIT")) if e.has_xdata("STRUCTKIT") else None)
print("header", d.header["$LTSCALE"], d.header["$INSUNITS"], d.header["$DIMSCALE"])
s = d.styles.get("HZ")
print("style", s.dxf.font, s.dxf.bigfont, s.dxf.width)
)");
  writeFile(path("empty.scr"), "");
  for (const char* release : {"R2000", "R2018"}) {
    SCOPED_TRACE(release);
    const std::string in = path(std::string("in-") + release + ".dxf").string();
    const std::string out = path(std::string("out-") + release + ".dxf").string();
    ASSERT_EQ(std::system(("/usr/bin/python3 " + quote(path("make.py").string()) + " " + quote(in) + " " + release).c_str()), 0);
    const ProgramRun r = run({"--script", path("empty.scr").string(), "--save", out, "--svg",
                              path("out.svg").string(), in});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("skipped"), std::string::npos) << r.err;
    auto report = [&](const std::string& file) {
      const std::string command = "/usr/bin/python3 " + quote(path("report.py").string()) + " " +
                                  quote(file) + " >" + quote(path("report.txt").string()) + " 2>&1";
      EXPECT_EQ(std::system(command.c_str()), 0);
      return readFile(path("report.txt"));
    };
    const std::string before = report(in), after = report(out);
    EXPECT_EQ(after, before);
    EXPECT_EQ(after.rfind("audit 0 0\n", 0), 0u) << after;
    const std::string svg = readFile(path("out.svg"));
    EXPECT_NE(svg.find("fill-rule=\"evenodd\""), std::string::npos);  // the hatch
  }
}

TEST_F(DrawhostProgram, SavingOverADrawingThatLostSomethingNeedsForce) {
  writeFile(path("empty.scr"), "");
  const std::string drawing = path("plan.dxf").string();
  const std::string original =
      "0\nSECTION\n2\nENTITIES\n0\nMESH\n8\n0\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n"
      "0\nENDSEC\n0\nEOF\n";
  writeFile(drawing, original);
  ProgramRun r = run({"--script", path("empty.scr").string(), "--save", drawing, drawing});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("skipped entities of kinds the host does not keep: 1 MESH"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("not saving over " + drawing + ": it holds what the host cannot keep"), std::string::npos)
      << r.err;
  EXPECT_EQ(readFile(drawing), original);
  // Elsewhere, or with --force, it is saved.
  EXPECT_EQ(run({"--script", path("empty.scr").string(), "--save", path("copy.dxf").string(), drawing}).status, 0);
  r = run({"--script", path("empty.scr").string(), "--save", drawing, "--force", drawing});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(drawing).find("DIMENSION"), std::string::npos);
  // A drawing that lost nothing is saved over without asking.
  r = run({"--script", path("empty.scr").string(), "--save", drawing, drawing});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(DrawhostProgram, WarnsAboutWhatItSkips) {
  writeFile(path("empty.scr"), "");
  writeFile(path("hatch.dxf"),
            "0\nSECTION\n2\nENTITIES\n0\nMESH\n8\n0\n0\nLINE\n8\nNEW\n10\n0\n20\n0\n11\n1\n21\n1\n"
            "0\nENDSEC\n0\nEOF\n");
  const ProgramRun r = run({"--script", path("empty.scr").string(), "--save", path("out.dxf").string(),
                     path("hatch.dxf").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("warning: " + path("hatch.dxf").string() +
                       ": skipped entities of kinds the host does not keep: 1 MESH"),
            std::string::npos)
      << r.err;
  EXPECT_NE(readFile(path("out.dxf")).find("\nLINE\n"), std::string::npos);
}

#ifdef TEST_PLUGIN
TEST_F(DrawhostProgram, ListsTheCommandsOfALoadedPlugin) {
  const ProgramRun r = run({"--load", TEST_PLUGIN, "--commands"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\ngroup HOSTTEST\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n  HT_HELLO  (global _HT_HELLO)  flags 0x1 transparent\n"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\n  HT_PICK  (global _HT_PICK)  flags 0x3 transparent, pickfirst\n"),
            std::string::npos)
      << r.out;
}
#endif

#ifdef TEST_PLUGIN
TEST_F(DrawhostProgram, RunsAPluginCommandFromAScriptAndSavesItsWork) {
  writeFile(path("hello.scr"),
            "# the test plug-in draws a line from 0,0 to 10,0\nHT_HELLO\nHT_TEXT\n\xE9\x92\xA2\xE7\xAD\x8B\n");
  const ProgramRun r = run({"--load", TEST_PLUGIN, "--script", path("hello.scr").string(), "--save",
                            path("out.dxf").string(), samplePath()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("HT_HELLO"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Hello from the test plug-in"), std::string::npos) << r.out;
  // The script's UTF-8 reached the plug-in as GBK and came back to the terminal as UTF-8.
  EXPECT_NE(r.out.find("[\xE9\x92\xA2\xE7\xAD\x8B]"), std::string::npos) << r.out;  // [钢筋]
  const std::string saved = readFile(path("out.dxf"));
  EXPECT_NE(saved.find("AcDbLine\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n10.0\n 21\n0.0\n"),
            std::string::npos);
  if (!haveEzdxf()) GTEST_SKIP() << "python3-ezdxf is not installed";
  const std::string report = ezdxfReport(path("out.dxf"));
  EXPECT_NE(report.find("errors 0\n"), std::string::npos) << report;
}

// A line inside 20,000 levels of blocks, far more than the usual stack holds walks for, is
// drawn, picked and written back.
TEST_F(DrawhostProgram, BlocksNestedTwentyThousandDeepAreDrawnAndPicked) {
  constexpr int kLevels = 20000;
  std::string drawing = "0\nSECTION\n2\nBLOCKS\n";
  for (int i = 0; i < kLevels; ++i) {
    drawing += "0\nBLOCK\n2\nB" + std::to_string(i) + "\n70\n0\n10\n0\n20\n0\n";
    drawing += i + 1 < kLevels ? "0\nINSERT\n8\n0\n2\nB" + std::to_string(i + 1) + "\n10\n0\n20\n0\n"
                               : std::string("0\nLINE\n8\n0\n10\n0\n20\n0\n11\n10\n21\n0\n");
    drawing += "0\nENDBLK\n";
  }
  drawing += "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nINSERT\n8\n0\n2\nB0\n10\n100\n20\n0\n0\nENDSEC\n0\nEOF\n";
  writeFile(path("deep.dxf"), drawing);
  writeFile(path("pick.scr"), "HT_NPICK\npick 105,0\n");
  const ProgramRun r = run({"--load", TEST_PLUGIN, "--script", path("pick.scr").string(), "--svg",
                            path("deep.svg").string(), "--save", path("out.dxf").string(), path("deep.dxf").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("innermost: AcDbLine"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("containers " + std::to_string(kLevels)), std::string::npos) << r.out;
  EXPECT_NE(readFile(path("deep.svg")).find("<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"0\""), std::string::npos);
  EXPECT_NE(readFile(path("out.dxf")).find("\nB19999\n"), std::string::npos);
}

TEST_F(DrawhostProgram, EachLoadTakesOneFileAndTheDrawingComesAfter) {
  const ProgramRun r = run({"--load", TEST_PLUGIN, samplePath(), "--commands"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Host commands: 16\ngroup HOST\n  HELP  (global HELP)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("group HOSTTEST"), std::string::npos) << r.out;
}

TEST_F(DrawhostProgram, ReadsActionsFromStandardInputWithoutAScript) {
  const ProgramRun r = run({"--load", TEST_PLUGIN, "--save", path("out.dxf").string()}, "HT_HELLO\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Hello from the test plug-in"), std::string::npos) << r.out;
  EXPECT_NE(readFile(path("out.dxf")).find("\nLINE\n"), std::string::npos);
}
#endif
