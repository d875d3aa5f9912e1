// Index build of a ~50 MB document, against full parsers over the same
// bytes: a DOM parser with in-place strings, a DOM parser with per-node
// allocation, and a streaming parser that only counts elements.
//
// Every parser starts from the same in-memory text and copies it if it
// keeps it. Besides the timings, each parser runs once more in a forked
// child that reports how much its resident memory rose while parsing (the
// high-water mark above the child's starting point), so the figures are not
// muddied by memory the allocator kept from an earlier run. A summary with
// throughput and memory as ratios follows the benchmark table.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>
#include <tinyxml2.h>

#include "xml/XmlDocument.h"

namespace {

constexpr size_t kTargetSize = 50u << 20;

// Drawing data of the sort the plug-ins deal with: layers of text records
// with attributes and short contents, ~95 bytes per element.
const std::string& document() {
  static const std::string text = [] {
    std::string out = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<!-- exported drawing -->\n";
    out += "<drawing name=\"S-101\" units=\"mm\">\n";
    char line[256];
    for (unsigned layer = 0; out.size() < kTargetSize; ++layer) {
      std::snprintf(line, sizeof line, " <layer name=\"BEAM-%u\" color=\"%u\" frozen=\"0\">\n",
                    layer, layer % 7 + 1);
      out += line;
      for (unsigned i = 0; i < 1000; ++i) {
        std::snprintf(line, sizeof line,
                      "  <text id=\"%u\" x=\"%u.50\" y=\"%u.25\" height=\"250\">%u%%%%132%02u&amp;"
                      "%u%%%%130%02u</text>\n",
                      layer * 1000 + i, i * 37 % 100000, i * 53 % 100000, i % 9 + 1, i % 30,
                      i % 5 + 2, i % 20);
        out += line;
      }
      out += "  <note><![CDATA[checked <ok>]]></note>\n </layer>\n";
    }
    out += "</drawing>\n";
    return out;
  }();
  return text;
}

struct Result {
  double seconds = 0;
  uint64_t runs = 0;
  long peakKiB = -1;
};
std::map<std::string, Result> results;

// Parses the document once; returns a number that depends on the result so
// that nothing is optimised away.
using Parser = std::function<size_t(const std::string&)>;

size_t parseIndex(const std::string& text) {
  XmlDocument doc;
  const bool ok = doc.parseText(text.data(), text.size());
  return ok ? doc.elementIndex().size() : 0;
}

size_t parsePugi(const std::string& text) {
  pugi::xml_document doc;
  const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size());
  return result ? static_cast<size_t>(doc.first_child().type()) : 0;
}

size_t parseTinyxml2(const std::string& text) {
  tinyxml2::XMLDocument doc;
  return doc.Parse(text.data(), text.size()) == tinyxml2::XML_SUCCESS ? 1 : 0;
}

size_t parseExpat(const std::string& text) {
  size_t elements = 0;
  XML_Parser parser = XML_ParserCreate(nullptr);
  XML_SetUserData(parser, &elements);
  XML_SetElementHandler(
      parser, [](void* data, const XML_Char*, const XML_Char**) { ++*static_cast<size_t*>(data); },
      [](void*, const XML_Char*) {});
  const bool ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
  XML_ParserFree(parser);
  return ok ? elements : 0;
}

long statusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t length = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, length, field) == 0) return std::stol(line.substr(length + 1));
  return -1;
}

// Rise of resident memory while one parse runs in a fresh child process.
long peakParseKiB(const Parser& parse) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    malloc_trim(0);  // free heap memory inherited from the parent is not reused
    std::ofstream("/proc/self/clear_refs") << "5";  // restart the high-water mark
    const long before = statusKiB("VmRSS:");
    benchmark::DoNotOptimize(parse(document()));
    const long rise = statusKiB("VmHWM:") - before;
    (void)!write(fds[1], &rise, sizeof rise);
    _exit(0);
  }
  close(fds[1]);
  long rise = -1;
  if (read(fds[0], &rise, sizeof rise) != sizeof rise) rise = -1;
  close(fds[0]);
  waitpid(child, nullptr, 0);
  return rise;
}

// Processor time, which the other builds sharing the machine disturb less
// than the wall clock.
double cpuSeconds() {
  timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void run(benchmark::State& state, const std::string& name, const Parser& parse) {
  const std::string& text = document();
  Result& result = results[name];
  for (auto _ : state) {
    const double start = cpuSeconds();
    benchmark::DoNotOptimize(parse(text));
    result.seconds += cpuSeconds() - start;
    ++result.runs;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["peak_mem_per_byte"] = double(result.peakKiB) * 1024 / double(text.size());
}

const std::map<std::string, Parser> kParsers = {
    {"XmlDocument", parseIndex},
    {"pugixml", parsePugi},
    {"tinyxml2", parseTinyxml2},
    {"expat", parseExpat},
};

// Memory is measured before any timing run has grown the heap.
void measureMemory() {
  for (const auto& [name, parse] : kParsers) results[name].peakKiB = peakParseKiB(parse);
}

void BM_XmlDocument(benchmark::State& state) { run(state, "XmlDocument", parseIndex); }
void BM_pugixml(benchmark::State& state) { run(state, "pugixml", parsePugi); }
void BM_tinyxml2(benchmark::State& state) { run(state, "tinyxml2", parseTinyxml2); }
void BM_expat(benchmark::State& state) { run(state, "expat", parseExpat); }

BENCHMARK(BM_XmlDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_pugixml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_tinyxml2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_expat)->Unit(benchmark::kMillisecond);

void printSummary() {
  const double size = double(document().size());
  const auto throughput = [size](const Result& r) { return r.runs ? size * r.runs / r.seconds : 0; };
  const auto ours = results.find("XmlDocument");
  if (ours == results.end() || ours->second.runs == 0) return;
  std::printf("\ndocument: %.1f MB, %u elements\n", size / 1e6,
              static_cast<unsigned>(parseIndex(document()) - 1));
  std::printf("%-12s %10s %18s %16s\n", "parser", "MB/s", "XmlDocument speed", "peak mem / size");
  for (const auto& [name, r] : results) {
    if (!r.runs) continue;
    std::printf("%-12s %10.0f %17.2fx %16.2f\n", name.c_str(), throughput(r) / 1e6,
                throughput(ours->second) / throughput(r), double(r.peakKiB) * 1024 / size);
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  document();
  measureMemory();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printSummary();
  return 0;
}
