// Points.
#include "db/db.h"
#include "rx/rx.h"

HOST_DEFINE_MEMBERS(AcDbPoint, AcDbEntity)

AcDb::Status AcDbPoint::setPosition(const AcGePoint3d& p) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  position_ = p;
  return AcDb::kOk;
}
AcDb::Status AcDbPoint::getGeomExtents(AcDbExtents& e) const {
  e = AcDbExtents();
  e.addPoint(position_);
  return AcDb::kOk;
}
AcDb::Status AcDbPoint::transformBy(const AcGeMatrix3d& m) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  position_ = m.apply(position_);
  return AcDb::kOk;
}
AcRxObject* AcDbPoint::clone() const {
  auto* copy = new AcDbPoint(position_);
  copy->copyEntityProperties(*this);
  return copy;
}
