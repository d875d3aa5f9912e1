// Runtime classes, dictionaries, the system registry and the dynamic linker.
//
// Class descriptors are made on first use of desc() and live for the whole
// process; the registry holds the host's three services from the first call
// of acrxSysRegistry() on.
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "internal.h"
#include "rxdefine.h"

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

// --- AcRxDictionary -------------------------------------------------------------

struct AcRxDictionary::Impl {
  std::map<std::string, AcRxObject*> entries;
};

HOST_DEFINE_MEMBERS(AcRxDictionary, AcRxObject)

AcRxDictionary::AcRxDictionary() : impl_(new Impl) {}
AcRxDictionary::~AcRxDictionary() { delete impl_; }

AcRxObject* AcRxDictionary::at(const char* key) const {
  if (!key) return nullptr;
  auto it = impl_->entries.find(key);
  return it == impl_->entries.end() ? nullptr : it->second;
}

AcRxObject* AcRxDictionary::atPut(const char* key, AcRxObject* obj) {
  if (!key) return nullptr;
  AcRxObject*& slot = impl_->entries[key];
  AcRxObject* old = slot;
  slot = obj;
  return old;
}

AcRxObject* AcRxDictionary::remove(const char* key) {
  if (!key) return nullptr;
  auto it = impl_->entries.find(key);
  if (it == impl_->entries.end()) return nullptr;
  AcRxObject* old = it->second;
  impl_->entries.erase(it);
  return old;
}

int AcRxDictionary::numEntries() const { return static_cast<int>(impl_->entries.size()); }

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
static void ensureHostClasses() {
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
  ensureHostClasses();
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

// --- dynamic linker ----------------------------------------------------------------

HOST_DEFINE_MEMBERS(AcRxDynamicLinker, AcRxObject)


bool AcRxDynamicLinker::unlockApplication(void* appId) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(appId);
  if (!m) return false;
  m->unlocked = true;
  return true;
}
bool AcRxDynamicLinker::lockApplication(void* appId) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(appId);
  if (!m) return false;
  m->unlocked = false;
  return true;
}
bool AcRxDynamicLinker::isApplicationLocked(const char* appName) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(GetModuleHandleA(appName));
  return m && !m->unlocked;
}
bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(appId);
  if (!m) return false;
  m->mdiAware = true;
  return true;
}
bool AcRxDynamicLinker::registerAppNotMDIAware(void* appId) const {
  hostimpl::Module* m = hostimpl::moduleFromAppId(appId);
  if (!m) return false;
  m->mdiAware = false;
  return true;
}

AcRxDynamicLinker* acrxDynamicLinker() {
  static AcRxDynamicLinker* const linker = new AcRxDynamicLinker;
  return linker;
}

// --- system registry ----------------------------------------------------------------

AcRxDictionary* acrxSysRegistry() {
  static AcRxDictionary* const registry = [] {
    auto* dict = new AcRxDictionary;
    dict->atPut("DynamicLinker", acrxDynamicLinker());
    dict->atPut("ACAD_REGISTERED_COMMANDS", acedRegCmds());
    dict->atPut("ClassDictionary", acrxClassDictionary());
    ensureHostClasses();
    return dict;
  }();
  return registry;
}
