// The release-2000 writer. The body is written as the records arrive; the header, which names
// the next free handle and the drawing's extents, is put in front of it at the end.
//
// Fixed handles: the nine tables and the root dictionaries take the small numbers below; every
// other object takes the next number from 0x30 on, in writing order, so the same drawing always
// gives the same file.
#include "io/dxf_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <unordered_set>

#include "io/acis_text.h"
#include "io/dxf_text.h"

namespace drawhost::dxf {
namespace {

enum FixedHandle : unsigned {
  kBlockRecordTable = 0x1,
  kLayerTable = 0x2,
  kStyleTable = 0x3,
  kLinetypeTable = 0x5,
  kViewTable = 0x6,
  kUcsTable = 0x7,
  kViewportTable = 0x8,
  kAppIdTable = 0x9,
  kDimStyleTable = 0xA,
  kRootDictionary = 0xC,
  kGroupDictionary = 0xD,
};

constexpr size_t kMTextChunk = 250;
constexpr size_t kModelerLine = 255;

// Cuts `text` after at most `limit` bytes without splitting a double-byte character or a
// caret pair.
size_t chunkLength(std::string_view text, size_t limit) {
  size_t at = 0;
  while (at < text.size()) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const size_t length = (byte >= 0x81 && byte <= 0xFE) || byte == '^' ? 2 : 1;
    if (at + length > limit) break;
    at += length;
  }
  return std::min(at, text.size());
}

}  // namespace

void OutputBuffer::reallocate(size_t capacity) {
  std::unique_ptr<char[]> bigger(new char[capacity]);
  if (size_ > 0) std::memcpy(bigger.get(), data_.get(), size_);
  data_ = std::move(bigger);
  capacity_ = capacity;
}

DxfWriter::DxfWriter(const DxfTables& tables) {
  out_.reserve(1 << 16);
  currentLayer_ = tables.currentLayer.empty() ? "0" : tables.currentLayer;
  objects_ = tables.objects;
  // The root and the group dictionary keep the fixed handles the writer gives its own; the
  // other kept objects get theirs when first named (by an entity), or when written.
  for (const DxfObject& object : objects_.objects) keptObjects_.insert(object.handle);
  if (!objects_.root.empty()) objectHandles_[objects_.root] = kRootDictionary;
  for (const auto& [name, handle] : objects_.rootEntries)
    if (sameName(name, "ACAD_GROUP") && ownGroupDictionary_ && keptObjects_.count(handle)) {
      objectHandles_[handle] = kGroupDictionary;
      ownGroupDictionary_ = false;
    }
  writeClassesAndTables(tables);
}

namespace {
// Writes a group code right-aligned in three columns (as other writers do) and its line
// feed at `to`; returns the end.
char* putCode(char* to, int groupCode) {
  char digits[8];
  int n = 0;
  unsigned value = static_cast<unsigned>(groupCode);
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int pad = n; pad < 3; ++pad) *to++ = ' ';
  while (n > 0) *to++ = digits[--n];
  *to++ = '\n';
  return to;
}
}  // namespace

void DxfWriter::code(int groupCode) {
  char scratch[OutputBuffer::kScratch];
  out_.appendScratch(scratch, putCode(scratch, groupCode) - scratch);
}

void DxfWriter::pair(int groupCode, std::string_view value) {
  code(groupCode);
  out_.append(value);
  out_.append('\n');
}

void DxfWriter::text(int groupCode, std::string_view value) {
  code(groupCode);
  // Most texts hold no control character and no caret: they go out as they are.
  bool plain = true;
  for (char c : value) plain = plain && static_cast<unsigned char>(c) >= 0x20 && c != '^';
  if (plain) {
    out_.append(value);
  } else {
    std::string encoded;
    encodeCarets(value, encoded);
    out_.append(encoded);
  }
  out_.append('\n');
}

void DxfWriter::pair(int groupCode, double value) {
  char scratch[OutputBuffer::kScratch];
  char* number = putCode(scratch, groupCode);
  auto result = std::to_chars(number, scratch + sizeof scratch - 3, value == 0 ? 0.0 : value);
  // Readers expect a decimal point in real values.
  if (std::find(number, result.ptr, '.') == result.ptr &&
      std::find(number, result.ptr, 'e') == result.ptr) {
    *result.ptr++ = '.';
    *result.ptr++ = '0';
  }
  *result.ptr++ = '\n';
  out_.appendScratch(scratch, result.ptr - scratch);
}

void DxfWriter::integer(int groupCode, long value) {
  char scratch[OutputBuffer::kScratch];
  char* number = putCode(scratch, groupCode);
  auto result = std::to_chars(number, scratch + sizeof scratch - 1, value);
  *result.ptr++ = '\n';
  out_.appendScratch(scratch, result.ptr - scratch);
}

void DxfWriter::handle(int groupCode, Handle value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, 16);
  for (char* c = buffer; c != result.ptr; ++c)
    if (*c >= 'a') *c = static_cast<char>(*c - 32);
  pair(groupCode, std::string_view(buffer, result.ptr - buffer));
}

void DxfWriter::point(int groupCode, const Point& p, bool withZ) {
  pair(groupCode, p.x);
  pair(groupCode + 10, p.y);
  if (withZ) pair(groupCode + 20, p.z);
}

void DxfWriter::beginTable(const char* name, Handle handleValue, int count, Handle dictionary) {
  pair(0, "TABLE");
  pair(2, name);
  handle(5, handleValue);
  if (dictionary != 0) {
    pair(102, "{ACAD_XDICTIONARY");
    handle(360, dictionary);
    pair(102, "}");
  }
  handle(330, 0);
  pair(100, "AcDbSymbolTable");
  integer(70, count);
}

DxfWriter::Handle DxfWriter::beginRecord(const char* type, Handle table, const char* subclass,
                                         Handle self) {
  if (self == 0) self = next();
  pair(0, type);
  handle(std::string_view(type) == "DIMSTYLE" ? 105 : 5, self);
  handle(330, table);
  pair(100, "AcDbSymbolTableRecord");
  pair(100, subclass);
  return self;
}

void DxfWriter::writeClassesAndTables(const DxfTables& tables) {
  pair(0, "SECTION");
  pair(2, "CLASSES");
  for (const auto& record : objects_.classes) {
    pair(0, "CLASS");
    for (const auto& [code, value] : record) {
      if (isTextCode(code)) text(code, value);
      else pair(code, value);
    }
  }
  pair(0, "ENDSEC");
  pair(0, "SECTION");
  pair(2, "TABLES");

  // The drawing's viewports, or one of the writer's own.
  if (std::any_of(tables.tableRecords.begin(), tables.tableRecords.end(),
                  [](const DxfTableRecord& r) { return r.table == "VPORT"; })) {
    writeKeptTable("VPORT", kViewportTable, tables.tableRecords);
  } else {
    beginTable("VPORT", kViewportTable, 1);
    beginRecord("VPORT", kViewportTable, "AcDbViewportTableRecord");
    pair(2, "*Active");
    integer(70, 0);
    point(10, {0, 0, 0}, false);
    point(11, {1, 1, 0}, false);
    point(12, {0, 0, 0}, false);
    pair(40, 1000.0);
    pair(41, 1.5);
    pair(0, "ENDTAB");
  }

  std::vector<DxfLinetype> linetypes = {{"ByBlock", "", {}}, {"ByLayer", "", {}},
                                        {"Continuous", "Solid line", {}}};
  for (const DxfLinetype& linetype : tables.linetypes) {
    const std::string key = nameKey(linetype.name);
    const bool known = std::any_of(linetypes.begin(), linetypes.end(),
                                   [&](const DxfLinetype& l) { return nameKey(l.name) == key; });
    if (!known && !linetype.name.empty()) linetypes.push_back(linetype);
  }
  beginTable("LTYPE", kLinetypeTable, static_cast<int>(linetypes.size()));
  for (const DxfLinetype& linetype : linetypes) writeLinetype(kLinetypeTable, linetype);
  pair(0, "ENDTAB");

  std::vector<const DxfLayer*> layers;
  const DxfLayer layerZero{"0"};
  layers.push_back(&layerZero);
  for (const DxfLayer& layer : tables.layers) {
    if (layer.name == "0") layers[0] = &layer;
    else if (!layer.name.empty()) layers.push_back(&layer);
  }
  layerStates_ = tables.layerStates;
  variables_ = tables.variables;
  if (!layerStates_.empty()) layerDictionary_ = next();
  beginTable("LAYER", kLayerTable, static_cast<int>(layers.size()), layerDictionary_);
  for (const DxfLayer* layer : layers) writeLayer(kLayerTable, *layer);
  pair(0, "ENDTAB");

  std::vector<std::string> styles = {"Standard"};
  for (const std::string& style : tables.textStyles)
    if (!style.empty() && std::none_of(styles.begin(), styles.end(), [&](const std::string& s) {
          return nameKey(s) == nameKey(style);
        }))
      styles.push_back(style);
  beginTable("STYLE", kStyleTable, static_cast<int>(styles.size() + tables.shapeFiles.size()));
  for (const std::string& name : styles) {
    DxfTextStyle style;
    for (const DxfTextStyle& record : tables.styleRecords)
      if (nameKey(record.name) == nameKey(name)) style = record;
    styleRecords_[nameKey(name)] = beginRecord("STYLE", kStyleTable, "AcDbTextStyleTableRecord");
    writeStyleBody(name, style);
  }
  for (const DxfTextStyle& shapes : tables.shapeFiles) {
    beginRecord("STYLE", kStyleTable, "AcDbTextStyleTableRecord");
    writeStyleBody("", shapes);
  }
  pair(0, "ENDTAB");

  writeKeptTable("VIEW", kViewTable, tables.tableRecords);
  writeKeptTable("UCS", kUcsTable, tables.tableRecords);

  std::vector<std::string> applications = {"ACAD"};
  for (const std::string& name : tables.appIds)
    if (std::none_of(applications.begin(), applications.end(),
                     [&](const std::string& known) { return sameName(known, name); }))
      applications.push_back(name);
  beginTable("APPID", kAppIdTable, static_cast<int>(applications.size()));
  for (const std::string& name : applications) {
    beginRecord("APPID", kAppIdTable, "AcDbRegAppTableRecord");
    text(2, name);
    integer(70, 0);
  }
  pair(0, "ENDTAB");

  // Dimension styles name blocks by handle: the block records' handles are given out first.
  assignBlockRecords(tables);
  writeKeptTable("DIMSTYLE", kDimStyleTable, tables.tableRecords);
  writeBlockRecords(kBlockRecordTable, tables);
  pair(0, "ENDSEC");

  pair(0, "SECTION");
  pair(2, "BLOCKS");
  writeLayoutBlocks();
}

void DxfWriter::writeStyleBody(std::string_view name, const DxfTextStyle& style) {
  text(2, name);
  integer(70, style.flags);
  pair(40, style.fixedHeight);
  pair(41, style.width);
  pair(50, style.oblique);
  integer(71, style.generation);
  pair(42, style.lastHeight);
  text(3, style.font);
  text(4, style.bigFont);
}

void DxfWriter::writeLinetype(Handle table, const DxfLinetype& linetype) {
  beginRecord("LTYPE", table, "AcDbLinetypeTableRecord");
  text(2, linetype.name);
  integer(70, 0);
  text(3, linetype.description);
  integer(72, 65);
  integer(73, static_cast<long>(linetype.dashes.size()));
  double total = 0;
  for (const double dash : linetype.dashes) total += dash < 0 ? -dash : dash;
  pair(40, total);
  for (const double dash : linetype.dashes) {
    pair(49, dash);
    integer(74, 0);
  }
}

void DxfWriter::writeLayer(Handle table, const DxfLayer& layer) {
  beginRecord("LAYER", table, "AcDbLayerTableRecord");
  text(2, layer.name);
  integer(70, (layer.frozen ? 1 : 0) | (layer.frozenInNewViewports ? 2 : 0) |
                  (layer.locked ? 4 : 0));
  const int colour = (layer.colour >= 1 && layer.colour <= 255) ? layer.colour : 7;
  integer(62, layer.off ? -colour : colour);
  text(6, layer.linetype.empty() ? std::string_view("Continuous") : layer.linetype);
  if (!layer.plottable) integer(290, 0);
  integer(370, layer.lineweight);
}

void DxfWriter::assignBlockRecords(const DxfTables& tables) {
  modelSpaceRecord_ = next();
  paperSpaceRecord_ = next();
  for (const DxfBlock& block : tables.blocks) {
    const std::string key = nameKey(block.name);
    if (block.name.empty() || blockRecords_.count(key)) continue;
    blockRecords_[key] = next();
    blockOrder_.push_back(&block);
  }
  for (const auto& [handle, name] : objects_.blockRecords) {
    const std::string key = nameKey(name);
    const auto found = blockRecords_.find(key);
    if (key == "*MODEL_SPACE") blockRecordHandles_[handle] = modelSpaceRecord_;
    else if (key == "*PAPER_SPACE") blockRecordHandles_[handle] = paperSpaceRecord_;
    else if (found != blockRecords_.end()) blockRecordHandles_[handle] = found->second;
  }
}

DxfWriter::Handle DxfWriter::objectHandle(const std::string& handle) {
  const auto found = objectHandles_.find(handle);
  if (found != objectHandles_.end()) return found->second;
  return keptObjects_.count(handle) ? objectHandles_[handle] = next() : 0;
}

DxfWriter::Handle DxfWriter::newHandle(const std::string& handle) const {
  for (const auto* map : {&objectHandles_, &entityHandles_, &blockRecordHandles_}) {
    const auto found = map->find(handle);
    if (found != map->end()) return found->second;
  }
  return 0;
}

void DxfWriter::writeBlockRecords(Handle table, const DxfTables& tables) {
  beginTable("BLOCK_RECORD", table, static_cast<int>(tables.blocks.size()) + 2);
  beginRecord("BLOCK_RECORD", table, "AcDbBlockTableRecord", modelSpaceRecord_);
  pair(2, "*Model_Space");
  beginRecord("BLOCK_RECORD", table, "AcDbBlockTableRecord", paperSpaceRecord_);
  pair(2, "*Paper_Space");
  for (const DxfBlock* block : blockOrder_) {
    beginRecord("BLOCK_RECORD", table, "AcDbBlockTableRecord", blockRecords_[nameKey(block->name)]);
    text(2, block->name);
  }
  pair(0, "ENDTAB");
}

// A table of records kept as read. The dimension style table always has its Standard.
void DxfWriter::writeKeptTable(const char* name, Handle table, const std::vector<DxfTableRecord>& records) {
  const bool dimensionStyles = std::string_view(name) == "DIMSTYLE";
  std::vector<const DxfTableRecord*> mine;
  // Names are unique, but for viewports: tiled windows are several records named *Active.
  const bool repeatable = std::string_view(name) == "VPORT";
  for (const DxfTableRecord& record : records)
    if (record.table == name && (repeatable || std::none_of(mine.begin(), mine.end(), [&](const DxfTableRecord* r) {
          return sameName(r->name, record.name);
        })))
      mine.push_back(&record);
  const bool hasStandard = std::any_of(mine.begin(), mine.end(),
                                       [](const DxfTableRecord* r) { return sameName(r->name, "Standard"); });
  const bool addStandard = dimensionStyles && !hasStandard;
  beginTable(name, table, static_cast<int>(mine.size()) + (addStandard ? 1 : 0));
  if (dimensionStyles) pair(100, "AcDbDimStyleTable");
  if (addStandard) {
    beginRecord("DIMSTYLE", table, "AcDbDimStyleTableRecord");
    pair(2, "Standard");
    integer(70, 0);
  }
  for (const DxfTableRecord* record : mine) {
    beginRecord(name, table, record->subclass.c_str());
    for (const auto& [code, value] : record->groups) {
      if (isTextCode(code)) text(code, value);
      else pair(code, value);
    }
    for (const auto& [code, referenced] : record->namedReferences) {
      const auto& handles = code == 340 ? styleRecords_ : blockRecords_;
      const auto found = handles.find(nameKey(referenced));
      if (found != handles.end()) handle(code, found->second);
    }
  }
  pair(0, "ENDTAB");
}

void DxfWriter::writeLayoutBlocks() {
  writeBlockBegin(modelSpaceRecord_, "*Model_Space", {}, 0, false);
  writeBlockEnd(modelSpaceRecord_, false);
  writeBlockBegin(paperSpaceRecord_, "*Paper_Space", {}, 0, true);
  writeBlockEnd(paperSpaceRecord_, true);
}

void DxfWriter::writeBlockBegin(Handle owner, const std::string& name, const Point& base,
                                int flags, bool paperSpace) {
  pair(0, "BLOCK");
  handle(5, next());
  handle(330, owner);
  pair(100, "AcDbEntity");
  if (paperSpace) integer(67, 1);
  pair(8, "0");
  pair(100, "AcDbBlockBegin");
  text(2, name);
  integer(70, flags & 1);  // only the anonymous flag; references to other files are not kept
  point(10, base);
  text(3, name);
  pair(1, "");
}

void DxfWriter::writeBlockEnd(Handle owner, bool paperSpace) {
  pair(0, "ENDBLK");
  handle(5, next());
  handle(330, owner);
  pair(100, "AcDbEntity");
  if (paperSpace) integer(67, 1);
  pair(8, "0");
  pair(100, "AcDbBlockEnd");
}

void DxfWriter::beginBlock(const DxfBlock& block) {
  const auto record = blockRecords_.find(nameKey(block.name));
  currentOwner_ = record == blockRecords_.end() ? 0 : record->second;
  if (currentOwner_ != 0) writeBlockBegin(currentOwner_, block.name, block.base, block.flags, false);
}

void DxfWriter::endBlock() {
  if (currentOwner_ != 0) writeBlockEnd(currentOwner_, false);
  currentOwner_ = 0;
}

void DxfWriter::beginEntities() {
  pair(0, "ENDSEC");
  pair(0, "SECTION");
  pair(2, "ENTITIES");
  currentOwner_ = modelSpaceRecord_;
}

void DxfWriter::entity(const DxfEntity& e) {
  // Entities of a block that was not announced in the tables have no owner to go to.
  if (currentOwner_ == 0) return;
  if (e.paperSpace && currentOwner_ == modelSpaceRecord_) {
    writeEntity(e, paperSpaceRecord_);
    return;
  }
  if (currentOwner_ == modelSpaceRecord_) {
    extend(e.p);
    if (e.kind == EntityKind::Line) extend(e.q);
    if (e.kind == EntityKind::Arc || e.kind == EntityKind::Circle) {
      extend({e.p.x - e.radius, e.p.y - e.radius, 0});
      extend({e.p.x + e.radius, e.p.y + e.radius, 0});
    }
    for (const Vertex& v : e.vertices) extend({v.x, v.y, 0});
    for (const auto& loop : e.loops)
      for (const Vertex& v : loop) extend({v.x, v.y, 0});
    for (size_t i = 0; i + 1 < e.groups.size(); ++i)
      if (e.groups[i].first == 10 && e.groups[i + 1].first == 20)
        extend({std::strtod(e.groups[i].second.c_str(), nullptr),
                std::strtod(e.groups[i + 1].second.c_str(), nullptr), 0});
  }
  writeEntity(e, currentOwner_);
}

void DxfWriter::extend(const Point& p) {
  extMin_.x = std::min(extMin_.x, p.x);
  extMin_.y = std::min(extMin_.y, p.y);
  extMax_.x = std::max(extMax_.x, p.x);
  extMax_.y = std::max(extMax_.y, p.y);
}

// Groups whose values are texts (the others are numbers, kept as the file wrote them).
// Every value the reader takes as text goes out in caret form, so that reading it back gives the
// same value (handles and hexadecimal data hold nothing to encode).
bool DxfWriter::isTextCode(int code) { return typeOfCode(code) == ValueType::String; }

void DxfWriter::writeCommon(const DxfEntity& e, const char* type, Handle owner, Handle self) {
  pair(0, type);
  handle(5, self);
  if (!e.fileHandle.empty()) entityHandles_[e.fileHandle] = self;
  if (!e.extensionDictionary.empty())
    if (const Handle dictionary = objectHandle(e.extensionDictionary)) {
      pair(102, "{ACAD_XDICTIONARY");
      handle(360, dictionary);
      pair(102, "}");
    }
  handle(330, owner);
  pair(100, "AcDbEntity");
  if (e.paperSpace) integer(67, 1);
  text(8, e.layer.empty() ? std::string_view("0") : e.layer);
  if (!e.linetype.empty() && !sameName(e.linetype, "BYLAYER")) text(6, e.linetype);
  if (e.colour != kColourByLayer) integer(62, e.colour);
  if (e.lineweight != kLineweightByLayer) integer(370, e.lineweight);
  if (e.invisible) integer(60, 1);
  if (e.linetypeScale != 1) pair(48, e.linetypeScale);
  writeFileGroups(e, true);
}

void DxfWriter::writeEntity(const DxfEntity& e, Handle owner) {
  const Handle self = next();
  switch (e.kind) {
    case EntityKind::Line:
      writeCommon(e, "LINE", owner, self);
      pair(100, "AcDbLine");
      point(10, e.p);
      point(11, e.q);
      break;
    case EntityKind::Circle:
    case EntityKind::Arc:
      writeCommon(e, e.kind == EntityKind::Arc ? "ARC" : "CIRCLE", owner, self);
      pair(100, "AcDbCircle");
      point(10, e.p);
      pair(40, e.radius);
      if (e.kind == EntityKind::Arc) {
        pair(100, "AcDbArc");
        pair(50, e.startAngle);
        pair(51, e.endAngle);
      }
      break;
    case EntityKind::Point:
      writeCommon(e, "POINT", owner, self);
      pair(100, "AcDbPoint");
      point(10, e.p);
      break;
    case EntityKind::Polyline:
      writeCommon(e, "LWPOLYLINE", owner, self);
      pair(100, "AcDbPolyline");
      integer(90, static_cast<long>(e.vertices.size()));
      integer(70, e.closed ? 1 : 0);
      if (e.width != 0) pair(43, e.width);
      if (e.elevation != 0) pair(38, e.elevation);
      for (const Vertex& v : e.vertices) {
        pair(10, v.x);
        pair(20, v.y);
        if (v.startWidth != 0 || v.endWidth != 0) {
          pair(40, v.startWidth);
          pair(41, v.endWidth);
        }
        if (v.bulge != 0) pair(42, v.bulge);
      }
      break;
    case EntityKind::Region:
      writeCommon(e, "REGION", owner, self);
      writeRegionBody(e);
      break;
    case EntityKind::Kept:
      writeCommon(e, e.typeName.c_str(), owner, self);
      for (bool following = false; const auto& [code, value] : e.groups) {
        if (code == 0) {  // a vertex or the end of a kept polyline: an entity of its own
          pair(0, value);
          handle(5, next());
          handle(330, self);
          following = true;
        } else if (code == 8 && following) {
          text(8, e.layer.empty() ? std::string_view("0") : e.layer);  // wherever the polyline went
        } else if (isHandleCode(code)) {
          const Handle object = objectHandle(value);
          if (const Handle named = object ? object : newHandle(value)) handle(code, named);  // else gone
        } else if (isTextCode(code)) {
          text(code, value);
        } else {
          pair(code, value);
        }
      }
      break;
    case EntityKind::Text:
      writeCommon(e, "TEXT", owner, self);
      writeTextBody(e, true);
      break;
    case EntityKind::Attribute:
      writeCommon(e, "ATTRIB", owner, self);
      writeTextBody(e, false);
      pair(100, "AcDbAttribute");
      text(2, e.tag);
      integer(70, e.attributeFlags);
      if (e.alignment.vertical != 0) integer(74, e.alignment.vertical);
      break;
    case EntityKind::AttributeDefinition:
      writeCommon(e, "ATTDEF", owner, self);
      writeTextBody(e, false);
      pair(100, "AcDbAttributeDefinition");
      text(3, e.prompt);
      text(2, e.tag);
      integer(70, e.attributeFlags);
      if (e.alignment.vertical != 0) integer(74, e.alignment.vertical);
      break;
    case EntityKind::MText:
      writeCommon(e, "MTEXT", owner, self);
      writeMTextBody(e);
      break;
    case EntityKind::Insert:
      writeCommon(e, "INSERT", owner, self);
      pair(100, "AcDbBlockReference");
      if (!e.attributes.empty()) integer(66, 1);
      text(2, e.block);
      point(10, e.p);
      if (e.scale.x != 1) pair(41, e.scale.x);
      if (e.scale.y != 1) pair(42, e.scale.y);
      if (e.scale.z != 1) pair(43, e.scale.z);
      if (e.rotation != 0) pair(50, e.rotation);
      break;
  }
  writeFileGroups(e, false);
  if (e.kind != EntityKind::Insert || e.attributes.empty()) return;
  for (const DxfEntity& attribute : e.attributes) writeEntity(attribute, self);
  pair(0, "SEQEND");
  handle(5, next());
  handle(330, self);
  pair(100, "AcDbEntity");
  text(8, e.layer.empty() ? std::string_view("0") : e.layer);
}

// What the file gave and the host does not model: in the entity's common part (true colour,
// its name, transparency), or after its own groups (thickness, then extended data).
void DxfWriter::writeFileGroups(const DxfEntity& e, bool commonPart) {
  for (const auto& [code, value] : e.fileGroups) {
    if ((code >= 420 && code <= 449) != commonPart) continue;
    if (isTextCode(code)) text(code, value);
    else pair(code, value);
  }
}

void DxfWriter::writeTextBody(const DxfEntity& e, bool withAlignmentSubclass) {
  pair(100, "AcDbText");
  point(10, e.p);
  pair(40, e.height);
  text(1, e.text);
  if (e.rotation != 0) pair(50, e.rotation);
  if (e.widthFactor != 1) pair(41, e.widthFactor);
  if (e.oblique != 0) pair(51, e.oblique);
  text(7, e.style.empty() ? std::string_view("Standard") : e.style);
  if (e.alignment.horizontal != 0) integer(72, e.alignment.horizontal);
  const bool aligned = e.alignment.horizontal != 0 || e.alignment.vertical != 0;
  if (aligned) point(11, e.hasAlignmentPoint ? e.q : e.p);
  if (withAlignmentSubclass) {
    pair(100, "AcDbText");
    if (e.alignment.vertical != 0) integer(73, e.alignment.vertical);
  }
}

// Release-2000 regions: the modeler data, one group 1 per line and group 3 for what does not fit.
void DxfWriter::writeRegionBody(const DxfEntity& e) {
  pair(100, "AcDbModelerGeometry");
  integer(70, 1);
  std::string escaped;
  auto writeLine = [&](std::string_view line) {
    // A mirrored 'A' is a caret; kept data may hold control characters. Both go out as
    // caret pairs, which the chunks never split.
    escaped.clear();
    encodeCarets(line, escaped);
    line = escaped;
    int groupCode = 1;
    do {
      const size_t length = chunkLength(line, kModelerLine);
      pair(groupCode, line.substr(0, length));
      line.remove_prefix(length);
      groupCode = 3;
    } while (!line.empty());
  };
  if (!e.modelerData.empty()) {
    for (const std::string& line : e.modelerData) writeLine(line);
    return;
  }
  for (const std::string& line : writeRegionText({e.loops, e.elevation}))
    writeLine(encodeLine(line));
}

void DxfWriter::writeMTextBody(const DxfEntity& e) {
  pair(100, "AcDbMText");
  point(10, e.p);
  pair(40, e.height);
  pair(41, e.width);
  integer(71, e.attachment);
  integer(72, 1);
  std::string encoded;
  encodeCarets(e.text, encoded);
  std::string_view rest = encoded;
  while (rest.size() > kMTextChunk) {
    const size_t length = chunkLength(rest, kMTextChunk);
    pair(3, rest.substr(0, length));
    rest.remove_prefix(length);
  }
  pair(1, rest);
  text(7, e.style.empty() ? std::string_view("Standard") : e.style);
  if (e.rotation != 0) pair(50, e.rotation);
}

void DxfWriter::writeObjects() {
  writeKeptObjects();
  // The drawing's group dictionary may have been left out (its owner was not the root).
  ownGroupDictionary_ = std::none_of(objectHandles_.begin(), objectHandles_.end(),
                                     [](const auto& entry) { return entry.second == kGroupDictionary; });
  pair(0, "SECTION");
  pair(2, "OBJECTS");
  pair(0, "DICTIONARY");
  handle(5, kRootDictionary);
  handle(330, 0);
  pair(100, "AcDbDictionary");
  integer(281, 1);
  if (ownGroupDictionary_) {
    pair(3, "ACAD_GROUP");
    handle(350, kGroupDictionary);
  }
  for (const auto& [name, entry] : objects_.rootEntries)
    if (const Handle named = newHandle(entry)) {
      text(3, name);
      handle(350, named);
    }
  // The group dictionary, the drawing's or the writer's own, comes next, then the layer states.
  auto isGroupDictionary = [&](const DxfObject& object) {
    const auto found = objectHandles_.find(object.handle);
    return found != objectHandles_.end() && found->second == kGroupDictionary;
  };
  if (ownGroupDictionary_) {
    pair(0, "DICTIONARY");
    handle(5, kGroupDictionary);
    handle(330, kRootDictionary);
    pair(100, "AcDbDictionary");
    integer(281, 1);
  } else {
    for (const DxfObject& object : objects_.objects)
      if (isGroupDictionary(object)) writeKeptObject(object);
  }
  writeLayerStates();
  for (const DxfObject& object : objects_.objects)
    if (objectHandles_.count(object.handle) && !isGroupDictionary(object)) writeKeptObject(object);
  pair(0, "ENDSEC");
  pair(0, "EOF");
}

namespace {

// A layout's block record: the 330 after its own subclass marker.
std::string layoutBlock(const DxfObject& object) {
  bool layout = false;
  for (const auto& [code, value] : object.groups) {
    if (code == 100) layout = value == "AcDbLayout";
    else if (layout && code == 330) return value;
  }
  return {};
}

}  // namespace

// Which kept objects are written: those whose owner is written (the root, an entity, another
// written object), through any chain; a layout also needs its block. The written ones that have
// no handle yet get theirs in file order; the others lose theirs, so that nothing names them.
void DxfWriter::writeKeptObjects() {
  std::unordered_set<std::string> written;
  if (!objects_.root.empty()) written.insert(objects_.root);
  for (bool grown = true; grown;) {
    grown = false;
    for (const DxfObject& object : objects_.objects) {
      if (written.count(object.handle)) continue;
      const std::string owner = ownerOf(object);
      const bool ownerWritten = owner == "0" || written.count(owner) || entityHandles_.count(owner);
      if (!ownerWritten) continue;
      if (object.type == "LAYOUT" && blockRecordHandles_.count(layoutBlock(object)) == 0) continue;
      written.insert(object.handle);
      grown = true;
    }
  }
  for (const DxfObject& object : objects_.objects)
    if (written.count(object.handle)) objectHandle(object.handle);
  std::erase_if(objectHandles_, [&](const auto& entry) { return !written.count(entry.first); });
}

// An object with the new handles; a dictionary entry whose object is gone goes with its name.
void DxfWriter::writeKeptObject(const DxfObject& object) {
  pair(0, object.type);
  handle(5, objectHandles_.at(object.handle));
  const std::string* entryName = nullptr;
  for (const auto& [code, value] : object.groups) {
    if (object.type == "DICTIONARY" && code == 3) {
      entryName = &value;
      continue;
    }
    if (code == 330 || isHandleCode(code)) {
      const Handle named = value == "0" ? 0 : newHandle(value);
      if (named == 0 && value != "0") {
        entryName = nullptr;
        continue;
      }
      if (entryName) text(3, *std::exchange(entryName, nullptr));
      handle(code, named);
    } else if (isTextCode(code)) {
      text(code, value);
    } else {
      pair(code, value);
    }
  }
}

// Named layer states live in the layer table's extension dictionary, under ACAD_LAYERSTATES, one
// record each: the mask (91), then per layer its name (8), flags (90: 1 off, 2 frozen, 4 locked,
// 8 plottable, 16 frozen in new viewports), colour (62), lineweight (370), linetype (6) and plot
// style (1).
void DxfWriter::writeLayerStates() {
  if (layerStates_.empty()) return;
  const Handle states = next();
  std::vector<Handle> records;
  for (size_t i = 0; i < layerStates_.size(); ++i) records.push_back(next());
  auto beginObject = [&](const char* type, Handle self, Handle owner, const char* subclass) {
    pair(0, type);
    handle(5, self);
    pair(102, "{ACAD_REACTORS");
    handle(330, owner);
    pair(102, "}");
    handle(330, owner);
    pair(100, subclass);
  };
  beginObject("DICTIONARY", layerDictionary_, kLayerTable, "AcDbDictionary");
  integer(281, 1);
  pair(3, "ACAD_LAYERSTATES");
  handle(350, states);
  beginObject("DICTIONARY", states, layerDictionary_, "AcDbDictionary");
  integer(281, 1);
  for (size_t i = 0; i < layerStates_.size(); ++i) {
    text(3, layerStates_[i].name);
    handle(350, records[i]);
  }
  for (size_t i = 0; i < layerStates_.size(); ++i) {
    const DxfLayerState& state = layerStates_[i];
    beginObject("XRECORD", records[i], states, "AcDbXrecord");
    integer(280, 1);
    integer(91, state.mask);
    for (const DxfLayerState::Layer& layer : state.layers) {
      text(8, layer.name);
      integer(90, (layer.off ? 1 : 0) | (layer.frozen ? 2 : 0) | (layer.locked ? 4 : 0) |
                      (layer.plottable ? 8 : 0) | (layer.frozenInNewViewports ? 16 : 0));
      integer(62, layer.colour);
      integer(370, layer.lineweight);
      text(6, layer.linetype);
      text(1, layer.plotStyle);
    }
  }
}

std::string DxfWriter::finish() {
  if (currentOwner_ != modelSpaceRecord_) beginEntities();
  pair(0, "ENDSEC");
  writeObjects();
  // The header names the extents and the next handle, known only now.
  OutputBuffer body;
  std::swap(body, out_);
  writeHeader();
  std::string file;
  file.reserve(out_.size() + body.size());
  file += out_.view();
  file += body.view();
  return file;
}

void DxfWriter::writeHeader() {
  if (extMin_.x > extMax_.x) extMin_ = extMax_ = Point{};
  pair(0, "SECTION");
  pair(2, "HEADER");
  pair(9, "$ACADVER");
  pair(1, "AC1015");
  pair(9, "$ACADMAINTVER");
  integer(70, 6);
  pair(9, "$DWGCODEPAGE");
  pair(3, "ANSI_936");
  pair(9, "$EXTMIN");
  point(10, extMin_);
  pair(9, "$EXTMAX");
  point(10, extMax_);
  pair(9, "$CLAYER");
  text(8, currentLayer_);
  // Defaults of the variables every drawing has, unless the drawing gave them; they come
  // before the drawing's own, which keep their order, so that saving again changes nothing.
  auto kept = [&](std::string_view name) {
    return std::any_of(variables_.begin(), variables_.end(),
                       [&](const DxfVariable& v) { return v.name == name; });
  };
  if (!kept("$INSBASE")) {
    pair(9, "$INSBASE");
    point(10, {});
  }
  if (!kept("$CELTYPE")) {
    pair(9, "$CELTYPE");
    pair(6, "ByLayer");
  }
  if (!kept("$CECOLOR")) {
    pair(9, "$CECOLOR");
    integer(62, kColourByLayer);
  }
  if (!kept("$LTSCALE")) {
    pair(9, "$LTSCALE");
    pair(40, 1.0);
  }
  for (const DxfVariable& variable : variables_) {
    pair(9, variable.name);
    for (const auto& [code, value] : variable.groups) {
      if (code <= 9 || (code >= 300 && code <= 309) || code == 1000) text(code, value);
      else pair(code, value);
    }
  }
  pair(9, "$HANDSEED");
  handle(5, nextHandle_);
  pair(0, "ENDSEC");
}

std::string writeDxf(const DxfDrawing& drawing, const DxfEntitySource& modelSpace,
                     size_t expectedEntities) {
  DxfTables tables;
  tables.currentLayer = drawing.header.currentLayer;
  tables.linetypes = drawing.linetypes;
  tables.layers = drawing.layers;
  tables.textStyles = drawing.textStyles;
  for (const DxfTextStyle& style : drawing.styleRecords) tables.textStyles.push_back(style.name);
  tables.styleRecords = drawing.styleRecords;
  tables.shapeFiles = drawing.shapeFiles;
  tables.layerStates = drawing.layerStates;
  tables.variables = drawing.header.variables;
  tables.appIds = drawing.appIds;
  tables.tableRecords = drawing.tableRecords;
  tables.objects = drawing.objects;
  auto addStyle = [&](const DxfEntity& e) {
    if (e.kind == EntityKind::Text || e.kind == EntityKind::MText ||
        e.kind == EntityKind::AttributeDefinition)
      tables.textStyles.push_back(e.style);
    for (const DxfEntity& attribute : e.attributes) tables.textStyles.push_back(attribute.style);
  };
  for (const DxfBlockDefinition& definition : drawing.blocks) {
    tables.blocks.push_back(definition.block);
    for (const DxfEntity& e : definition.entities) addStyle(e);
  }
  for (const DxfEntity& e : drawing.entities) addStyle(e);
  std::sort(tables.textStyles.begin(), tables.textStyles.end());
  tables.textStyles.erase(std::unique(tables.textStyles.begin(), tables.textStyles.end()),
                          tables.textStyles.end());

  DxfWriter writer(tables);
  writer.reserveFor(expectedEntities + drawing.entities.size());
  for (const DxfBlockDefinition& definition : drawing.blocks) {
    writer.beginBlock(definition.block);
    for (const DxfEntity& e : definition.entities) writer.entity(e);
    writer.endBlock();
  }
  writer.beginEntities();
  modelSpace([&](const DxfEntity& e) { writer.entity(e); });
  return writer.finish();
}

std::string writeDxf(const DxfDrawing& drawing) {
  return writeDxf(drawing, [&](const DxfEntityVisitor& visit) {
    for (const DxfEntity& e : drawing.entities) visit(e);
  });
}

}  // namespace drawhost::dxf
