// Routines over the entities of a selection set (visibility, layer, erase)
// and the building of selection filters from an entity's own properties.
//
// The set routines open each entity for write in set order, act on it and
// close it before the next is opened. The first entity that cannot be
// named, opened or changed ends the loop; the entities before it keep the
// change, the ones after it are not touched.
#include <cstdlib>
#include <cstring>

#include "layertool.h"

namespace pnstratakit {
namespace {

// Runs `act` on each entity of the set, open for write; `act` returns false
// to end the loop (after the entity is closed).
template <typename Action>
void forEachEntityForWrite(const AcEdName selection, Action act) {
  std::int32_t length = 0;
  if (acedSSLength(selection, &length) != AcEd::kNormal || length < 1) return;
  for (std::int32_t i = 0; i < length; ++i) {
    AcEdName name;
    AcDbObjectId id;
    if (acedSSName(selection, i, name) != AcEd::kNormal) return;
    if (acdbGetObjectId(id, name) != AcDb::kOk) return;
    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForWrite) != AcDb::kOk) return;
    const bool done = act(entity);
    entity->close();
    if (!done) return;
  }
}

// Property values the host leaves out of entity data when they follow the
// layer.
bool defaultProperty(int groupCode, AcEdResBuf& value) {
  static char byLayer[] = "BYLAYER";
  value.type = groupCode;
  if (groupCode == 6) {
    value.value.string = byLayer;
    return true;
  }
  if (groupCode == 62) {
    value.value.shortValue = AcDb::kColorByLayer;
    return true;
  }
  return false;
}

// Characters that the host's filter matching reads as wildcards; a
// back quote before one makes it literal.
bool isWildcardCharacter(unsigned char c) { return std::strchr("#@.*?~[]-,`", c) != nullptr; }
bool isGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// A malloc'd copy of `value` whose wildcard characters are escaped. The
// second byte of a double-byte character may look like one; it is copied
// as it is.
char* literalPattern(const char* value) {
  const std::size_t length = std::strlen(value);
  char* pattern = static_cast<char*>(std::malloc(2 * length + 1));
  if (pattern == nullptr) return nullptr;
  char* out = pattern;
  for (const char* in = value; *in != '\0'; ++in) {
    const unsigned char c = static_cast<unsigned char>(*in);
    if (isGbkLeadByte(c) && in[1] != '\0') {
      *out++ = *in++;
      *out++ = *in;
      continue;
    }
    if (isWildcardCharacter(c)) *out++ = '`';
    *out++ = *in;
  }
  *out = '\0';
  return pattern;
}

// Copies type and value of `from` into `to`; text values become literal
// patterns owned by `to`. False when memory ran out.
bool copyTest(const AcEdResBuf& from, AcEdResBuf& to) {
  to.type = from.type;
  if (acutValueKind(from.type) != AcEdValueKind::kString) {
    to.value = from.value;
    return true;
  }
  to.value.string = literalPattern(from.value.string != nullptr ? from.value.string : "");
  return to.value.string != nullptr;
}

}  // namespace

void setSelectionVisibility(AcEdName selection, bool hide) {
  const AcDb::Visibility visibility = hide ? AcDb::kInvisible : AcDb::kVisible;
  forEachEntityForWrite(selection, [visibility](AcDbEntity* entity) {
    return entity->setVisibility(visibility, true) == AcDb::kOk;
  });
  releaseSelection(selection);
}

void moveSelectionToLayer(const AcEdName selection, AcDbObjectId layerId) {
  forEachEntityForWrite(selection, [layerId](AcDbEntity* entity) {
    return entity->setLayer(layerId, true) == AcDb::kOk;
  });
}

void eraseSelection(AcEdName selection) {
  forEachEntityForWrite(selection,
                        [](AcDbEntity* entity) { return entity->erase(true) == AcDb::kOk; });
  releaseSelection(selection);
}

bool addPropertyTest(AcEdResBuf* filter, const AcEdName entity, int groupCode) {
  AcEdResBuf* data = acdbEntGet(entity);
  if (data == nullptr) return false;
  const AcEdResBuf* found = data;
  while (found != nullptr && found->type != groupCode) found = found->next;
  AcEdResBuf fallback;
  if (found == nullptr && defaultProperty(groupCode, fallback)) found = &fallback;

  bool added = false;
  AcEdResBuf test;
  if (found != nullptr && copyTest(*found, test)) {
    if (filter->type < -4) {
      filter->type = test.type;
      filter->value = test.value;
      added = true;
    } else if (AcEdResBuf* element = acutNewRb(test.type)) {
      element->value = test.value;
      AcEdResBuf* last = filter;
      while (last->next != nullptr) last = last->next;
      last->next = element;
      added = true;
    } else if (acutValueKind(test.type) == AcEdValueKind::kString) {
      std::free(test.value.string);
    }
  }
  acutRelRb(data);
  return added;
}

}  // namespace pnstratakit
