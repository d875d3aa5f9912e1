// rebar-area: steel areas of reinforcement annotations from the command line.
//
//   rebar-area [--reference-spacing N] [--candidates] [--config FILE] [--gbk] TEXT...
//   rebar-area --batch [--reference-spacing N] [--candidates] [--config FILE] [--gbk]
//
// Texts are UTF-8 (raw GBK bytes with --gbk) and are analysed as GBK, the
// way the drawing stores them; results print in UTF-8. Batch mode answers
// each line of standard input with exactly one line: "-" for no annotation,
// else the result with "\" written as "\\" and line feeds as "\n".
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "io/text_encoding.h"
#include "rebar/RebarAreaCalculator.h"

namespace {

constexpr char kUsage[] =
    "usage: rebar-area [--reference-spacing N] [--candidates] [--config FILE] [--gbk] TEXT...\n"
    "       rebar-area --batch [--reference-spacing N] [--candidates] [--config FILE] [--gbk]\n";

struct Options {
  bool batch = false;
  bool gbkInput = false;
  bool candidates = false;
  std::optional<int> spacing;
  std::string config;
  std::vector<std::string> texts;
};

// The options, or the exit status when the run ends here (help, or wrong arguments).
std::optional<int> parseOptions(int argc, char** argv, Options& options) {
  CLI::App app{
      "Prints the steel area (mm2) and alternative layouts of each reinforcement annotation,\n"
      "e.g. 4%%13225, %%13010@100/200(4), G1.5-1.0, 12-8-12.",
      "rebar-area"};
  app.add_option("--reference-spacing", options.spacing,
                 "Stirrup reference length in mm (default 100)")
      ->type_name("N");
  app.add_flag("--candidates", options.candidates, "List candidate layouts for bar groups");
  app.add_option("--config", options.config,
                 "Read both settings from the XML settings file first; the options above "
                 "override it")
      ->type_name("FILE");
  app.add_flag("--gbk", options.gbkInput, "Texts are GBK bytes, not UTF-8");
  app.add_flag("--batch", options.batch,
               "Read one text per line from standard input and write one line per text: '-' "
               "for no annotation, else the result with '\\' as '\\\\' and line feeds as '\\n'");
  app.add_option("text", options.texts, "Annotations to analyse (put them after -- when one "
                                        "starts with a dash)")
      ->type_name("TEXT");
  try {
    app.parse(argc, argv);
    if (options.batch && !options.texts.empty())
      throw CLI::ValidationError("--batch takes its texts from standard input");
    if (!options.batch && options.texts.empty()) throw CLI::ValidationError("no text given");
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "rebar-area: %s\n%sRun rebar-area --help for more.\n", error.what(), kUsage);
    return 2;
  }
  return std::nullopt;
}

using drawhost::text::gbkToUtf8;
using drawhost::text::utf8ToGbk;

// A text as the drawing would hold it: GBK bytes as given with --gbk, else
// converted (a character GBK lacks becomes the drawing's \U+XXXX escape).
std::string toAnalysedBytes(const Options& options, const std::string& text) {
  return options.gbkInput ? text : utf8ToGbk(text);
}

// Batch output keeps each result on one line: "\" as "\\", line feeds as "\n".
// In UTF-8 those bytes occur only as those characters.
std::string onOneLine(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

int runBatch(const Options& options, const RebarAreaCalculator& calculator) {
  std::string line;
  std::string result;
  while (std::getline(std::cin, line)) {
    if (calculator.analyse(toAnalysedBytes(options, line), result)) {
      std::string out = onOneLine(gbkToUtf8(result));
      out += '\n';
      std::fwrite(out.data(), 1, out.size(), stdout);
    } else {
      std::fputs("-\n", stdout);
    }
    std::fflush(stdout);
  }
  return 0;
}

int runTexts(const Options& options, const RebarAreaCalculator& calculator) {
  bool first = true;
  for (const std::string& text : options.texts) {
    if (!first) std::fputc('\n', stdout);
    first = false;
    std::string result;
    std::string shown = options.gbkInput ? gbkToUtf8(text) : text;
    if (calculator.analyse(toAnalysedBytes(options, text), result)) {
      std::printf("%s\n%s\n", shown.c_str(), gbkToUtf8(result).c_str());
    } else {
      std::printf("%s\n(no annotation: not a bar group, stirrup, stirrup demand or area triple)\n",
                  shown.c_str());
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  Options options;
  if (const std::optional<int> status = parseOptions(argc, argv, options)) return *status;
  RebarAreaCalculator calculator;
  if (!options.config.empty() && !calculator.loadSettings(options.config)) {
    std::fprintf(stderr, "rebar-area: can not load xml config file %s; using the defaults\n",
                 options.config.c_str());
  }
  if (options.spacing) calculator.setReferenceSpacing(*options.spacing);
  if (options.candidates) calculator.setShowCandidateBars(1);
  return options.batch ? runBatch(options, calculator) : runTexts(options, calculator);
}
