// Geometry values of the host interface: points, vectors, matrices and the
// growable array the host uses for ids, points and entity pointers.
//
// Everything here is header-only value code. Coordinates are drawing units;
// angles are radians. AcArray keeps insertion order and never removes
// duplicates on its own.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

// Tolerances of point and vector comparisons. equalPoint is the host's one
// geometric tolerance, the same that its intersections, on-curve tests and
// cuts use: 1e-6 drawing units.
struct AcGeTol {
  double equalPoint = 1e-6;
  double equalVector = 1e-12;
};
namespace AcGeContext {
inline const AcGeTol gTol{};
}

struct AcGeVector3d {
  double x = 0, y = 0, z = 0;
  AcGeVector3d() = default;
  AcGeVector3d(double ax, double ay, double az) : x(ax), y(ay), z(az) {}
  double length() const { return std::sqrt(x * x + y * y + z * z); }
  double dotProduct(const AcGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
  AcGeVector3d crossProduct(const AcGeVector3d& v) const {
    return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
  }
  AcGeVector3d normal() const {
    double len = length();
    return len > 0 ? AcGeVector3d{x / len, y / len, z / len} : *this;
  }
  AcGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
  AcGeVector3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGeVector3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-() const { return {-x, -y, -z}; }
  bool operator==(const AcGeVector3d&) const = default;
  static const AcGeVector3d kXAxis, kYAxis, kZAxis;
};
inline const AcGeVector3d AcGeVector3d::kXAxis{1, 0, 0};
inline const AcGeVector3d AcGeVector3d::kYAxis{0, 1, 0};
inline const AcGeVector3d AcGeVector3d::kZAxis{0, 0, 1};

struct AcGePoint2d {
  double x = 0, y = 0;
  AcGePoint2d() = default;
  AcGePoint2d(double ax, double ay) : x(ax), y(ay) {}
  double distanceTo(const AcGePoint2d& p) const { return std::hypot(x - p.x, y - p.y); }
  bool operator==(const AcGePoint2d&) const = default;
};

class AcGeMatrix3d;

struct AcGePoint3d {
  double x = 0, y = 0, z = 0;
  AcGePoint3d() = default;
  AcGePoint3d(double ax, double ay, double az) : x(ax), y(ay), z(az) {}
  double distanceTo(const AcGePoint3d& p) const {
    double dx = x - p.x, dy = y - p.y, dz = z - p.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  bool isEqualTo(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const {
    return distanceTo(p) <= tol.equalPoint;
  }
  AcGePoint3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  AcGePoint3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
  AcGeVector3d operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
  bool operator==(const AcGePoint3d&) const = default;
  AcGePoint3d& transformBy(const AcGeMatrix3d& m);
  static const AcGePoint3d kOrigin;
};
inline const AcGePoint3d AcGePoint3d::kOrigin{0, 0, 0};

struct AcGeScale3d {
  double sx = 1, sy = 1, sz = 1;
  AcGeScale3d() = default;
  AcGeScale3d(double a, double b, double c) : sx(a), sy(b), sz(c) {}
  bool operator==(const AcGeScale3d&) const = default;
};

// Affine transformation, row-major; points are column vectors.
class AcGeMatrix3d {
 public:
  double entry[4][4];
  AcGeMatrix3d() { setToIdentity(); }
  AcGeMatrix3d& setToIdentity() {
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) entry[r][c] = r == c ? 1.0 : 0.0;
    return *this;
  }
  static AcGeMatrix3d translation(const AcGeVector3d& v) {
    AcGeMatrix3d m;
    m.entry[0][3] = v.x, m.entry[1][3] = v.y, m.entry[2][3] = v.z;
    return m;
  }
  static AcGeMatrix3d scaling(const AcGeScale3d& s) {
    AcGeMatrix3d m;
    m.entry[0][0] = s.sx, m.entry[1][1] = s.sy, m.entry[2][2] = s.sz;
    return m;
  }
  // Rotation about the Z axis through the origin.
  static AcGeMatrix3d rotationZ(double angle) {
    AcGeMatrix3d m;
    double c = std::cos(angle), s = std::sin(angle);
    m.entry[0][0] = c, m.entry[0][1] = -s, m.entry[1][0] = s, m.entry[1][1] = c;
    return m;
  }
  AcGeMatrix3d operator*(const AcGeMatrix3d& b) const {
    AcGeMatrix3d r;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) {
        double sum = 0;
        for (int k = 0; k < 4; ++k) sum += entry[i][k] * b.entry[k][j];
        r.entry[i][j] = sum;
      }
    return r;
  }
  AcGePoint3d apply(const AcGePoint3d& p) const {
    return {entry[0][0] * p.x + entry[0][1] * p.y + entry[0][2] * p.z + entry[0][3],
            entry[1][0] * p.x + entry[1][1] * p.y + entry[1][2] * p.z + entry[1][3],
            entry[2][0] * p.x + entry[2][1] * p.y + entry[2][2] * p.z + entry[2][3]};
  }
  // Inverse of an affine matrix; the identity when it is singular.
  AcGeMatrix3d inverse() const;
};

inline AcGePoint3d& AcGePoint3d::transformBy(const AcGeMatrix3d& m) {
  *this = m.apply(*this);
  return *this;
}

inline AcGeMatrix3d AcGeMatrix3d::inverse() const {
  const double(*a)[4] = entry;
  double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
               a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  AcGeMatrix3d r;
  if (det == 0 || !std::isfinite(det)) return r;
  double inv = 1.0 / det;
  r.entry[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) * inv;
  r.entry[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * inv;
  r.entry[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * inv;
  r.entry[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) * inv;
  r.entry[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * inv;
  r.entry[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * inv;
  r.entry[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) * inv;
  r.entry[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * inv;
  r.entry[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * inv;
  for (int i = 0; i < 3; ++i)
    r.entry[i][3] = -(r.entry[i][0] * a[0][3] + r.entry[i][1] * a[1][3] + r.entry[i][2] * a[2][3]);
  return r;
}

// The host's growable array. Indexes are int, as callers loop with int.
template <typename T>
class AcArray {
 public:
  AcArray() = default;
  explicit AcArray(int reserve) { items_.reserve(reserve > 0 ? reserve : 0); }
  int length() const { return static_cast<int>(items_.size()); }
  int logicalLength() const { return length(); }
  bool isEmpty() const { return items_.empty(); }
  int append(const T& value) {
    items_.push_back(value);
    return length() - 1;
  }
  AcArray& append(const AcArray& other) {
    items_.insert(items_.end(), other.items_.begin(), other.items_.end());
    return *this;
  }
  AcArray& insertAt(int index, const T& value) {
    items_.insert(items_.begin() + index, value);
    return *this;
  }
  AcArray& removeAt(int index) {
    items_.erase(items_.begin() + index);
    return *this;
  }
  AcArray& removeAll() {
    items_.clear();
    return *this;
  }
  AcArray& setLogicalLength(int n) {
    items_.resize(n > 0 ? n : 0);
    return *this;
  }
  T& at(int i) { return items_.at(i); }
  const T& at(int i) const { return items_.at(i); }
  T& operator[](int i) { return items_[i]; }
  const T& operator[](int i) const { return items_[i]; }
  T& first() { return items_.front(); }
  T& last() { return items_.back(); }
  const T& first() const { return items_.front(); }
  const T& last() const { return items_.back(); }
  bool find(const T& value, int& index, int start = 0) const {
    for (int i = start; i < length(); ++i)
      if (items_[i] == value) return index = i, true;
    return false;
  }
  bool contains(const T& value) const {
    int index;
    return find(value, index);
  }
  AcArray& reverse() {
    std::reverse(items_.begin(), items_.end());
    return *this;
  }
  T* asArrayPtr() { return items_.data(); }
  const T* asArrayPtr() const { return items_.data(); }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T> items_;
};

using AcGePoint3dArray = AcArray<AcGePoint3d>;
using AcGePoint2dArray = AcArray<AcGePoint2d>;
using AcGeDoubleArray = AcArray<double>;
using AcDbVoidPtrArray = AcArray<void*>;

#pragma GCC visibility pop
