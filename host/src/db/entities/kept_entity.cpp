// Entities of kinds the host keeps without modelling them: their type, groups and a runtime
// class of their own per type, named after the file's subclass ("AcDbEllipse").
#include <map>

#include "db/db.h"
#include "geometry/geometry.h"
#include "rx/rx.h"

AcRxClass* AcDbKeptEntity::desc() {
  static AcRxClass* const cls =
      hostimpl::registerClass(new AcRxClass("AcDbKeptEntity", AcDbEntity::desc()));
  return cls;
}
AcRxClass* AcDbKeptEntity::isA() const { return class_; }

namespace {

// The registered class of that name, when it is one of the kept entities' classes.
AcRxClass* keptClassNamed(const std::string& name) {
  AcRxClass* known = AcRxClass::cast(acrxClassDictionary()->at(name.c_str()));
  return known && known->isDerivedFrom(AcDbKeptEntity::desc()) ? known : nullptr;
}

// One class per type, made on first use and never freed, like every host class.
AcRxClass* classOf(const std::string& type, const AcDbKeptEntity::Groups& groups) {
  static std::map<std::string, AcRxClass*>* classes = new std::map<std::string, AcRxClass*>;
  auto found = classes->find(type);
  if (found != classes->end()) return found->second;
  // The subclass marker after AcDbEntity names the class, as the file says it.
  std::string name;
  for (const auto& [code, value] : groups)
    if (code == 100) {
      name = value;
      break;
    }
  // A file may give a kept kind the subclass of a modelled one ("AcDbText"); the kept entity must
  // not pass for that, or a cast would hand out the wrong object, nor take its name before the
  // host's own class is made.
  hostimpl::ensureHostClasses();
  const bool takenByAnother = acrxClassDictionary()->has(name.c_str()) && !keptClassNamed(name);
  if (name.empty() || name == "AcDbEntity" || takenByAnother) name = "AcDbKept" + type;
  AcRxClass* cls = keptClassNamed(name);
  if (!cls) cls = hostimpl::registerClass(new AcRxClass(name.c_str(), AcDbKeptEntity::desc()));
  classes->emplace(type, cls);
  return cls;
}

}  // namespace

AcDbKeptEntity::AcDbKeptEntity(const char* dxfType, Groups groups)
    : type_(dxfType ? dxfType : ""), groups_(std::move(groups)), class_(classOf(type_, groups_)) {}

AcDb::Status AcDbKeptEntity::getGeomExtents(AcDbExtents& extents) const {
  extents = AcDbExtents();
  for (const AcGePoint3d& p : hostimpl::geometry::keptBoundingPoints(type_, groups_)) extents.addPoint(p);
  return AcDb::kOk;
}

AcDb::Status AcDbKeptEntity::transformBy(const AcGeMatrix3d&) {
  if (!canWrite()) return AcDb::kNotOpenForWrite;
  return AcDb::kNotApplicable;
}

AcRxObject* AcDbKeptEntity::clone() const {
  auto* copy = new AcDbKeptEntity(type_.c_str(), groups_);
  copy->copyEntityProperties(*this);
  return copy;
}
