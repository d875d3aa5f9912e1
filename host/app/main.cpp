// drawhost: opens a drawing, loads plug-ins, runs an input script and writes the result.
//
//   drawhost [--load PLUGIN.arx ...] [--script FILE.scr] [--save OUT.dxf] [--svg OUT.svg]
//            [--dialog-svg DIR] [--force] [--commands] [DRAWING.dxf]
//
// Without a drawing it starts a new one; without a script it reads actions from standard
// input, one per line, as a user would type them (unless --commands alone was asked for). The
// command-line transcript goes to standard output in UTF-8 as it is printed; warnings and
// errors go to standard error. Outputs are produced in memory first and then written, each
// through a temporary file, so an error never leaves a half-written file behind.
//
// Exit status: 0 done, 1 a drawing, plug-in, script or output failed, 2 wrong arguments.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "drawhost/host.h"
#include "drawhost/io.h"
#include "hostapi/hostapi.h"
#if DRAWHOST_REBAR_REPORT
#include "rebar_report.h"
#endif
#include "terminal.h"

namespace {

struct Options {
  std::vector<std::string> plugins;
  std::string script;
  std::string saveDxf;
  std::string saveSvg;
  std::string dialogSvg;
  std::string rebarReport;
  std::string drawing;
  bool listCommands = false;
  bool force = false;
};

int fail(const std::string& message) {
  std::cout.flush();
  std::cerr << "drawhost: " << message << '\n';
  drawhost::reset();
  return 1;
}

std::string flagNames(int flags) {
  std::string names;
  auto add = [&](int bit, const char* name) {
    if (flags & bit) names += names.empty() ? name : std::string(", ") + name;
  };
  add(AcEdCommandFlags::kTransparent, "transparent");
  add(AcEdCommandFlags::kUsePickSet, "pickfirst");
  add(AcEdCommandFlags::kRedraw, "redraw");
  add(AcEdCommandFlags::kNoResourceModule, "no resource module");
  if ((flags & AcEdCommandFlags::kTransparent) == 0)
    names = names.empty() ? "modal" : "modal, " + names;
  return names;
}

void listCommandGroups(const std::vector<drawhost::CommandInfo>& commands) {
  std::string group;
  bool first = true;
  for (const drawhost::CommandInfo& command : commands) {
    if (first || command.group != group) {
      group = command.group;
      first = false;
      std::cout << "group " << drawhost::gbkToUtf8(group) << '\n';
    }
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(command.flags));
    std::cout << "  " << drawhost::gbkToUtf8(command.localName) << "  (global "
              << drawhost::gbkToUtf8(command.globalName) << ")  flags " << flags << " "
              << flagNames(command.flags) << '\n';
  }
}

void listCommands() {
  const std::vector<drawhost::CommandInfo> host = drawhost::hostCommands();
  std::cout << "Host commands: " << host.size() << '\n';
  listCommandGroups(host);
  const std::vector<drawhost::CommandInfo> commands = drawhost::registeredCommands();
  std::cout << "Registered commands: " << commands.size() << '\n';
  listCommandGroups(commands);
}

std::string programPath(const char* argv0) {
  char buffer[4096];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string(argv0);
}

// The folder for the dialog pictures, made when it is missing.
drawhost::Result prepareFolder(const std::string& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return drawhost::Result::success();
  if (std::filesystem::exists(folder, error))
    return drawhost::Result::failure("cannot write dialog pictures to " + folder + ": it is not a folder");
  if (!std::filesystem::create_directories(folder, error))
    return drawhost::Result::failure("cannot make the folder " + folder + ": " + error.message());
  return drawhost::Result::success();
}

// Outputs that could only go wrong are refused before anything runs.
drawhost::Result checkOutputs(const Options& options) {
  std::vector<std::string> targets;
  if (!options.saveDxf.empty()) targets.push_back(options.saveDxf);
  if (!options.saveSvg.empty()) targets.push_back(options.saveSvg);
  if (!options.rebarReport.empty()) targets.push_back(options.rebarReport);
  if (drawhost::Result checked = drawhost::checkOutputTargets(targets); !checked) return checked;
  std::error_code error;
  if (!options.saveSvg.empty() && !options.drawing.empty() &&
      std::filesystem::equivalent(options.saveSvg, options.drawing, error))
    return drawhost::Result::failure("cannot write " + options.saveSvg + ": it is the drawing " +
                                     options.drawing + ", which a picture would replace");
  return drawhost::Result::success();
}

#if DRAWHOST_REBAR_REPORT
// The rebar report of the current drawing: the rebar plug-in's tooltip switched on, then every
// annotation asked for its tooltip, with a progress bar on a terminal.
drawhost::Result rebarReportText(const Options& options, std::string& report) {
  const std::vector<drawhost::CommandInfo> commands = drawhost::registeredCommands();
  const bool rebarLoaded = std::any_of(commands.begin(), commands.end(), [](const auto& c) {
    return c.localName == "KVRsbMTON";
  });
  if (!rebarLoaded)
    return drawhost::Result::failure(
        "--rebar-report needs the rebar plug-in: give --load KVBarwisp.arx (the KVBarwisp.xml "
        "beside it holds its settings)");
  // The tooltip is switched on as the command would at the keyboard; its greeting is not part
  // of the report.
  drawhost::setTranscriptSink([](std::string_view) {});
  const drawhost::Result on = drawhost::runCommand("KVRsbMTON");
  if (!on) return on;
  const bool showProgress = ::isatty(STDERR_FILENO);
  int shownPercent = -1;
  AcDbDatabase* db = drawhost::database(drawhost::currentDocument());
  const std::vector<rebarreport::Annotation> annotations =
      rebarreport::collect(db, [&](std::size_t done, std::size_t total) {
        const int percent = static_cast<int>(100 * done / total);
        if (!showProgress || percent == shownPercent) return;
        shownPercent = percent;
        const int bar = percent * 30 / 100;
        std::fprintf(stderr, "\rrebar report [%-30s] %3d%%  %zu of %zu annotations",
                     std::string(static_cast<size_t>(bar), '#').c_str(), percent, done, total);
        if (done == total) std::fputc('\n', stderr);
      });
  const std::string extension = std::filesystem::path(options.rebarReport).extension().string();
  if (extension == ".csv" || extension == ".CSV") {
    report = rebarreport::toCsv(annotations);
  } else {
    const std::string title = options.drawing.empty()
                                  ? std::string(drawhost::currentDocument()->docTitle())
                                  : std::filesystem::path(options.drawing).filename().string();
    report = rebarreport::toHtml(annotations, drawhost::svgText(db), title);
  }
  return drawhost::Result::success();
}
#else
drawhost::Result rebarReportText(const Options&, std::string&) {
  return drawhost::Result::failure("this drawhost was built without the rebar plug-in: it has no report");
}
#endif

int run(const Options& options) {
  if (const drawhost::Result checked = checkOutputs(options); !checked) return fail(checked.error);
  if (!options.dialogSvg.empty()) {
    const drawhost::Result prepared = prepareFolder(options.dialogSvg);
    if (!prepared) return fail(prepared.error);
    drawhost::keepDialogPictures(true);
  }
  // A person at a terminal gets line editing; a pipe is read as a script. A report alone reads
  // nothing.
  const bool readsInput = options.script.empty() && !options.listCommands && options.rebarReport.empty();
  const bool atTerminal = readsInput && terminal::connected();
  if (atTerminal) {
    terminal::start();
    drawhost::setTranscriptSink(
        [](std::string_view gbk) { terminal::show(drawhost::gbkToUtf8(std::string(gbk))); });
  } else {
    drawhost::setTranscriptSink([](std::string_view gbk) {
      std::cout << drawhost::gbkToUtf8(std::string(gbk));
      std::cout.flush();
    });
  }

  drawhost::allowSavingOverLossyDrawings(options.force);
  if (options.drawing.empty()) {
    drawhost::newDocument();
  } else {
    std::vector<std::string> warnings;
    const drawhost::Result read = drawhost::openDocument(options.drawing, &warnings);
    for (const std::string& warning : warnings)
      std::cerr << "drawhost: warning: " << options.drawing << ": " << warning << '\n';
    if (!read) return fail(read.error);
    // What the host could not keep would be gone from the only copy.
    std::error_code error;
    if (!warnings.empty() && !options.force && !options.saveDxf.empty() &&
        std::filesystem::equivalent(options.saveDxf, options.drawing, error))
      return fail("not saving over " + options.drawing +
                  ": it holds what the host cannot keep (the warnings above say what); save it "
                  "under another name, or give --force");
  }

  for (const std::string& plugin : options.plugins) {
    const drawhost::Result loaded = drawhost::loadPlugin(plugin);
    if (!loaded) return fail(loaded.error);
  }
  if (options.listCommands) listCommands();

  drawhost::Result ran;
  if (!options.script.empty()) {
    ran = drawhost::runScriptFile(options.script);
  } else if (atTerminal) {
    terminal::show(
        "HELP lists the commands. QUIT or Ctrl-D ends, writing what you asked for; Ctrl-C "
        "cancels a prompt.");
    ran = drawhost::runInteractive(terminal::readLine);
    terminal::finish();
  } else if (readsInput) {
    ran = drawhost::runScriptStream(std::cin, "<stdin>");
  }
  if (!atTerminal && (readsInput || !options.script.empty())) std::cout << '\n';
  if (!ran) return fail(ran.error);

  // Every output is made before any is written, and all are put in place together.
  AcDbDatabase* db = drawhost::database(drawhost::currentDocument());
  std::vector<std::string> warnings;
  const std::string dxf = options.saveDxf.empty() ? std::string() : drawhost::dxfText(db, &warnings);
  const std::string svg = options.saveSvg.empty() ? std::string() : drawhost::svgText(db);
  for (const std::string& warning : warnings)
    std::cerr << "drawhost: warning: " << options.saveDxf << ": " << warning << '\n';
  std::string report;
  if (!options.rebarReport.empty()) {
    const drawhost::Result made = rebarReportText(options, report);
    if (!made) return fail(made.error);
  }
  const std::vector<drawhost::DialogPicture> pictures = drawhost::dialogPictures();
  std::vector<drawhost::OutputFile> outputs;
  if (!options.rebarReport.empty()) outputs.push_back({options.rebarReport, report});
  if (!options.saveDxf.empty()) outputs.push_back({options.saveDxf, dxf});
  if (!options.saveSvg.empty()) outputs.push_back({options.saveSvg, svg});
  for (const drawhost::DialogPicture& picture : pictures)
    outputs.push_back({(std::filesystem::path(options.dialogSvg) / picture.name).string(), picture.svg});
  const drawhost::Result written = drawhost::writeFilesAtomically(outputs);
  if (!written) return fail(written.error);
  drawhost::reset();
  return 0;
}

}  // namespace

// Blocks nest as deep as a drawing likes and the walks through them recurse, each as deep as
// the stack allows: the work runs on a thread with a stack of 1 GiB, whose pages the system
// gives only as they are used.
int runOnLargeStack(const Options& options) {
  struct Work {
    const Options* options;
    int status = 1;
  } work{&options};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, std::size_t{1} << 30);
  pthread_t thread;
  const int created = pthread_create(
      &thread, &attributes,
      [](void* data) -> void* {
        auto* w = static_cast<Work*>(data);
        w->status = run(*w->options);
        return nullptr;
      },
      &work);
  pthread_attr_destroy(&attributes);
  if (created != 0) return run(options);  // no room for it: the usual stack then
  // Ctrl-C is for the worker, which waits for the terminal.
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);
  pthread_join(thread, nullptr);
  return work.status;
}

constexpr const char* kUsage =
    "usage: drawhost [--load PLUGIN.arx ...] [--script FILE.scr] [--save OUT.dxf] [--svg OUT.svg]\n"
    "                [--dialog-svg DIR] [--rebar-report OUT.csv|OUT.html] [--force] [--commands]\n"
    "                [DRAWING.dxf]\n";

// An output whose name says another format would get what its name does not promise.
void checkFormats(const Options& options) {
  auto extension = [](const std::string& path) {
    std::string e = std::filesystem::path(path).extension().string();
    for (char& c : e) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e;
  };
  const auto refuse = [&](const char* option, const std::string& path, const char* wanted) {
    const std::string e = extension(path);
    if (!e.empty() && e != wanted)
      throw CLI::ValidationError(std::string(option) + " " + path + ": " + option + " writes " +
                                 wanted + " files; the name says " + e);
  };
  if (!options.saveDxf.empty()) refuse("--save", options.saveDxf, ".dxf");
  if (!options.saveSvg.empty()) refuse("--svg", options.saveSvg, ".svg");
  if (!options.rebarReport.empty()) {
    const std::string e = extension(options.rebarReport);
    if (e != ".csv" && e != ".html" && e != ".htm")
      throw CLI::ValidationError("--rebar-report " + options.rebarReport +
                                 ": the name must end in .csv (a table) or .html (a page)");
  }
  if (!options.drawing.empty() && extension(options.drawing) == ".dwg")
    throw CLI::ValidationError(options.drawing + ": drawhost reads DXF drawings, not DWG");
}

int main(int argc, char** argv) {
  CLI::App app{
      "drawhost: the headless drawing host. Opens DRAWING.dxf (or a new drawing), loads the\n"
      "plug-ins, runs the input script (or reads actions from standard input), prints the\n"
      "command-line transcript and writes the drawing and its picture.",
      "drawhost"};
  Options options;
  app.add_option("--load", options.plugins, "Plug-in to load, one per --load, in order")
      ->type_name("PLUGIN.arx")
      ->allow_extra_args(false);
  app.add_option("--script", options.script, "Input script to run, one action per line (UTF-8)")
      ->type_name("FILE.scr");
  app.add_option("--save", options.saveDxf, "Write the drawing (release 2000, code page 936)")
      ->type_name("OUT.dxf");
  app.add_option("--svg", options.saveSvg, "Write model space as a picture")->type_name("OUT.svg");
  app.add_option("--dialog-svg", options.dialogSvg,
                 "Write each dialog as a picture when it opens and when it closes, into DIR "
                 "(dialog-N-opened.svg, dialog-N-closed.svg)")
      ->type_name("DIR");
  app.add_option("--rebar-report", options.rebarReport,
                 "Write every rebar annotation of the drawing with its tooltip: a table (.csv) or "
                 "a page to hover over (.html); needs --load KVBarwisp.arx")
      ->type_name("OUT.csv|OUT.html");
  app.add_flag("--force", options.force,
               "Save over the drawing even when the load said that something could not be kept");
  app.add_flag("--commands", options.listCommands,
               "List every registered command by group, with global and local name and flags");
  app.add_option("drawing", options.drawing, "Drawing to open; a new one when left out")
      ->type_name("DRAWING.dxf");
  try {
    app.parse(argc, argv);
    checkFormats(options);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::cerr << "drawhost: " << error.what() << '\n' << kUsage << "Run drawhost --help for more.\n";
    return 2;
  }
  drawhost::setProgramPath(programPath(argv[0]));
  return runOnLargeStack(options);
}
