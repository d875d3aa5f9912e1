// regex-probe: runs pattern operations given one per line on standard input.
//
//   OP<TAB>FLAGS<TAB>PATTERN<TAB>SUBJECT[<TAB>LIMIT]
//
// OP is match, count or split; FLAGS a decimal PatternFlags value; PATTERN
// and SUBJECT use C escapes (\\ \t \n \r \xHH).  One output line per input:
//   match<TAB>0 | match<TAB>1<TAB>START,END|- ...   (one field per entry)
//   count<TAB>N
//   split<TAB>N<TAB>FIELD...                          (fields escaped)
//   error<TAB>MESSAGE                                 (ill-formed pattern)
// `--mode N` selects the MatchMode (default 0).
#include <CLI/CLI.hpp>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "pattern/Pattern.h"

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    switch (c) {
      case 't': out += '\t'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 'x':
        if (i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
          out += static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2]));
          i += 2;
        } else {
          out += "\\x";
        }
        break;
      case '\\': out += '\\'; break;
      default:   // not one of ours: keep it as written
        out += '\\';
        out += c;
        break;
    }
  }
  return out;
}

std::string escape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c < 0x20 || c >= 0x7f) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> f;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return f;
    start = tab + 1;
  }
}

// A whole decimal number, or nothing.
std::optional<long> decimal(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0) return std::nullopt;
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Runs pattern operations given one per line on standard input:\n"
               "  OP<TAB>FLAGS<TAB>PATTERN<TAB>SUBJECT[<TAB>LIMIT]\n"
               "OP is match, count or split; FLAGS a decimal PatternFlags value.",
               "regex-probe"};
  int modeNumber = regex::RecursiveMode;
  app.add_option("--mode", modeNumber, "Match mode: 0 recursive, 1 heap stack, 2 mixed")
      ->check(CLI::Range(0, 2))
      ->type_name("N");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::cerr << "regex-probe: " << error.what()
              << "\nusage: regex-probe [--mode N] < requests\nRun regex-probe --help for more.\n";
    return 2;
  }
  const auto mode = static_cast<regex::MatchMode>(modeNumber);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> f = fields(line);
    if (f.size() < 4) {
      std::cout << "error\tmalformed request\n" << std::flush;
      continue;
    }
    const std::string& op = f[0];
    const std::optional<long> flagValue = decimal(f[1]);
    const std::optional<long> limit = f.size() > 4 ? decimal(f[4]) : std::optional<long>(0);
    if (!flagValue || *flagValue < 0 || !limit || *limit < INT_MIN || *limit > INT_MAX) {
      std::cout << "error\tmalformed request\n" << std::flush;
      continue;
    }
    const auto flags = static_cast<unsigned>(*flagValue);
    std::string pattern = unescape(f[2]);
    std::string subject = unescape(f[3]);
    try {
      regex::Pattern re(pattern, flags, mode);
      const char* begin = subject.data();
      if (op == "match") {
        regex::MatchResults results;
        const regex::backref_tag& whole = re.match(subject, results);
        if (!whole.matched) {
          std::cout << "match\t0\n";
        } else {
          std::cout << "match\t1";
          for (size_t i = 0; i < results.size(); ++i) {
            const regex::backref_tag& t = results.at(i);
            if (t.matched)
              std::cout << '\t' << (t.first - begin) << ',' << (t.second - begin);
            else
              std::cout << "\t-";
          }
          std::cout << '\n';
        }
      } else if (op == "count") {
        std::cout << "count\t" << re.count(begin, begin + subject.size()) << '\n';
      } else if (op == "split") {
        std::vector<std::string> out;
        size_t n = re.split(begin, begin + subject.size(), out, static_cast<int>(*limit));
        std::cout << "split\t" << n;
        for (const std::string& s : out) std::cout << '\t' << escape(s);
        std::cout << '\n';
      } else {
        std::cout << "error\tunknown operation\n";
      }
    } catch (const regex::bad_regexpr& e) {
      std::cout << "error\t" << e.what() << '\n';
    }
    std::cout << std::flush;
  }
  return 0;
}
