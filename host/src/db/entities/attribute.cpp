// Attributes of block references: texts with a tag.
#include "db/db.h"
#include "rx/rx.h"

HOST_DEFINE_MEMBERS(AcDbAttribute, AcDbText)

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag,
                             AcDbObjectId style)
    : AcDbText(position, text, style), tag_(tag ? tag : "") {}
AcDb::Status AcDbAttribute::setTag(const char* tag) { HOST_SETTER(tag_ = tag ? tag : ""); }
AcDb::Status AcDbAttribute::setInvisible(bool invisible) { HOST_SETTER(attInvisible_ = invisible); }
AcRxObject* AcDbAttribute::clone() const {
  auto* copy = new AcDbAttribute;
  copy->copyTextFrom(*this);
  copy->tag_ = tag_;
  copy->attInvisible_ = attInvisible_;
  return copy;
}
