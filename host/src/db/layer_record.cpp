// Layer records: the switches (on, frozen, locked, plottable, frozen in new
// viewports), colour, linetype, lineweight and plot style. A layer is in use
// while it is layer "0", the current layer, or any live entity is on it.
#include "db/db.h"
#include "rx/rx.h"

HOST_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord)

AcDbLayerTableRecord::AcDbLayerTableRecord() = default;

AcDb::Status AcDbLayerTableRecord::setIsOff(bool off) { HOST_SETTER(off_ = off); }
AcDb::Status AcDbLayerTableRecord::setIsFrozen(bool frozen) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  if (frozen && stub() && stub()->database->impl()->clayer == stub())
    return AcDb::kLayerIsCurrent;
  frozen_ = frozen;
  return AcDb::kOk;
}
AcDb::Status AcDbLayerTableRecord::setIsLocked(bool locked) { HOST_SETTER(locked_ = locked); }
AcDb::Status AcDbLayerTableRecord::setIsPlottable(bool p) { HOST_SETTER(plottable_ = p); }
AcDb::Status AcDbLayerTableRecord::setVPDFLT(bool frozen) { HOST_SETTER(vpdflt_ = frozen); }
AcDb::Status AcDbLayerTableRecord::setColorIndex(int color) {
  if (color < 1 || color > 255) return AcDb::kOutOfRange;
  HOST_SETTER(color_ = static_cast<std::int16_t>(color));
}
AcDbObjectId AcDbLayerTableRecord::linetypeObjectId() const {
  return AcDbObjectId(linetypeStub_);
}
AcDb::Status AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId id) {
  AcDbStub* s = id.stub();
  if (!s || !AcDbLinetypeTableRecord::cast(s->object)) return AcDb::kWrongObjectType;
  HOST_SETTER(linetypeStub_ = s);
}
AcDb::Status AcDbLayerTableRecord::setLineWeight(AcDb::LineWeight weight) {
  HOST_SETTER(lineweight_ = static_cast<std::int16_t>(weight));
}
AcDb::Status AcDbLayerTableRecord::setPlotStyleName(const char* name) {
  HOST_SETTER(plotStyle_ = name ? name : "");
}
bool AcDbLayerTableRecord::isInUse() const {
  AcDbStub* self = stub();
  if (!self) return false;
  AcDbDatabase::Impl* db = self->database->impl();
  return self == db->layerZero || self == db->clayer || hostimpl::layerInUse(self);
}
AcRxObject* AcDbLayerTableRecord::clone() const {
  auto* copy = new AcDbLayerTableRecord;
  copy->name_ = name_;
  copy->plotStyle_ = plotStyle_;
  copy->color_ = color_;
  copy->lineweight_ = lineweight_;
  copy->off_ = off_, copy->frozen_ = frozen_, copy->locked_ = locked_;
  copy->plottable_ = plottable_, copy->vpdflt_ = vpdflt_;
  copy->linetypeStub_ = linetypeStub_;
  return copy;
}
