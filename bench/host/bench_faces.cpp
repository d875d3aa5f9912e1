// The face finder on the pieces of an n x n grid of crossing lines, each
// line cut at every crossing: (n - 1)^2 cells, 2n(n + 1) pieces (the ends
// stick out and bound nothing). The pieces are given in shuffled order, as a
// command collecting them curve by curve would not give them in any helpful
// order. The counters give pieces and faces; time per piece shows the
// growth (n log n: about flat).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "geometry/geometry.h"

namespace {

using namespace hostimpl::geometry;

std::vector<PlaneEdge> gridPieces(int n) {
  std::vector<PlaneEdge> edges;
  for (int i = 0; i < n; ++i)
    for (int k = -1; k < n; ++k) {
      const double a = k < 0 ? -0.5 : k, b = k + 1 < n ? k + 1 : n - 0.5;
      edges.push_back({{a, double(i), 0}, {b, double(i), 0}, 0});
      edges.push_back({{double(i), a, 0}, {double(i), b, 0}, 0});
    }
  std::shuffle(edges.begin(), edges.end(), std::mt19937(1));
  return edges;
}

void BM_FacesOfAGrid(benchmark::State& state) {
  const std::vector<PlaneEdge> edges = gridPieces(static_cast<int>(state.range(0)));
  size_t faces = 0;
  for (auto _ : state) faces = boundedFaces(edges).size();
  state.counters["pieces"] = static_cast<double>(edges.size());
  state.counters["faces"] = static_cast<double>(faces);
  state.counters["ns_per_piece"] = benchmark::Counter(
      static_cast<double>(edges.size()), benchmark::Counter::kIsIterationInvariantRate |
                                             benchmark::Counter::kInvert);
}

BENCHMARK(BM_FacesOfAGrid)->Arg(10)->Arg(50)->Arg(100)->Arg(250)->Arg(500)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
