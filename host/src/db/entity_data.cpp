// The entity data that acdbEntGet returns, and walking model space by
// entity name.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "db/db.h"

using hostimpl::mallocCopy;

namespace {

struct ChainBuilder {
  AcEdResBuf* head = nullptr;
  AcEdResBuf** tail = &head;
  AcEdResBuf* add(int type) {
    AcEdResBuf* rb = acutNewRb(type);
    *tail = rb;
    tail = &rb->next;
    return rb;
  }
  void str(int type, const char* s) { add(type)->value.string = mallocCopy(s); }
  void point(int type, const AcGePoint3d& p) {
    AcEdResBuf* rb = add(type);
    rb->value.point[0] = p.x, rb->value.point[1] = p.y, rb->value.point[2] = p.z;
  }
  void real(int type, double v) { add(type)->value.real = v; }
  void shortValue(int type, int v) { add(type)->value.shortValue = static_cast<std::int16_t>(v); }
  void longValue(int type, int v) { add(type)->value.longValue = v; }
  void name(int type, const AcDbStub* s) { hostimpl::nameFromStub(s, add(type)->value.name); }
};

double degrees(double radians) { return radians * 180.0 / hostimpl::geometry::kPi; }

void textGroups(ChainBuilder& b, const AcDbText* t) {
  b.point(10, t->position());
  b.real(40, t->height());
  b.str(1, t->textString());
  if (t->rotation() != 0) b.real(50, degrees(t->rotation()));
  if (t->widthFactor() != 1) b.real(41, t->widthFactor());
  b.str(7, hostimpl::recordName(t->textStyle().stub()));
  if (t->horizontalMode()) b.shortValue(72, t->horizontalMode());
  if (t->horizontalMode() || t->verticalMode()) b.point(11, t->alignmentPoint());
}

// A kept entity's groups as the file gave them; x, y and z of a point are one element.
void keptGroups(ChainBuilder& b, const AcDbKeptEntity* kept) {
  const AcDbKeptEntity::Groups& groups = kept->groups();
  for (size_t i = 0; i < groups.size(); ++i) {
    const auto& [code, value] = groups[i];
    switch (acutValueKind(code)) {
      case AcEdValueKind::kPoint: {
        AcGePoint3d p(std::strtod(value.c_str(), nullptr), 0, 0);
        if (i + 1 < groups.size() && groups[i + 1].first == code + 10)
          p.y = std::strtod(groups[++i].second.c_str(), nullptr);
        if (i + 1 < groups.size() && groups[i + 1].first == code + 20)
          p.z = std::strtod(groups[++i].second.c_str(), nullptr);
        b.point(code, p);
        break;
      }
      case AcEdValueKind::kReal: b.real(code, std::strtod(value.c_str(), nullptr)); break;
      case AcEdValueKind::kShort: b.shortValue(code, std::atoi(value.c_str())); break;
      case AcEdValueKind::kLong: b.longValue(code, static_cast<int>(std::strtol(value.c_str(), nullptr, 10))); break;
      case AcEdValueKind::kString: b.str(code, value.c_str()); break;
      default: break;
    }
  }
}

void geometryGroups(ChainBuilder& b, const AcDbEntity* ent) {
  AcRxClass* c = ent->isA();
  if (auto* kept = AcDbKeptEntity::cast(ent)) {
    keptGroups(b, kept);
    return;
  }
  if (c == AcDbLine::desc()) {
    auto* l = static_cast<const AcDbLine*>(ent);
    b.point(10, l->startPoint());
    b.point(11, l->endPoint());
  } else if (c == AcDbCircle::desc()) {
    auto* ci = static_cast<const AcDbCircle*>(ent);
    b.point(10, ci->center());
    b.real(40, ci->radius());
  } else if (c == AcDbArc::desc()) {
    auto* a = static_cast<const AcDbArc*>(ent);
    b.point(10, a->center());
    b.real(40, a->radius());
    b.real(50, degrees(a->startAngle()));
    b.real(51, degrees(a->endAngle()));
  } else if (c == AcDbPolyline::desc()) {
    auto* pl = static_cast<const AcDbPolyline*>(ent);
    b.longValue(90, static_cast<int>(pl->numVerts()));
    b.shortValue(70, pl->isClosed() ? 1 : 0);
    b.real(43, pl->constantWidth());
    b.real(38, pl->elevation());
    for (unsigned i = 0; i < pl->numVerts(); ++i) {
      AcGePoint2d p;
      double bulge, sw, ew;
      pl->getPointAt(i, p);
      pl->getBulgeAt(i, bulge);
      pl->getWidthsAt(i, sw, ew);
      AcEdResBuf* rb = b.add(10);
      rb->value.point[0] = p.x, rb->value.point[1] = p.y, rb->value.point[2] = 0;
      b.real(40, sw);
      b.real(41, ew);
      b.real(42, bulge);
    }
  } else if (c == AcDbPoint::desc()) {
    b.point(10, static_cast<const AcDbPoint*>(ent)->position());
  } else if (c == AcDbText::desc()) {
    textGroups(b, static_cast<const AcDbText*>(ent));
  } else if (c == AcDbAttribute::desc()) {
    auto* a = static_cast<const AcDbAttribute*>(ent);
    textGroups(b, a);
    b.str(2, a->tag());
    b.shortValue(70, a->isInvisible() ? 1 : 0);
  } else if (c == AcDbAttributeDefinition::desc()) {
    auto* a = static_cast<const AcDbAttributeDefinition*>(ent);
    textGroups(b, a);
    b.str(3, a->prompt());
    b.str(2, a->tag());
    b.shortValue(70, (a->isInvisible() ? 1 : 0) | (a->isConstant() ? 2 : 0));
  } else if (c == AcDbMText::desc()) {
    auto* m = static_cast<const AcDbMText*>(ent);
    b.point(10, m->location());
    b.real(40, m->textHeight());
    b.real(41, m->width());
    b.shortValue(71, m->attachment());
    b.str(1, m->contents());
    b.str(7, hostimpl::recordName(m->textStyle().stub()));
    if (m->rotation() != 0) b.real(50, degrees(m->rotation()));
  } else if (c == AcDbBlockReference::desc()) {
    auto* r = static_cast<const AcDbBlockReference*>(ent);
    if (!r->attributes_.empty()) b.shortValue(66, 1);
    b.str(2, hostimpl::recordName(r->blockTableRecord().stub()));
    b.point(10, r->position());
    AcGeScale3d s = r->scaleFactors();
    b.real(41, s.sx);
    b.real(42, s.sy);
    b.real(43, s.sz);
    b.real(50, degrees(r->rotation()));
  }
}

}  // namespace

AcEdResBuf* acdbEntGet(const AcEdName ent) {
  AcDbStub* stub = hostimpl::stubFromName(ent);
  auto* entity = stub ? AcDbEntity::cast(stub->object) : nullptr;
  if (!entity || entity->isErased()) return nullptr;
  ChainBuilder b;
  b.name(-1, stub);
  b.str(0, hostimpl::dxfName(entity));
  b.name(330, stub->owner);
  char handle[24];
  std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(stub->handle));
  b.str(5, handle);
  b.str(8, entity->layer());
  if (!hostimpl::equalNoCase(entity->linetype(), "BYLAYER")) b.str(6, entity->linetype());
  if (entity->colorIndex() != AcDb::kColorByLayer) b.shortValue(62, entity->colorIndex());
  if (entity->lineWeight() != AcDb::kLnWtByLayer) b.shortValue(370, entity->lineWeight());
  if (entity->visibility() == AcDb::kInvisible) b.shortValue(60, 1);
  geometryGroups(b, entity);
  return b.head;
}

int acdbEntNext(const AcEdName ent, AcEdName result) {
  AcDbDatabase* db = hostimpl::workingDatabase();
  if (!db || !result) return AcEd::kError;
  const auto& list = hostimpl::blockEntities(db->impl()->modelSpace)->entities;
  size_t start = 0;
  if (ent) {
    AcDbStub* s = hostimpl::stubFromName(ent);
    auto it = std::find(list.begin(), list.end(), s);
    if (it == list.end()) return AcEd::kError;
    start = static_cast<size_t>(it - list.begin()) + 1;
  }
  for (size_t i = start; i < list.size(); ++i)
    if (!list[i]->object->isErased()) {
      hostimpl::nameFromStub(list[i], result);
      return AcEd::kNormal;
    }
  return AcEd::kError;
}

int acdbEntLast(AcEdName result) {
  AcDbDatabase* db = hostimpl::workingDatabase();
  if (!db || !result) return AcEd::kError;
  const auto& list = hostimpl::blockEntities(db->impl()->modelSpace)->entities;
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (!(*it)->object->isErased()) {
      hostimpl::nameFromStub(*it, result);
      return AcEd::kNormal;
    }
  return AcEd::kError;
}

int acdbEntDel(const AcEdName ent) {
  AcDbStub* stub = hostimpl::stubFromName(ent);
  if (!stub || !AcDbEntity::cast(stub->object)) return AcEd::kError;
  AcDbObject* obj = nullptr;
  bool erased = stub->object->isErased();
  if (acdbOpenAcDbObject(obj, AcDbObjectId(stub), AcDb::kForWrite, true) != AcDb::kOk)
    return AcEd::kError;
  AcDb::Status es = obj->erase(!erased);
  obj->close();
  return es == AcDb::kOk ? AcEd::kNormal : AcEd::kError;
}
