// Attribute definitions inside block definitions.
#include "db/db.h"
#include "rx/rx.h"

HOST_DEFINE_MEMBERS(AcDbAttributeDefinition, AcDbText)

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const char* text,
                                                 const char* tag, const char* prompt,
                                                 AcDbObjectId style)
    : AcDbText(position, text, style), tag_(tag ? tag : ""), prompt_(prompt ? prompt : "") {}
AcDb::Status AcDbAttributeDefinition::setTag(const char* tag) {
  HOST_SETTER(tag_ = tag ? tag : "");
}
AcDb::Status AcDbAttributeDefinition::setPrompt(const char* prompt) {
  HOST_SETTER(prompt_ = prompt ? prompt : "");
}
AcDb::Status AcDbAttributeDefinition::setInvisible(bool invisible) {
  HOST_SETTER(attInvisible_ = invisible);
}
AcDb::Status AcDbAttributeDefinition::setConstant(bool constant) {
  HOST_SETTER(constant_ = constant);
}
AcRxObject* AcDbAttributeDefinition::clone() const {
  auto* copy = new AcDbAttributeDefinition;
  copy->copyTextFrom(*this);
  copy->tag_ = tag_, copy->prompt_ = prompt_;
  copy->attInvisible_ = attInvisible_, copy->constant_ = constant_;
  return copy;
}
