// The matcher against its peers, in one run: the eleven annotation patterns
// over a corpus of annotation texts (every pattern searched in every text,
// sub-matches extracted), a few general patterns over a longer text, a
// pathological one, and the cost of compiling.
//
// Peers: std::regex, Boost.Regex, PCRE2 (interpreter and JIT), RE2.  Each
// benchmark reports items/s; compare the rows of one run.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>
#include <re2/re2.h>

#include <boost/regex.hpp>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "pattern/Pattern.h"

namespace {

struct PatternText {
  const char* text;
  unsigned flags;
};

// The annotation patterns, as the rebar plug-in compiles them.
const PatternText kAnnotation[] = {
    {"(([0-9]+)((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)[/;,\\+]?)", 0x20},
    {"(([0-9]+)((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?))", 0},
    {"[;,]", 0},
    {"[/\\+]", 0},
    {"^((%%1[38]0)|\\[)$", 0},
    {"^((%%1[38]1)|\\])$", 0},
    {"^((%%1[38]2)|\\})$", 0},
    {"^((%%1[38][02]%%140[R]%%141)|(%%1[38]3)|\\{)$", 0},
    {"((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)(/([1234]?[0-9](\\.[0-9])?))?"
     "[\\@\\-]([0-9]+)(/([0-9]+))?(\\(([0-9]+)\\))?[;,/]?",
     0x82},
    {"^G(([0-9]+)(.[0-9]))[\\-=](([0-9]+)(.[0-9]))$", 0},
    {"([0-9]+)[\\-=]([0-9]+)[\\-=]([0-9]+)", 0},
};

// Texts a cursor meets in a structural drawing.  GBK bytes are escaped.
const char* const kTexts[] = {
    "4%%13225", "2%%13225+2%%13222", "2%%13225;4%%13222", "4%%13225 2/2", "%%13010@100/200(4)",
    "%%13010/8@100", "2%%13225;%%13010@100(2)", "2%%13010@100", "[", "]", "}", "{", "G1.5-1.0",
    "G1.5=1.0", "G1.5-1.0 ", "G15-10", "12-8-12", "KL1 12-8-12 x", "", "BEAM",
    "KL2(2) 300x600", "%%13208@100/200(2)", "4%%13222/2%%13220", "6%%132%%140R%%14120 4/2",
    "\xc1\xba KL3 250x500",        // 梁 KL3 250x500
    "\xb0\xe5\xba\xf1 120",        // 板厚 120
    "\xc3\xe6\xbb\xfd\xa3\xba 1963;",  // 面积： 1963;
    "N4%%13112", "G2%%13112", "C25", "1:100", "A-A",
};

std::vector<std::string> corpus() { return {std::begin(kTexts), std::end(kTexts)}; }

// Peers read `\@` as an invalid escape or as itself; give them the plain
// character, which means the same.
std::string forPeers(const std::string& p) {
  std::string out;
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i] == '\\' && i + 1 < p.size() && p[i + 1] == '@') continue;
    out += p[i];
    if (p[i] == '\\' && i + 1 < p.size()) out += p[++i];
  }
  return out;
}

// ---------------------------------------------------------------------------
// One adapter per engine: compile a pattern, then search a text with all
// sub-matches (repeatedly for the Global pattern).

struct Ours {
  std::vector<regex::Pattern> patterns;
  regex::MatchResults results;
  explicit Ours(const std::vector<PatternText>& sources, regex::MatchMode mode = regex::RecursiveMode) {
    for (const PatternText& s : sources) patterns.emplace_back(s.text, s.flags, mode);
  }
  size_t search(size_t i, const std::string& text) {
    return patterns[i].match(text, results).matched ? results.size() : 0;
  }
};

struct StdRegex {
  std::vector<std::regex> patterns;
  std::vector<bool> global;
  std::smatch m;
  explicit StdRegex(const std::vector<PatternText>& sources) {
    for (const PatternText& s : sources) {
      patterns.emplace_back(forPeers(s.text));
      global.push_back(s.flags & regex::Global);
    }
  }
  size_t search(size_t i, const std::string& text) {
    if (!global[i]) return std::regex_search(text, m, patterns[i]) ? m.size() : 0;
    size_t n = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), patterns[i]); it != std::sregex_iterator(); ++it)
      n += it->size();
    return n;
  }
};

struct Boost {
  std::vector<boost::regex> patterns;
  std::vector<bool> global;
  boost::smatch m;
  explicit Boost(const std::vector<PatternText>& sources) {
    for (const PatternText& s : sources) {
      patterns.emplace_back(forPeers(s.text));
      global.push_back(s.flags & regex::Global);
    }
  }
  size_t search(size_t i, const std::string& text) {
    if (!global[i]) return boost::regex_search(text, m, patterns[i]) ? m.size() : 0;
    size_t n = 0;
    for (boost::sregex_iterator it(text.begin(), text.end(), patterns[i]), end; it != end; ++it) n += it->size();
    return n;
  }
};

struct Pcre {
  std::vector<pcre2_code*> patterns;
  std::vector<bool> global;
  pcre2_match_data* data = nullptr;
  bool jit;
  Pcre(const std::vector<PatternText>& sources, bool useJit) : jit(useJit) {
    for (const PatternText& s : sources) {
      int err;
      PCRE2_SIZE off;
      std::string p = forPeers(s.text);
      pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(p.data()), p.size(), 0, &err, &off, nullptr);
      if (jit) pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
      patterns.push_back(code);
      global.push_back(s.flags & regex::Global);
    }
    data = pcre2_match_data_create(32, nullptr);
  }
  ~Pcre() {
    for (auto* p : patterns) pcre2_code_free(p);
    pcre2_match_data_free(data);
  }
  int once(size_t i, const std::string& text, size_t from) {
    auto* s = reinterpret_cast<PCRE2_SPTR>(text.data());
    return jit ? pcre2_jit_match(patterns[i], s, text.size(), from, 0, data, nullptr)
               : pcre2_match(patterns[i], s, text.size(), from, 0, data, nullptr);
  }
  size_t search(size_t i, const std::string& text) {
    if (!global[i]) {
      int rc = once(i, text, 0);
      return rc > 0 ? size_t(rc) : 0;
    }
    size_t n = 0, from = 0;
    for (int rc; from <= text.size() && (rc = once(i, text, from)) > 0;) {
      n += size_t(rc);
      PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data);
      from = ov[1] > ov[0] ? ov[1] : ov[1] + 1;
    }
    return n;
  }
};

struct Re2 {
  std::vector<std::unique_ptr<re2::RE2>> patterns;
  std::vector<bool> global;
  re2::StringPiece groups[32];
  explicit Re2(const std::vector<PatternText>& sources) {
    re2::RE2::Options o;
    o.set_encoding(re2::RE2::Options::EncodingLatin1);
    o.set_log_errors(false);
    for (const PatternText& s : sources) {
      patterns.push_back(std::make_unique<re2::RE2>(forPeers(s.text), o));
      global.push_back(s.flags & regex::Global);
    }
  }
  size_t search(size_t i, const std::string& text) {
    re2::RE2& re = *patterns[i];
    int n = re.NumberOfCapturingGroups() + 1;
    if (!global[i]) return re.Match(text, 0, text.size(), re2::RE2::UNANCHORED, groups, n) ? size_t(n) : 0;
    size_t total = 0, from = 0;
    while (from <= text.size() && re.Match(text, from, text.size(), re2::RE2::UNANCHORED, groups, n)) {
      total += size_t(n);
      size_t end = size_t(groups[0].data() - text.data()) + groups[0].size();
      from = groups[0].empty() ? end + 1 : end;
    }
    return total;
  }
};

std::vector<PatternText> annotationPatterns() { return {std::begin(kAnnotation), std::end(kAnnotation)}; }

template <class Engine, class... Args>
void annotation(benchmark::State& state, Args... args) {
  Engine engine(annotationPatterns(), args...);
  const std::vector<std::string> texts = corpus();
  size_t found = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < engine.patterns.size(); ++i)
      for (const std::string& t : texts) found += engine.search(i, t);
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(int64_t(state.iterations() * engine.patterns.size() * texts.size()));
  state.counters["hits"] = double(found) / double(state.iterations());
}

// General patterns over a longer text.
std::string longText() {
  static const char* words[] = {"alpha", "beta", "gamma", "delta", "kappa", "lambda", "theta",
                                "12.5mm", "300x600", "aa", "bb", "x", "zeta", "epsilon", "omega"};
  std::string s;
  unsigned seed = 1;
  while (s.size() < 16384) {
    seed = seed * 1103515245u + 12345u;
    s += words[(seed >> 16) % 15];
    s += (seed >> 8) % 7 == 0 ? "\n" : " ";
  }
  return s;
}

const PatternText kGeneral[] = {
    {"\\b(?:gamma|delta|epsilon|omega)\\b", 0},
    {"(\\d+(?:\\.\\d+)?)\\s*(mm|cm|m)\\b", 0},
    {"([a-z])\\1", 0},
    {"(?:[a-z]+\\s)+?[0-9]", 0},
};

template <class Engine, class... Args>
void general(benchmark::State& state, Args... args) {
  const PatternText& general = kGeneral[state.range(0)];
  Engine engine(std::vector<PatternText>{PatternText{general.text, general.flags | regex::Global | regex::CollectWholeMatches}},
                args...);
  const std::string text = longText();
  size_t found = 0;
  for (auto _ : state) found += engine.search(0, text);
  benchmark::DoNotOptimize(found);
  state.SetBytesProcessed(int64_t(state.iterations() * text.size()));
  state.counters["hits"] = double(found) / double(state.iterations());
}

// Exponential for backtracking engines.
template <class Engine, class... Args>
void pathological(benchmark::State& state, Args... args) {
  Engine engine(std::vector<PatternText>{PatternText{"(a|aa)*b", 0}}, args...);
  const std::string text(22, 'a');
  size_t found = 0;
  try {
    for (auto _ : state) found += engine.search(0, text);
  } catch (const std::exception& e) {   // an engine that gives up on the search
    state.SkipWithError(e.what());
  }
  benchmark::DoNotOptimize(found);
}

template <class Engine, class... Args>
void compileAll(benchmark::State& state, Args... args) {
  for (auto _ : state) {
    Engine engine(annotationPatterns(), args...);
    benchmark::DoNotOptimize(engine.patterns.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations() * std::size(kAnnotation)));
}

void ours(benchmark::State& s) { annotation<Ours>(s); }
void oursStack(benchmark::State& s) { annotation<Ours>(s, regex::HeapStackMode); }
void stdRegex(benchmark::State& s) { annotation<StdRegex>(s); }
void boostRegex(benchmark::State& s) { annotation<Boost>(s); }
void pcre2Interp(benchmark::State& s) { annotation<Pcre>(s, false); }
void pcre2Jit(benchmark::State& s) { annotation<Pcre>(s, true); }
void re2Engine(benchmark::State& s) { annotation<Re2>(s); }

void generalOurs(benchmark::State& s) { general<Ours>(s); }
void generalStd(benchmark::State& s) { general<StdRegex>(s); }
void generalBoost(benchmark::State& s) { general<Boost>(s); }
void generalPcre(benchmark::State& s) { general<Pcre>(s, false); }
void generalPcreJit(benchmark::State& s) { general<Pcre>(s, true); }
void generalRe2(benchmark::State& s) { general<Re2>(s); }

void pathologicalOurs(benchmark::State& s) { pathological<Ours>(s); }
void pathologicalBoost(benchmark::State& s) { pathological<Boost>(s); }
void pathologicalPcre(benchmark::State& s) { pathological<Pcre>(s, false); }
void pathologicalRe2(benchmark::State& s) { pathological<Re2>(s); }

void compileOurs(benchmark::State& s) { compileAll<Ours>(s); }
void compileStd(benchmark::State& s) { compileAll<StdRegex>(s); }
void compileBoost(benchmark::State& s) { compileAll<Boost>(s); }
void compilePcre(benchmark::State& s) { compileAll<Pcre>(s, false); }
void compilePcreJit(benchmark::State& s) { compileAll<Pcre>(s, true); }
void compileRe2(benchmark::State& s) { compileAll<Re2>(s); }

BENCHMARK(ours)->Name("annotation/ours");
BENCHMARK(oursStack)->Name("annotation/ours_stack");
BENCHMARK(stdRegex)->Name("annotation/std_regex");
BENCHMARK(boostRegex)->Name("annotation/boost");
BENCHMARK(pcre2Interp)->Name("annotation/pcre2");
BENCHMARK(pcre2Jit)->Name("annotation/pcre2_jit");
BENCHMARK(re2Engine)->Name("annotation/re2");

BENCHMARK(generalOurs)->Name("general/ours")->DenseRange(0, 3);
BENCHMARK(generalStd)->Name("general/std_regex")->DenseRange(0, 3);
BENCHMARK(generalBoost)->Name("general/boost")->DenseRange(0, 3);
BENCHMARK(generalPcre)->Name("general/pcre2")->DenseRange(0, 3);
BENCHMARK(generalPcreJit)->Name("general/pcre2_jit")->DenseRange(0, 3);
BENCHMARK(generalRe2)->Name("general/re2")->Arg(0)->Arg(1)->Arg(3);   // it has no backreferences

BENCHMARK(pathologicalOurs)->Name("pathological/ours");
BENCHMARK(pathologicalBoost)->Name("pathological/boost");
BENCHMARK(pathologicalPcre)->Name("pathological/pcre2");
BENCHMARK(pathologicalRe2)->Name("pathological/re2");

BENCHMARK(compileOurs)->Name("compile/ours");
BENCHMARK(compileStd)->Name("compile/std_regex");
BENCHMARK(compileBoost)->Name("compile/boost");
BENCHMARK(compilePcre)->Name("compile/pcre2");
BENCHMARK(compilePcreJit)->Name("compile/pcre2_jit");
BENCHMARK(compileRe2)->Name("compile/re2");

}  // namespace

BENCHMARK_MAIN();
