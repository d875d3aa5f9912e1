// Input-script reader: splits a script into lines and parses each line into
// an Action. One pass, no look-ahead; comments start at '#' outside quotes.
#include "editor/editor.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace hostimpl {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Removes a '#' comment that is not inside double quotes.
std::string_view stripComment(std::string_view s) {
  bool quoted = false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') quoted = !quoted;
    if (s[i] == '#' && !quoted) return s.substr(0, i);
  }
  return s;
}

// Blanks next to commas belong to the point: "1, 2" is "1,2".
std::vector<std::string> pointTokens(std::string_view s) {
  std::string joined;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      size_t j = i;
      while (j < s.size() && std::isspace(static_cast<unsigned char>(s[j]))) ++j;
      bool nearComma = (!joined.empty() && joined.back() == ',') || (j < s.size() && s[j] == ',');
      if (!nearComma) joined += ' ';
      i = j - 1;
      continue;
    }
    joined += c;
  }
  std::vector<std::string> tokens;
  size_t start = 0;
  while (start < joined.size()) {
    size_t end = joined.find(' ', start);
    if (end == std::string::npos) end = joined.size();
    if (end > start) tokens.push_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

bool parseNumber(std::string_view s, double& v) {
  if (s.empty() || s.size() > 64) return false;
  std::string buf(s);
  char* end = nullptr;
  v = std::strtod(buf.c_str(), &end);
  return end == buf.c_str() + buf.size() && std::isfinite(v);
}

Action invalid(Action a, std::string why) {
  a.kind = Action::kInvalid;
  a.points.clear();
  a.error = std::move(why);
  return a;
}

// A point as a Chinese input method types it: full-width digits, comma, point and signs
// (and the ideographic space) become their ASCII forms.
std::string asciiPoints(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    if (i + 2 < s.size() && byte(i) == 0xEF && byte(i + 1) == 0xBC) {
      const unsigned c = byte(i + 2);  // U+FF00 + (c - 0x80)
      const char ascii = c >= 0x90 && c <= 0x99 ? static_cast<char>('0' + (c - 0x90))
                         : c == 0x8C            ? ','
                         : c == 0x8E            ? '.'
                         : c == 0x8D            ? '-'
                         : c == 0x8B            ? '+'
                                                : '\0';
      if (ascii) {
        out += ascii;
        i += 2;
        continue;
      }
    }
    if (i + 2 < s.size() && byte(i) == 0xE3 && byte(i + 1) == 0x80 && byte(i + 2) == 0x80) {
      out += ' ';
      i += 2;
      continue;
    }
    out += s[i];
  }
  return out;
}

// Why a text is no point, when a character in it is the reason: the first one that is not
// ASCII (after the full-width forms were taken).
std::string pointHint(std::string_view s) {
  const std::string ascii = asciiPoints(s);
  for (size_t i = 0; i < ascii.size(); ++i) {
    const auto c = static_cast<unsigned char>(ascii[i]);
    if (c < 0x80) continue;
    size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return " (\"" + ascii.substr(i, n) + "\" cannot be part of a point: use , between x and y)";
  }
  return "";
}

// Points after a keyword: exactly `count` of them, or at least 2 when count is -1.
bool takePoints(std::string_view text, int count, Action& a) {
  const std::string rest = asciiPoints(text);
  for (const std::string& tok : pointTokens(rest)) {
    AcGePoint3d p;
    if (!parsePoint(tok, p)) return false;
    a.points.push_back(p);
  }
  if (count < 0) return a.points.size() >= 2;
  return static_cast<int>(a.points.size()) == count;
}

Action parseBody(std::string_view line, bool allowSelectPrefix) {
  Action a;
  a.raw = std::string(line);
  if (line.empty()) return a;
  if (line.front() == '"') {
    if (line.size() < 2 || line.back() != '"') return invalid(a, "unterminated quoted text");
    std::string text;
    std::string_view inner = line.substr(1, line.size() - 2);
    for (size_t i = 0; i < inner.size(); ++i) {
      if (inner[i] == '"') {
        if (i + 1 < inner.size() && inner[i + 1] == '"') {
          text += '"';
          ++i;
          continue;
        }
        return invalid(a, "stray quote in quoted text");
      }
      text += inner[i];
    }
    a.kind = Action::kText;
    a.text = text;
    return a;
  }
  if (line.front() == '\'') {
    a.kind = Action::kTransparent;
    a.text = std::string(trim(line.substr(1)));
    if (a.text.empty()) return invalid(a, "' needs a command name");
    return a;
  }
  size_t space = line.find_first_of(" \t");
  std::string word = lower(line.substr(0, space));
  std::string_view rest = space == std::string_view::npos ? "" : trim(line.substr(space));
  struct Keyword {
    const char* name;
    Action::Kind kind;
    int points;  // -1: two or more; -2: no points allowed
    const char* usage;
  };
  static const Keyword keywords[] = {
      {"pick", Action::kPick, 1, "pick x,y"},
      {"box", Action::kBox, 2, "box x1,y1 x2,y2"},
      {"window", Action::kWindow, 2, "window x1,y1 x2,y2"},
      {"crossing", Action::kCrossing, 2, "crossing x1,y1 x2,y2"},
      {"fence", Action::kFence, -1, "fence x,y x,y ..."},
      {"hover", Action::kHover, 1, "hover x,y"},
      {"all", Action::kAll, -2, "all"},
      {"previous", Action::kPrevious, -2, "previous"},
      {"enter", Action::kEnter, -2, "enter"},
      {"esc", Action::kEsc, -2, "esc"},
  };
  for (const Keyword& k : keywords) {
    if (word != k.name) continue;
    a.kind = k.kind;
    if (k.points == -2) {
      if (!rest.empty()) return invalid(a, std::string("expected just \"") + k.usage + "\"");
      return a;
    }
    if (!takePoints(rest, k.points, a))
      return invalid(a, std::string("expected \"") + k.usage + "\"" + pointHint(rest));
    return a;
  }
  if (word == "select" && allowSelectPrefix) {
    a.kind = Action::kSelect;
    Action sub = parseBody(rest, false);
    switch (sub.kind) {
      case Action::kPick:
      case Action::kBox:
      case Action::kWindow:
      case Action::kCrossing:
      case Action::kFence:
      case Action::kAll:
      case Action::kPrevious:
        a.sub = std::make_shared<Action>(sub);
        return a;
      case Action::kPoint:
        sub.kind = Action::kPick;
        a.sub = std::make_shared<Action>(sub);
        return a;
      case Action::kInvalid:
        return invalid(a, sub.error);
      default:
        return invalid(a, "select needs pick, box, window, crossing, fence, all or previous");
    }
  }
  if (word == "click" || word == "type" || word == "choose" || word == "ok" ||
      word == "cancel") {
    a.kind = Action::kDialog;
    a.text = word;
    std::string_view r = rest;
    while (!r.empty()) {
      size_t sp = r.find_first_of(" \t");
      if (word == "type" || word == "choose") {
        if (a.args.size() == 1) {
          a.args.emplace_back(r);  // the rest of the line, blanks and all
          break;
        }
      }
      a.args.emplace_back(r.substr(0, sp));
      r = sp == std::string_view::npos ? "" : trim(r.substr(sp));
    }
    // "type ID" alone empties the field.
    if (word == "type" && a.args.size() == 1) a.args.emplace_back();
    const size_t want = (word == "ok" || word == "cancel") ? 0 : (word == "click" ? 1 : 2);
    if (a.args.size() != want) {
      const std::string usage = word == "click" ? "click ID" : want == 2 ? word + " ID TEXT" : word;
      return invalid(a, "expected \"" + usage + "\"");
    }
    return a;
  }
  AcGePoint3d p;
  if (parsePoint(asciiPoints(line), p)) {
    a.kind = Action::kPoint;
    a.points.push_back(p);
    return a;
  }
  a.kind = Action::kWord;
  a.text = a.raw;
  return a;
}

}  // namespace

bool parsePoint(std::string_view text, AcGePoint3d& p) {
  double v[3] = {0, 0, 0};
  int n = 0;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    std::string_view part = trim(text.substr(start, comma == std::string_view::npos
                                                        ? std::string_view::npos
                                                        : comma - start));
    if (n == 3 || !parseNumber(part, v[n])) return false;
    ++n;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (n < 2) return false;
  p = {v[0], v[1], v[2]};
  return true;
}

Action parseAction(std::string_view line) {
  return parseBody(trim(stripComment(line)), true);
}

const char* actionKindName(Action::Kind kind) {
  switch (kind) {
    case Action::kNone: return "nothing";
    case Action::kWord: return "a word";
    case Action::kText: return "a text";
    case Action::kTransparent: return "a transparent command";
    case Action::kPoint: return "a point";
    case Action::kPick: return "a pick";
    case Action::kBox: return "a box";
    case Action::kWindow: return "a window";
    case Action::kCrossing: return "a crossing";
    case Action::kFence: return "a fence";
    case Action::kAll: return "all";
    case Action::kPrevious: return "previous";
    case Action::kEnter: return "enter";
    case Action::kEsc: return "esc";
    case Action::kHover: return "a hover";
    case Action::kSelect: return "a select";
    case Action::kDialog: return "a dialog action";
    case Action::kInvalid: return "an invalid line";
  }
  return "?";
}

TextSource::TextSource(std::string text, std::string sourceName) : text_(std::move(text)) {
  name = std::move(sourceName);
}

bool TextSource::nextLine(std::string& out) {
  if (pos_ >= text_.size()) return false;
  size_t end = text_.find('\n', pos_);
  if (end == std::string::npos) end = text_.size();
  out = text_.substr(pos_, end - pos_);
  if (!out.empty() && out.back() == '\r') out.pop_back();
  pos_ = end + 1;
  ++line;
  return true;
}

}  // namespace hostimpl
