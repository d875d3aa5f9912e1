// Linetype and text style records.
#include "db/db.h"
#include "rx/rx.h"

HOST_DEFINE_MEMBERS(AcDbLinetypeTableRecord, AcDbSymbolTableRecord)

AcDb::Status AcDbLinetypeTableRecord::setComments(const char* text) {
  HOST_SETTER(comments_ = text ? text : "");
}
AcDb::Status AcDbLinetypeTableRecord::setDashes(const AcGeDoubleArray& dashes) {
  HOST_SETTER(dashes_ = dashes);
}
double AcDbLinetypeTableRecord::patternLength() const {
  double sum = 0;
  for (double d : dashes_) sum += d < 0 ? -d : d;
  return sum;
}
AcRxObject* AcDbLinetypeTableRecord::clone() const {
  auto* copy = new AcDbLinetypeTableRecord;
  copy->name_ = name_;
  copy->comments_ = comments_;
  copy->dashes_ = dashes_;
  return copy;
}

HOST_DEFINE_MEMBERS(AcDbTextStyleTableRecord, AcDbSymbolTableRecord)

AcDb::Status AcDbTextStyleTableRecord::setFileName(const char* font) {
  HOST_SETTER(font_ = font ? font : "");
}
AcDb::Status AcDbTextStyleTableRecord::setBigFontFileName(const char* font) {
  HOST_SETTER(bigFont_ = font ? font : "");
}
AcDb::Status AcDbTextStyleTableRecord::setTextSize(double size) { HOST_SETTER(size_ = size); }
AcDb::Status AcDbTextStyleTableRecord::setXScale(double scale) { HOST_SETTER(xscale_ = scale); }
AcDb::Status AcDbTextStyleTableRecord::setObliquingAngle(double angle) { HOST_SETTER(oblique_ = angle); }
AcDb::Status AcDbTextStyleTableRecord::setFlagBits(int flags) { HOST_SETTER(flags_ = flags); }
AcDb::Status AcDbTextStyleTableRecord::setTextGenerationFlags(int flags) {
  HOST_SETTER(generation_ = flags);
}
AcDb::Status AcDbTextStyleTableRecord::setPriorSize(double size) { HOST_SETTER(priorSize_ = size); }
AcRxObject* AcDbTextStyleTableRecord::clone() const {
  auto* copy = new AcDbTextStyleTableRecord;
  copy->name_ = name_;
  copy->font_ = font_, copy->bigFont_ = bigFont_;
  copy->size_ = size_, copy->xscale_ = xscale_, copy->oblique_ = oblique_;
  copy->priorSize_ = priorSize_, copy->flags_ = flags_, copy->generation_ = generation_;
  return copy;
}
