// Cost of one tooltip: RebarAreaCalculator::analyse over typical annotations,
// against the pattern matching alone that the same texts need.
//
// BM_Analyse is what every cursor move over a text costs; BM_MatchingOnly
// runs the same pattern calls as analyse (classification, splits, sub-match
// reads) without the arithmetic and formatting, so the ratio of the two is
// the share spent matching.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "rebar/RebarAreaCalculator.h"

namespace {

// GBK bytes, as the drawing stores them.
const std::vector<std::string> kCorpus = {
    "4%%13225",
    "2%%13225+2%%13222",
    "2%%13225;4%%13222",
    "4%%13225 2/2",
    "%%13010@100/200(4)",
    "%%13110@100/200(2)",
    "%%1328@200(2)",
    "G1.5-1.0",
    "12-8-12",
    "KL1(2) 300x600",
    "\xbb\xe1\xd2\xe9\xca\xd2",  // "会议室" (meeting room): no annotation
};

// The pattern calls analyse makes, without computing anything from them.
class MatchingOnly {
 public:
  size_t run(const std::string& text) const {
    regex::MatchResults m;
    size_t work = 0;
    if (probe_.match(text, m).matched) {
      groupSeparator_.split(text.data(), text.data() + text.size(), rows_, 0);
      for (const std::string& row : rows_) {
        barSeparator_.split(row.data(), row.data() + row.size(), pieces_, 0);
        for (const std::string& piece : pieces_) {
          if (barGroup_.match(piece, m).matched) work += m.at(2).str().size() + m.at(6).str().size();
        }
      }
      return work;
    }
    if (stirrup_.match(text, m).matched) {
      unsigned count = stirrup_.count(text.data(), text.data() + text.size());
      regex::MatchResults grade;
      for (unsigned k = 0; k < count; ++k) {
        work += grade_.match(m.at(14 * k + 1).str(), grade).matched;
        for (size_t n : {4, 7, 9, 11, 13}) work += m.at(14 * k + n).str().size();
      }
      return work;
    }
    if (demand_.match(text, m).matched) return m.at(1).str().size() + m.at(4).str().size();
    if (triple_.match(text, m).matched) return m.at(1).str().size();
    return work;
  }

 private:
  regex::Pattern probe_{
      "(([0-9]+)((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)"
      "[/;,\\+]?)",
      regex::Reserved20};
  regex::Pattern barGroup_{
      "(([0-9]+)((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?))"};
  regex::Pattern groupSeparator_{"[;,]"};
  regex::Pattern barSeparator_{"[/\\+]"};
  regex::Pattern grade_{"^((%%1[38]0)|\\[)$"};
  regex::Pattern stirrup_{
      "((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)"
      "(/([1234]?[0-9](\\.[0-9])?))?[\\@\\-]([0-9]+)(/([0-9]+))?(\\(([0-9]+)\\))?[;,/]?",
      regex::Global | regex::CollectAllGroups};
  regex::Pattern demand_{"^G(([0-9]+)(.[0-9]))[\\-=](([0-9]+)(.[0-9]))$"};
  regex::Pattern triple_{"([0-9]+)[\\-=]([0-9]+)[\\-=]([0-9]+)"};
  mutable std::vector<std::string> rows_, pieces_;
};

void BM_Analyse(benchmark::State& state) {
  RebarAreaCalculator calculator;
  calculator.setShowCandidateBars(static_cast<int>(state.range(0)));
  std::string result;
  for (auto _ : state) {
    for (const std::string& text : kCorpus) {
      benchmark::DoNotOptimize(calculator.analyse(text, result));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kCorpus.size()));
  state.counters["ns_per_text"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kCorpus.size()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Analyse)->Arg(0)->Arg(1)->ArgName("candidates");

void BM_MatchingOnly(benchmark::State& state) {
  MatchingOnly matcher;
  for (auto _ : state) {
    for (const std::string& text : kCorpus) benchmark::DoNotOptimize(matcher.run(text));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kCorpus.size()));
  state.counters["ns_per_text"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kCorpus.size()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MatchingOnly);

// One text per run, to see the spread between forms.
void BM_AnalyseEach(benchmark::State& state) {
  RebarAreaCalculator calculator;
  const std::string& text = kCorpus[static_cast<size_t>(state.range(0))];
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  state.SetLabel(ascii ? text : "(Chinese text)");
  std::string result;
  for (auto _ : state) benchmark::DoNotOptimize(calculator.analyse(text, result));
}
BENCHMARK(BM_AnalyseEach)->DenseRange(0, 10);

}  // namespace

BENCHMARK_MAIN();
