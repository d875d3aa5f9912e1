// Multi-line texts; the box counts lines split at "\\P" and line feeds.
#include <algorithm>
#include <cmath>

#include "db/db.h"
#include "rx/rx.h"

using namespace hostimpl::geometry;

HOST_DEFINE_MEMBERS(AcDbMText, AcDbEntity)

AcDb::Status AcDbMText::setLocation(const AcGePoint3d& p) { HOST_SETTER(location_ = p); }
AcDb::Status AcDbMText::setContents(const char* text) {
  HOST_SETTER(contents_ = text ? text : "");
}
AcDb::Status AcDbMText::setTextHeight(double h) {
  if (!(h > 0)) return AcDb::kInvalidInput;
  HOST_SETTER(height_ = h);
}
AcDb::Status AcDbMText::setWidth(double w) { HOST_SETTER(width_ = w); }
AcDb::Status AcDbMText::setRotation(double r) { HOST_SETTER(rotation_ = r); }
AcDb::Status AcDbMText::setAttachment(int a) {
  if (a < 1 || a > 9) return AcDb::kInvalidInput;
  HOST_SETTER(attachment_ = static_cast<std::int8_t>(a));
}
AcDbObjectId AcDbMText::textStyle() const { return AcDbObjectId(style_); }
AcDb::Status AcDbMText::setTextStyle(AcDbObjectId style) {
  if (!style.isNull() && !AcDbTextStyleTableRecord::cast(style.stub()->object))
    return AcDb::kWrongObjectType;
  HOST_SETTER(style_ = style.stub());
}

namespace hostimpl {
// Box of a multi-line text: lines split at "\P" and newlines.
void mtextBox(const AcDbMText* m, AcGePoint3d corners[4]) {
  std::string_view text = m->contents();
  size_t lines = 1, longest = 0, current = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'P')) {
      ++lines;
      longest = std::max(longest, current);
      current = 0;
      if (text[i] == '\\') ++i;
    } else {
      ++current;
    }
  }
  longest = std::max(longest, current);
  double h = m->textHeight();
  double width = m->width() > 0 ? m->width() : 0.5 * h * static_cast<double>(longest);
  double height = h * (1 + 1.67 * static_cast<double>(lines - 1));
  int a = m->attachment();
  double ox = -width * ((a - 1) % 3) / 2.0;
  double oy = -height * (1 - ((a - 1) / 3) / 2.0);
  double c = std::cos(m->rotation()), s = std::sin(m->rotation());
  const double xs[4] = {ox, ox + width, ox + width, ox};
  const double ys[4] = {oy, oy, oy + height, oy + height};
  AcGePoint3d ref = m->location();
  for (int i = 0; i < 4; ++i)
    corners[i] = {ref.x + xs[i] * c - ys[i] * s, ref.y + xs[i] * s + ys[i] * c, ref.z};
}
}  // namespace hostimpl

AcDb::Status AcDbMText::getGeomExtents(AcDbExtents& e) const {
  AcGePoint3d box[4];
  hostimpl::mtextBox(this, box);
  e = AcDbExtents();
  for (const auto& p : box) e.addPoint(p);
  return AcDb::kOk;
}
AcDb::Status AcDbMText::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  bool mirrored;
  double s = planarScale(m, mirrored);
  rotation_ = transformedAngle(m, rotation_);
  height_ *= s, width_ *= s;
  location_ = m.apply(location_);
  return AcDb::kOk;
}
AcRxObject* AcDbMText::clone() const {
  auto* copy = new AcDbMText;
  copy->copyEntityProperties(*this);
  copy->contents_ = contents_;
  copy->location_ = location_;
  copy->height_ = height_, copy->width_ = width_, copy->rotation_ = rotation_;
  copy->style_ = style_, copy->attachment_ = attachment_;
  return copy;
}
