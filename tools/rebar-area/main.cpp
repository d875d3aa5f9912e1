// rebar-area: steel areas of reinforcement annotations from the command line.
//
//   rebar-area [--reference-spacing N] [--candidates] [--config FILE] [--gbk] TEXT...
//   rebar-area --batch [--reference-spacing N] [--candidates] [--config FILE] [--gbk]
//
// Texts are UTF-8 (raw GBK bytes with --gbk) and are analysed as GBK, the
// way the drawing stores them; results print in UTF-8. Batch mode answers
// each line of standard input with exactly one line: "-" for no annotation,
// else the result with "\" written as "\\" and line feeds as "\n".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "io/text_encoding.h"
#include "rebar/RebarAreaCalculator.h"

namespace {

constexpr char kUsage[] =
    "usage: rebar-area [--reference-spacing N] [--candidates] [--config FILE] [--gbk] TEXT...\n"
    "       rebar-area --batch [--reference-spacing N] [--candidates] [--config FILE] [--gbk]\n"
    "\n"
    "Prints the steel area (mm2) and alternative layouts of each reinforcement\n"
    "annotation, e.g. 4%%13225, %%13010@100/200(4), G1.5-1.0, 12-8-12.\n"
    "\n"
    "  --reference-spacing N  stirrup reference length in mm (default 100)\n"
    "  --candidates           list candidate layouts for bar groups\n"
    "  --config FILE          read both settings from the XML settings file first;\n"
    "                         the options above override it\n"
    "  --gbk                  texts are GBK bytes, not UTF-8\n"
    "  --batch                read one text per line from standard input and write\n"
    "                         one line per text: '-' for no annotation, else the\n"
    "                         result with '\\' as '\\\\' and line feeds as '\\n'\n";

struct Options {
  bool batch = false;
  bool gbkInput = false;
  bool candidates = false;
  bool hasSpacing = false;
  int spacing = 100;
  std::string config;
  std::vector<std::string> texts;
};

[[noreturn]] void usageError(const std::string& message) {
  std::fprintf(stderr, "rebar-area: %s\n%s", message.c_str(), kUsage);
  std::exit(2);
}

int parseSpacing(const char* text) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || value < -2147483647L - 1 ||
      value > 2147483647L) {
    usageError(std::string("--reference-spacing needs an integer, not '") + text + "'");
  }
  return static_cast<int>(value);
}

Options parseOptions(int argc, char** argv) {
  Options options;
  bool textsOnly = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (textsOnly || arg.empty() || arg[0] != '-' || arg == "-") {
      options.texts.push_back(arg);
    } else if (arg == "--") {
      textsOnly = true;
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--batch") {
      options.batch = true;
    } else if (arg == "--gbk") {
      options.gbkInput = true;
    } else if (arg == "--candidates") {
      options.candidates = true;
    } else if (arg == "--reference-spacing" || arg == "--config") {
      if (i + 1 >= argc) usageError(arg + " needs a value");
      if (arg == "--config") {
        options.config = argv[++i];
      } else {
        options.spacing = parseSpacing(argv[++i]);
        options.hasSpacing = true;
      }
    } else {
      // Annotations never start with "-", but a stray dash is better read as text
      // than rejected when it cannot be an option.
      usageError("unknown option '" + arg + "' (put texts after -- to pass them as is)");
    }
  }
  if (options.batch && !options.texts.empty()) usageError("--batch takes its texts from standard input");
  if (!options.batch && options.texts.empty()) usageError("no text given");
  return options;
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
  Options options = parseOptions(argc, argv);
  RebarAreaCalculator calculator;
  if (!options.config.empty() && !calculator.loadSettings(options.config)) {
    std::fprintf(stderr, "rebar-area: can not load xml config file %s; using the defaults\n",
                 options.config.c_str());
  }
  if (options.hasSpacing) calculator.setReferenceSpacing(options.spacing);
  if (options.candidates) calculator.setShowCandidateBars(1);
  return options.batch ? runBatch(options, calculator) : runTexts(options, calculator);
}
