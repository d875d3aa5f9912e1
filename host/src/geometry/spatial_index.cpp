// The spatial index over Boost.Geometry's R-tree (R*-tree splits, up to 16
// entries a node). Values are (box, key); a query collects the keys of the
// boxes that meet the query box and sorts them, so callers see entities in
// drawing order whatever the tree's layout.
#include <algorithm>

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

#include "geometry/geometry.h"

namespace hostimpl::geometry {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

namespace {
using TreePoint = bg::model::point<double, 2, bg::cs::cartesian>;
using TreeBox = bg::model::box<TreePoint>;
using Value = std::pair<TreeBox, std::uint32_t>;

TreeBox toTreeBox(const Box& b) { return TreeBox({b.minX, b.minY}, {b.maxX, b.maxY}); }
}  // namespace

struct SpatialIndex::Tree {
  bgi::rtree<Value, bgi::rstar<16>> rtree;
};

SpatialIndex::SpatialIndex() : tree_(std::make_unique<Tree>()) {}
SpatialIndex::~SpatialIndex() = default;
SpatialIndex::SpatialIndex(SpatialIndex&&) noexcept = default;
SpatialIndex& SpatialIndex::operator=(SpatialIndex&&) noexcept = default;

void SpatialIndex::assign(const std::vector<std::pair<Box, std::uint32_t>>& entries) {
  std::vector<Value> values;
  values.reserve(entries.size());
  for (const auto& [box, key] : entries)
    if (!box.isEmpty()) values.emplace_back(toTreeBox(box), key);
  // The range constructor packs the tree in one pass.
  tree_->rtree = bgi::rtree<Value, bgi::rstar<16>>(values.begin(), values.end());
}

void SpatialIndex::insert(const Box& box, std::uint32_t key) {
  if (!box.isEmpty()) tree_->rtree.insert(Value(toTreeBox(box), key));
}

bool SpatialIndex::remove(const Box& box, std::uint32_t key) {
  return !box.isEmpty() && tree_->rtree.remove(Value(toTreeBox(box), key)) > 0;
}

void SpatialIndex::query(const Box& query, std::vector<std::uint32_t>& out) const {
  if (query.isEmpty()) return;
  size_t first = out.size();
  for (auto it = tree_->rtree.qbegin(bgi::intersects(toTreeBox(query)));
       it != tree_->rtree.qend(); ++it)
    out.push_back(it->second);
  std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
}

std::size_t SpatialIndex::size() const { return tree_->rtree.size(); }

Box SpatialIndex::bounds() const {
  if (tree_->rtree.empty()) return Box();
  const TreeBox b = tree_->rtree.bounds();
  return Box{b.min_corner().get<0>(), b.min_corner().get<1>(), b.max_corner().get<0>(),
             b.max_corner().get<1>()};
}

}  // namespace hostimpl::geometry
