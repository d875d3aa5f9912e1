// Runtime classes: AcRxObject and AcRxClass, the class dictionary, and the
// classes plug-ins make and delete.
#include <cstring>
#include <set>

#include "hostapi/hostapi.h"
#include "rx/rx.h"

// --- AcRxObject / AcRxClass ---------------------------------------------------

AcRxObject::~AcRxObject() = default;

AcRxClass* AcRxObject::desc() {
  static AcRxClass* const cls = hostimpl::registerClass(new AcRxClass("AcRxObject", nullptr));
  return cls;
}
AcRxClass* AcRxObject::isA() const { return AcRxObject::desc(); }

bool AcRxObject::isKindOf(const AcRxClass* someClass) const {
  return someClass && isA()->isDerivedFrom(someClass);
}

HOST_DEFINE_MEMBERS(AcRxClass, AcRxObject)

AcRxClass::AcRxClass(const char* name, AcRxClass* parent) : parent_(parent) {
  std::strncpy(name_, name ? name : "", sizeof name_ - 1);
  name_[sizeof name_ - 1] = '\0';
}
AcRxClass::~AcRxClass() = default;

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const {
  for (const AcRxClass* c = this; c; c = c->parent_)
    if (c == other) return true;
  return false;
}

// --- class dictionary ------------------------------------------------------------

AcRxDictionary* acrxClassDictionary() {
  static AcRxDictionary* const dict = new AcRxDictionary;
  return dict;
}

AcRxClass* hostimpl::registerClass(AcRxClass* cls) {
  acrxClassDictionary()->atPut(cls->name(), cls);
  return cls;
}

namespace {
// Classes made by newAcRxClass: only these may be deleted again.
std::set<AcRxClass*>& madeClasses() {
  static std::set<AcRxClass*> made;
  return made;
}
}  // namespace

// Classes register on first use of desc(); the dictionary must list every
// host class before anyone looks a parent up by name.
void hostimpl::ensureHostClasses() {
  static const bool done = [] {
    AcRxClass* (*const all[])() = {
        &AcRxObject::desc, &AcRxClass::desc, &AcRxDictionary::desc, &AcRxDynamicLinker::desc,
        &AcDbObject::desc, &AcDbDatabase::desc, &AcDbEntity::desc, &AcDbCurve::desc,
        &AcDbLine::desc, &AcDbCircle::desc, &AcDbArc::desc, &AcDbPolyline::desc,
        &AcDbPoint::desc, &AcDbText::desc, &AcDbAttribute::desc,
        &AcDbAttributeDefinition::desc, &AcDbMText::desc, &AcDbBlockReference::desc,
        &AcDbRegion::desc, &AcDbSymbolTable::desc, &AcDbSymbolTableRecord::desc,
        &AcDbLayerTable::desc, &AcDbLayerTableRecord::desc, &AcDbBlockTable::desc,
        &AcDbBlockTableRecord::desc, &AcDbLinetypeTable::desc, &AcDbLinetypeTableRecord::desc,
        &AcDbTextStyleTable::desc, &AcDbTextStyleTableRecord::desc, &AcEdCommand::desc,
        &AcEdCommandStack::desc, &AcEdUIContext::desc, &AcApDocument::desc,
        &AcApDocManager::desc, &AcApDocManagerReactor::desc, &AcEdInputPointMonitor::desc};
    for (auto desc : all) desc();
    return true;
  }();
  (void)done;
}

AcRxClass* newAcRxClass(const char* className, const char* parentName) {
  hostimpl::ensureHostClasses();
  if (!className || !*className || acrxClassDictionary()->at(className)) return nullptr;
  AcRxClass* parent = parentName ? AcRxClass::cast(acrxClassDictionary()->at(parentName))
                                 : AcRxObject::desc();
  if (!parent) return nullptr;
  AcRxClass* cls = hostimpl::registerClass(new AcRxClass(className, parent));
  madeClasses().insert(cls);
  return cls;
}

void deleteAcRxClass(AcRxClass* someClass) {
  if (!someClass || !madeClasses().erase(someClass)) return;
  if (acrxClassDictionary()->at(someClass->name()) == someClass)
    acrxClassDictionary()->remove(someClass->name());
  delete someClass;
}

// Parents are linked when a class is made, so there is nothing to rebuild.
void acrxBuildClassHierarchy() {}
