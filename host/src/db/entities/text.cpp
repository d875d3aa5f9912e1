// Single-line texts. The box used for picking and windows is the
// insertion point plus height by (bytes x 0.5 height x width factor) width,
// rotated, placed by the alignment modes.
#include <algorithm>
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbText, AcDbEntity)

AcDbText::AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style,
                   double height, double rotation)
    : text_(text ? text : ""), position_(position), alignment_(position),
      height_(height > 0 ? height : 2.5), rotation_(rotation), style_(style.stub()) {}

AcDb::Status AcDbText::setPosition(const AcGePoint3d& p) { HOST_SETTER(position_ = p); }
AcDb::Status AcDbText::setAlignmentPoint(const AcGePoint3d& p) { HOST_SETTER(alignment_ = p); }
AcDb::Status AcDbText::setHorizontalMode(int mode) {
  HOST_SETTER(hmode_ = static_cast<std::int8_t>(std::clamp(mode, 0, 5)));
}
AcDb::Status AcDbText::setVerticalMode(int mode) {
  HOST_SETTER(vmode_ = static_cast<std::int8_t>(std::clamp(mode, 0, 3)));
}
AcDb::Status AcDbText::setTextString(const char* text) { HOST_SETTER(text_ = text ? text : ""); }
AcDb::Status AcDbText::setHeight(double h) {
  if (!(h > 0)) return AcDb::kInvalidInput;
  HOST_SETTER(height_ = h);
}
AcDb::Status AcDbText::setRotation(double r) { HOST_SETTER(rotation_ = r); }
AcDb::Status AcDbText::setWidthFactor(double w) {
  if (!(w > 0)) return AcDb::kInvalidInput;
  HOST_SETTER(widthFactor_ = w);
}
AcDbObjectId AcDbText::textStyle() const { return AcDbObjectId(style_); }
AcDb::Status AcDbText::setTextStyle(AcDbObjectId style) {
  if (!style.isNull() && !AcDbTextStyleTableRecord::cast(style.stub()->object))
    return AcDb::kWrongObjectType;
  HOST_SETTER(style_ = style.stub());
}

void AcDbText::textBox(AcGePoint3d corners[4]) const {
  double width = 0.5 * height_ * widthFactor_ * static_cast<double>(text_.size());
  double h = height_;
  // Offset of the box's lower left corner from the reference point.
  double ox = 0, oy = 0;
  AcGePoint3d ref = position_;
  bool aligned = hmode_ != 0 || vmode_ != 0;
  if (aligned) {
    ref = alignment_;
    if (hmode_ == 1 || hmode_ == 4) ox = -width / 2;
    if (hmode_ == 2) ox = -width;
    if (vmode_ == 2 || hmode_ == 4) oy = -h / 2;
    if (vmode_ == 3) oy = -h;
    if (hmode_ == 3 || hmode_ == 5) ref = position_, ox = 0;  // aligned / fit: from the start
  }
  double c = std::cos(rotation_), s = std::sin(rotation_);
  const double xs[4] = {ox, ox + width, ox + width, ox};
  const double ys[4] = {oy, oy, oy + h, oy + h};
  for (int i = 0; i < 4; ++i)
    corners[i] = {ref.x + xs[i] * c - ys[i] * s, ref.y + xs[i] * s + ys[i] * c, ref.z};
}

AcDb::Status AcDbText::getGeomExtents(AcDbExtents& e) const {
  AcGePoint3d box[4];
  textBox(box);
  e = AcDbExtents();
  for (const auto& p : box) e.addPoint(p);
  return AcDb::kOk;
}

AcDb::Status AcDbText::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  bool mirrored;
  double s = planarScale(m, mirrored);
  rotation_ = transformedAngle(m, rotation_);
  height_ *= s;
  position_ = m.apply(position_);
  alignment_ = m.apply(alignment_);
  return AcDb::kOk;
}

void AcDbText::copyTextFrom(const AcDbText& o) {
  copyEntityProperties(o);
  text_ = o.text_;
  position_ = o.position_, alignment_ = o.alignment_;
  height_ = o.height_, rotation_ = o.rotation_, widthFactor_ = o.widthFactor_;
  style_ = o.style_;
  hmode_ = o.hmode_, vmode_ = o.vmode_;
}

AcRxObject* AcDbText::clone() const {
  auto* copy = new AcDbText;
  copy->copyTextFrom(*this);
  return copy;
}
