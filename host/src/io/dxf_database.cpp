// Importing drawing-file records into the database and exporting them back, through the host
// interface only. Angles are degrees in the records and radians in the database.
#include "io/dxf_database.h"

#include "db/db.h"

#include "io/dxf_text.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace drawhost::dxf {
namespace {

constexpr double kPi = 3.14159265358979323846;

double toRadians(double degrees) { return degrees * kPi / 180.0; }

double toDegrees(double radians) {
  const double degrees = radians * 180.0 / kPi;
  // Whole degrees come back whole: 90, not 90.00000000000001.
  const double rounded = std::round(degrees * 1e9) / 1e9;
  return rounded == 0 ? 0.0 : rounded;
}

AcGePoint3d toPoint(const Point& p) { return AcGePoint3d(p.x, p.y, p.z); }
Point fromPoint(const AcGePoint3d& p) { return Point{p.x, p.y, p.z}; }

// Closes a database object when it goes out of scope.
struct Closer {
  void operator()(AcDbObject* object) const {
    if (object) object->close();
  }
};
template <typename T>
using Opened = std::unique_ptr<T, Closer>;

template <typename Table, typename Record>
AcDbObjectId findOrCreate(AcDbDatabase* db, const std::string& name, std::string& refusal) {
  Table* raw = nullptr;
  if (db->getSymbolTable(raw, AcDb::kForRead) != AcDb::kOk) return {};
  Opened<Table> table(raw);
  AcDbObjectId id;
  if (table->getAt(name.c_str(), id) == AcDb::kOk) return id;
  if (table->upgradeOpen() != AcDb::kOk) return {};
  auto record = std::make_unique<Record>();
  const AcDb::Status named = record->setName(name.c_str());
  if (named != AcDb::kOk) {
    refusal = name;
    return {};
  }
  if (table->add(id, record.get()) != AcDb::kOk) return {};
  record.release()->close();
  return id;
}

}  // namespace

DatabaseImporter::DatabaseImporter(AcDbDatabase* db, std::vector<std::string>& warnings)
    : db_(db), warnings_(warnings) {}

DatabaseImporter::~DatabaseImporter() {
  closeOwner();
  if (paperSpace_) paperSpace_->close();
}

bool DatabaseImporter::refuse(const std::string& what, AcDb::Status status) {
  if (error_.empty()) error_ = what + " (status " + std::to_string(static_cast<int>(status)) + ")";
  return false;
}

bool DatabaseImporter::header(const DxfHeader& header) {
  currentLayer_ = header.currentLayer;
  db_->impl()->fileVariables = header.variables;
  return true;
}

namespace {

using IdsByName = std::unordered_map<std::string, AcDbObjectId>;

// The id of the named record, made when its table lacks it and remembered by name key;
// `fallback` stands in (and the refusal is counted) when the database will not take the name.
template <typename Table, typename Record>
AcDbObjectId recordId(AcDbDatabase* db, const std::string& name, const char* kind,
                      IdsByName& known, std::map<std::string, int>& refusals,
                      AcDbObjectId fallback) {
  const std::string key = nameKey(name);
  if (const auto found = known.find(key); found != known.end()) return found->second;
  std::string refused;
  AcDbObjectId id = findOrCreate<Table, Record>(db, name, refused);
  if (!refused.empty()) ++refusals[std::string(kind) + " " + refused];
  if (id.isNull()) id = fallback;
  known[key] = id;
  return id;
}

}  // namespace

AcDbObjectId DatabaseImporter::layerId(const std::string& name) {
  return recordId<AcDbLayerTable, AcDbLayerTableRecord>(db_, name, "layer", layers_,
                                                        refusedNames_, db_->layerZero());
}

AcDbObjectId DatabaseImporter::linetypeId(const std::string& name) {
  return recordId<AcDbLinetypeTable, AcDbLinetypeTableRecord>(
      db_, name, "linetype", linetypes_, refusedNames_, db_->continuousLinetype());
}

AcDbObjectId DatabaseImporter::textStyleId(const std::string& name) {
  return recordId<AcDbTextStyleTable, AcDbTextStyleTableRecord>(
      db_, name, "text style", styles_, refusedNames_, db_->textStyleStandard());
}

// Null when the database will not take the name; a block first met in a reference is created
// empty and filled when its definition comes.
AcDbObjectId DatabaseImporter::blockId(const std::string& name) {
  return recordId<AcDbBlockTable, AcDbBlockTableRecord>(db_, name, "block", blocks_,
                                                        refusedNames_, AcDbObjectId());
}

bool DatabaseImporter::linetype(const DxfLinetype& linetype) {
  const std::string key = nameKey(linetype.name);
  if (key == "BYLAYER" || key == "BYBLOCK" || key == "CONTINUOUS") return true;
  AcDbLinetypeTable* raw = nullptr;
  if (db_->getSymbolTable(raw, AcDb::kForRead) != AcDb::kOk) return true;
  const bool known = raw->has(linetype.name.c_str());
  raw->close();
  const AcDbObjectId id = linetypeId(linetype.name);
  if (known || id == db_->continuousLinetype()) return true;
  AcDbLinetypeTableRecord* record = nullptr;
  if (acdbOpenObject(record, id, AcDb::kForWrite) != AcDb::kOk) return true;
  record->setComments(linetype.description.c_str());
  AcGeDoubleArray dashes;
  for (const double dash : linetype.dashes) dashes.append(dash);
  record->setDashes(dashes);
  record->close();
  return true;
}

bool DatabaseImporter::layer(const DxfLayer& layer) {
  const AcDbObjectId id = layerId(layer.name);
  if (id == db_->layerZero() && layer.name != "0") return true;  // name refused, counted
  AcDbLayerTableRecord* record = nullptr;
  const AcDb::Status opened = acdbOpenObject(record, id, AcDb::kForWrite);
  if (opened != AcDb::kOk) return refuse("cannot open layer " + layer.name, opened);
  record->setColorIndex(layer.colour);
  record->setLinetypeObjectId(linetypeId(layer.linetype));
  record->setLineWeight(static_cast<AcDb::LineWeight>(layer.lineweight));
  record->setIsOff(layer.off);
  record->setIsPlottable(layer.plottable);
  record->setVPDFLT(layer.frozenInNewViewports);
  record->close();
  if (layer.frozen || layer.locked) layerStates_.push_back(layer);
  return true;
}

bool DatabaseImporter::openOwner(AcDbObjectId id) {
  closeOwner();
  AcDbBlockTableRecord* record = nullptr;
  const AcDb::Status opened = acdbOpenObject(record, id, AcDb::kForWrite);
  if (opened != AcDb::kOk) return refuse("cannot open a block for writing", opened);
  owner_ = record;
  return true;
}

void DatabaseImporter::closeOwner() {
  if (owner_) owner_->close();
  owner_ = nullptr;
}

bool DatabaseImporter::beginBlock(const DxfBlock& block) {
  closeOwner();
  const AcDbObjectId id = blockId(block.name);
  skippingBlock_ = id.isNull();
  if (skippingBlock_) return true;
  if (!openOwner(id)) return false;
  owner_->setOrigin(toPoint(block.base));
  return true;
}

bool DatabaseImporter::endBlock() {
  closeOwner();
  skippingBlock_ = false;
  return true;
}

bool DatabaseImporter::setCommon(AcDbEntity* entity, const DxfEntity& e) {
  entity->setLayer(layerId(e.layer));
  entity->setColorIndex(e.colour);
  if (!e.linetype.empty() && !sameName(e.linetype, "BYLAYER"))
    entity->setLinetype(linetypeId(e.linetype));
  entity->setLineWeight(static_cast<AcDb::LineWeight>(e.lineweight));
  entity->setVisibility(e.invisible ? AcDb::kInvisible : AcDb::kVisible);
  entity->setLinetypeScale(e.linetypeScale);
  entity->fileGroups_ = e.fileGroups;
  entity->fileHandle_ = e.fileHandle;
  entity->fileDictionary_ = e.extensionDictionary;
  return true;
}

namespace {

template <typename Text>
void setTextProperties(Text* text, const DxfEntity& e, AcDbObjectId style) {
  text->setPosition(toPoint(e.p));
  text->setAlignmentPoint(toPoint(e.hasAlignmentPoint ? e.q : e.p));
  text->setHorizontalMode(e.alignment.horizontal);
  text->setVerticalMode(e.alignment.vertical);
  text->setTextString(e.text.c_str());
  text->setHeight(e.height);
  text->setRotation(toRadians(e.rotation));
  text->setWidthFactor(e.widthFactor);
  text->setTextStyle(style);
}

}  // namespace

AcDbEntity* DatabaseImporter::makeEntity(const DxfEntity& e) {
  switch (e.kind) {
    case EntityKind::Line:
      return new AcDbLine(toPoint(e.p), toPoint(e.q));
    case EntityKind::Arc:
      return new AcDbArc(toPoint(e.p), e.radius, toRadians(e.startAngle), toRadians(e.endAngle));
    case EntityKind::Circle:
      return new AcDbCircle(toPoint(e.p), e.radius);
    case EntityKind::Point:
      return new AcDbPoint(toPoint(e.p));
    case EntityKind::Polyline: {
      auto* polyline = new AcDbPolyline();
      unsigned index = 0;
      for (const Vertex& v : e.vertices)
        polyline->addVertexAt(index++, AcGePoint2d(v.x, v.y), v.bulge, v.startWidth, v.endWidth);
      polyline->setClosed(e.closed);
      polyline->setElevation(e.elevation);
      if (e.width != 0) polyline->setConstantWidth(e.width);
      return polyline;
    }
    case EntityKind::Text: {
      auto* text = new AcDbText();
      setTextProperties(text, e, textStyleId(e.style));
      return text;
    }
    case EntityKind::Attribute: {
      auto* attribute = new AcDbAttribute();
      setTextProperties(attribute, e, textStyleId(e.style));
      attribute->setTag(e.tag.c_str());
      attribute->setInvisible(e.attributeFlags & 1);
      return attribute;
    }
    case EntityKind::AttributeDefinition: {
      auto* definition = new AcDbAttributeDefinition();
      setTextProperties(definition, e, textStyleId(e.style));
      definition->setTag(e.tag.c_str());
      definition->setPrompt(e.prompt.c_str());
      definition->setInvisible(e.attributeFlags & 1);
      definition->setConstant(e.attributeFlags & 2);
      return definition;
    }
    case EntityKind::MText: {
      auto* mtext = new AcDbMText();
      mtext->setLocation(toPoint(e.p));
      mtext->setContents(e.text.c_str());
      mtext->setTextHeight(e.height);
      mtext->setWidth(e.width);
      mtext->setRotation(toRadians(e.rotation));
      mtext->setAttachment(e.attachment);
      mtext->setTextStyle(textStyleId(e.style));
      return mtext;
    }
    case EntityKind::Region: {
      auto* region = new AcDbRegion();
      std::vector<AcDbRegionLoop> loops;
      for (const auto& loop : e.loops) {
        loops.emplace_back();
        for (const Vertex& v : loop) loops.back().push_back({v.x, v.y, v.bulge});
      }
      region->setLoops(std::move(loops));
      region->setElevation(e.elevation);
      region->setKeptData(e.modelerData);
      return region;
    }
    case EntityKind::Kept:
      return new AcDbKeptEntity(e.typeName.c_str(), e.groups);
    case EntityKind::Insert: {
      const AcDbObjectId block = blockId(e.block);
      if (block.isNull()) {
        ++skippedReferences_;
        return nullptr;
      }
      auto* reference = new AcDbBlockReference(toPoint(e.p), block);
      reference->setScaleFactors(AcGeScale3d(e.scale.x, e.scale.y, e.scale.z));
      reference->setRotation(toRadians(e.rotation));
      return reference;
    }
  }
  return nullptr;
}

// Model space, or the block being read, or paper space; null when it cannot be opened.
AcDbBlockTableRecord* DatabaseImporter::ownerOf(const DxfEntity& e) {
  if (!e.paperSpace) {
    if (owner_ == nullptr) openOwner(db_->modelSpaceId());
    return owner_;
  }
  if (paperSpace_ == nullptr) {
    const AcDb::Status opened = acdbOpenObject(paperSpace_, blockId(ACDB_PAPER_SPACE), AcDb::kForWrite);
    if (opened != AcDb::kOk) {
      paperSpace_ = nullptr;
      refuse("cannot open paper space for writing", opened);
    }
  }
  return paperSpace_;
}

bool DatabaseImporter::entity(const DxfEntity& e) {
  if (skippingBlock_) return true;
  AcDbBlockTableRecord* owner = ownerOf(e);
  if (owner == nullptr) return false;
  std::unique_ptr<AcDbEntity> entity(makeEntity(e));
  if (!entity) return true;
  setCommon(entity.get(), e);
  AcDbObjectId id;
  const AcDb::Status appended = owner->appendAcDbEntity(id, entity.get());
  if (appended != AcDb::kOk) return refuse("the host refused an entity", appended);
  AcDbEntity* added = entity.release();
  if (e.kind == EntityKind::Insert) {
    auto* reference = AcDbBlockReference::cast(added);
    for (const DxfEntity& a : e.attributes) {
      std::unique_ptr<AcDbEntity> attribute(makeEntity(a));
      setCommon(attribute.get(), a);
      auto* typed = AcDbAttribute::cast(attribute.get());
      if (!typed) continue;
      AcDbObjectId attributeId;
      const AcDb::Status joined = reference->appendAttribute(attributeId, typed);
      if (joined != AcDb::kOk) {
        added->close();
        return refuse("the host refused an attribute", joined);
      }
      attribute.release();
    }
  }
  added->close();
  return true;
}

bool DatabaseImporter::appId(const std::string& name) {
  db_->impl()->fileAppIds.push_back(name);
  return true;
}

bool DatabaseImporter::tableRecord(const DxfTableRecord& record) {
  db_->impl()->fileTableRecords.push_back(record);
  return true;
}

bool DatabaseImporter::objects(const DxfObjects& objects) {
  db_->impl()->fileObjects = objects;
  return true;
}

bool DatabaseImporter::textStyle(const DxfTextStyle& style) {
  if (style.name.empty()) {
    db_->impl()->fileShapeFiles.push_back(style);
    return true;
  }
  AcDbTextStyleTableRecord* record = nullptr;
  const AcDbObjectId id = textStyleId(style.name);
  if (id == db_->textStyleStandard() && nameKey(style.name) != "STANDARD") return true;  // refused name
  if (acdbOpenObject(record, id, AcDb::kForWrite) != AcDb::kOk) return true;
  record->setFlagBits(style.flags);
  record->setTextSize(style.fixedHeight);
  record->setXScale(style.width);
  record->setObliquingAngle(toRadians(style.oblique));
  record->setTextGenerationFlags(style.generation);
  record->setPriorSize(style.lastHeight);
  record->setFileName(style.font.c_str());
  record->setBigFontFileName(style.bigFont.c_str());
  record->close();
  return true;
}

bool DatabaseImporter::layerState(const DxfLayerState& state) {
  AcDbLayerStateManager::LayerState saved;
  saved.name = state.name;
  saved.mask = state.mask;
  for (const DxfLayerState::Layer& layer : state.layers) {
    AcDbLayerStateManager::LayerSettings& settings = saved.layers.emplace_back();
    settings.layerName = layer.name;
    settings.off = layer.off, settings.frozen = layer.frozen, settings.locked = layer.locked;
    settings.plottable = layer.plottable, settings.vpdflt = layer.frozenInNewViewports;
    settings.color = layer.colour;
    settings.linetype = layer.linetype;
    settings.lineweight = layer.lineweight;
    settings.plotStyle = layer.plotStyle;
  }
  if (!saved.name.empty()) db_->getLayerStateManager()->putLayerState(saved);
  return true;
}

bool DatabaseImporter::finish() {
  closeOwner();
  if (paperSpace_) paperSpace_->close();
  paperSpace_ = nullptr;
  const AcDbObjectId current = layerId(currentLayer_);
  const AcDb::Status made = db_->setClayer(current);
  if (made != AcDb::kOk)
    warnings_.push_back("the current layer " + currentLayer_ + " could not be made current");
  for (const DxfLayer& layer : layerStates_) {
    AcDbLayerTableRecord* record = nullptr;
    if (acdbOpenObject(record, layerId(layer.name), AcDb::kForWrite) != AcDb::kOk) continue;
    if (layer.frozen && record->setIsFrozen(true) != AcDb::kOk)
      warnings_.push_back("layer " + layer.name + " is current and was left thawed");
    if (layer.locked) record->setIsLocked(true);
    record->close();
  }
  for (const auto& [name, count] : refusedNames_)
    warnings_.push_back("the host does not take the name of " + name + "; " +
                        (name.rfind("block", 0) == 0 ? "its definition was skipped"
                                                      : "layer 0, Continuous or Standard stands in"));
  if (skippedReferences_ > 0)
    warnings_.push_back("skipped " + std::to_string(skippedReferences_) +
                        " references to blocks whose names the host does not take");
  return error_.empty();
}

// ---------------------------------------------------------------------------------------------

namespace {

std::string recordName(AcDbObjectId id) {
  AcDbObject* object = nullptr;
  if (acdbOpenAcDbObject(object, id, AcDb::kForRead) != AcDb::kOk) return "0";
  auto* record = AcDbSymbolTableRecord::cast(object);
  std::string name = record ? record->name() : "0";
  object->close();
  return name;
}

template <typename Table, typename Visit>
void forEachRecord(AcDbDatabase* db, Visit&& visit) {
  Table* raw = nullptr;
  if (db->getSymbolTable(raw, AcDb::kForRead) != AcDb::kOk) return;
  Opened<Table> table(raw);
  AcDbSymbolTableIterator* rawIterator = nullptr;
  if (table->newIterator(rawIterator) != AcDb::kOk) return;
  std::unique_ptr<AcDbSymbolTableIterator> iterator(rawIterator);
  for (; !iterator->done(); iterator->step()) {
    AcDbSymbolTableRecord* record = nullptr;
    if (iterator->getRecord(record, AcDb::kForRead) != AcDb::kOk) continue;
    visit(record);
    record->close();
  }
}

template <typename Visit>
void forEachEntity(AcDbObjectId blockId, Visit&& visit) {
  AcDbBlockTableRecord* raw = nullptr;
  if (acdbOpenObject(raw, blockId, AcDb::kForRead) != AcDb::kOk) return;
  Opened<AcDbBlockTableRecord> block(raw);
  AcDbBlockTableRecordIterator* rawIterator = nullptr;
  if (block->newIterator(rawIterator) != AcDb::kOk) return;
  std::unique_ptr<AcDbBlockTableRecordIterator> iterator(rawIterator);
  for (; !iterator->done(); iterator->step()) {
    AcDbEntity* entity = nullptr;
    if (iterator->getEntity(entity, AcDb::kForRead) != AcDb::kOk) continue;
    visit(entity);
    entity->close();
  }
}

void exportCommon(const AcDbEntity* entity, DxfEntity& e) {
  e.layer = entity->layer();
  e.linetype = entity->linetype();
  e.colour = entity->colorIndex();
  e.lineweight = entity->lineWeight();
  e.invisible = entity->visibility() == AcDb::kInvisible;
  e.linetypeScale = entity->linetypeScale();
  e.fileGroups = entity->fileGroups_;
  e.fileHandle = entity->fileHandle_;
  e.extensionDictionary = entity->fileDictionary_;
}

void exportText(const AcDbText* text, DxfEntity& e) {
  e.p = fromPoint(text->position());
  e.q = fromPoint(text->alignmentPoint());
  e.hasAlignmentPoint = text->horizontalMode() != 0 || text->verticalMode() != 0;
  e.alignment.horizontal = text->horizontalMode();
  e.alignment.vertical = text->verticalMode();
  e.text = text->textString();
  e.height = text->height();
  e.rotation = toDegrees(text->rotation());
  e.widthFactor = text->widthFactor();
  e.style = recordName(text->textStyle());
}

}  // namespace

DatabaseExporter::DatabaseExporter(AcDbDatabase* db) : db_(db) {}

DxfDrawing DatabaseExporter::tables() {
  DxfDrawing drawing;
  drawing.header.currentLayer = recordName(db_->clayer());
  drawing.header.variables = db_->impl()->fileVariables;
  drawing.appIds = db_->impl()->fileAppIds;
  drawing.tableRecords = db_->impl()->fileTableRecords;
  drawing.shapeFiles = db_->impl()->fileShapeFiles;
  drawing.objects = db_->impl()->fileObjects;
  // Extended data names its application, which the drawing must list.
  auto addApplications = [&](const std::vector<DxfGroup>& groups) {
    for (const auto& [code, value] : groups)
      if (code == 1001 && std::find(drawing.appIds.begin(), drawing.appIds.end(), value) == drawing.appIds.end())
        drawing.appIds.push_back(value);
  };
  const auto addEntityApplications = [&](const AcDbEntity* entity) {
    addApplications(entity->fileGroups_);
    if (auto* kept = AcDbKeptEntity::cast(entity)) addApplications(kept->groups());
    auto* reference = AcDbBlockReference::cast(entity);
    const AcDbObjectIdArray attributes = reference ? reference->attributeIds() : AcDbObjectIdArray();
    for (int i = 0; i < attributes.length(); ++i) {
      AcDbEntity* attribute = nullptr;
      if (acdbOpenAcDbEntity(attribute, attributes[i], AcDb::kForRead) != AcDb::kOk) continue;
      addApplications(attribute->fileGroups_);
      attribute->close();
    }
  };
  forEachEntity(db_->modelSpaceId(), addEntityApplications);
  forEachEntity(paperSpaceId(), addEntityApplications);
  forEachRecord<AcDbLinetypeTable>(db_, [&](AcDbSymbolTableRecord* record) {
    auto* linetype = AcDbLinetypeTableRecord::cast(record);
    if (!linetype) return;
    DxfLinetype& out = drawing.linetypes.emplace_back();
    out.name = linetype->name();
    out.description = linetype->comments();
    const AcGeDoubleArray& dashes = linetype->dashes();
    for (int i = 0; i < dashes.length(); ++i) out.dashes.push_back(dashes[i]);
  });
  forEachRecord<AcDbLayerTable>(db_, [&](AcDbSymbolTableRecord* record) {
    auto* layer = AcDbLayerTableRecord::cast(record);
    if (!layer) return;
    DxfLayer& out = drawing.layers.emplace_back();
    out.name = layer->name();
    out.colour = layer->colorIndex();
    out.linetype = recordName(layer->linetypeObjectId());
    if (out.linetype == "0") out.linetype = "Continuous";
    out.lineweight = layer->lineWeight();
    out.off = layer->isOff();
    out.frozen = layer->isFrozen();
    out.locked = layer->isLocked();
    out.plottable = layer->isPlottable();
    out.frozenInNewViewports = layer->VPDFLT();
  });
  forEachRecord<AcDbTextStyleTable>(db_, [&](AcDbSymbolTableRecord* record) {
    auto* style = AcDbTextStyleTableRecord::cast(record);
    if (!style) return;
    DxfTextStyle& out = drawing.styleRecords.emplace_back();
    out.name = style->name();
    out.flags = style->flagBits();
    out.fixedHeight = style->textSize();
    out.width = style->xScale();
    out.oblique = toDegrees(style->obliquingAngle());
    out.generation = style->textGenerationFlags();
    out.lastHeight = style->priorSize();
    out.font = style->fileName();
    out.bigFont = style->bigFontFileName();
  });
  for (const AcDbLayerStateManager::LayerState& saved : db_->getLayerStateManager()->layerStates()) {
    DxfLayerState& state = drawing.layerStates.emplace_back();
    state.name = saved.name;
    state.mask = saved.mask;
    for (const AcDbLayerStateManager::LayerSettings& settings : saved.layers) {
      DxfLayerState::Layer& layer = state.layers.emplace_back();
      layer.name = settings.layerName;
      layer.off = settings.off, layer.frozen = settings.frozen, layer.locked = settings.locked;
      layer.plottable = settings.plottable, layer.frozenInNewViewports = settings.vpdflt;
      layer.colour = settings.color;
      layer.linetype = settings.linetype;
      layer.lineweight = settings.lineweight;
      layer.plotStyle = settings.plotStyle;
    }
  }
  std::vector<AcDbObjectId> definitions;
  forEachRecord<AcDbBlockTable>(db_, [&](AcDbSymbolTableRecord* record) {
    auto* block = AcDbBlockTableRecord::cast(record);
    if (block && !block->isLayout()) definitions.push_back(block->objectId());
  });
  for (const AcDbObjectId id : definitions) {
    AcDbBlockTableRecord* block = nullptr;
    if (acdbOpenObject(block, id, AcDb::kForRead) != AcDb::kOk) continue;
    DxfBlockDefinition& definition = drawing.blocks.emplace_back();
    definition.block.name = block->name();
    definition.block.base = fromPoint(block->origin());
    definition.block.flags = definition.block.name.rfind('*', 0) == 0 ? 1 : 0;  // anonymous
    block->close();
    forEachEntity(id, [&](const AcDbEntity* entity) {
      exportEntity(entity, scratch_, [&](const DxfEntity& e) { definition.entities.push_back(e); });
    });
  }
  for (const DxfBlockDefinition& definition : drawing.blocks)
    for (const DxfEntity& e : definition.entities) {
      addApplications(e.fileGroups);
      addApplications(e.groups);
      for (const DxfEntity& attribute : e.attributes) addApplications(attribute.fileGroups);
    }
  return drawing;
}

AcDbObjectId DatabaseExporter::paperSpaceId() const {
  AcDbBlockTable* table = nullptr;
  AcDbObjectId id;
  if (db_->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return id;
  table->getAt(ACDB_PAPER_SPACE, id);
  table->close();
  return id;
}

void DatabaseExporter::modelSpace(const DxfEntityVisitor& visit) {
  forEachEntity(db_->modelSpaceId(),
                [&](const AcDbEntity* entity) { exportEntity(entity, scratch_, visit); });
  // Paper space follows in the same section, each entity marked as paper space's.
  exportingPaperSpace_ = true;
  forEachEntity(paperSpaceId(), [&](const AcDbEntity* entity) { exportEntity(entity, scratch_, visit); });
  exportingPaperSpace_ = false;
}

void DatabaseExporter::exportEntity(const AcDbEntity* entity, DxfEntity& e,
                                    const DxfEntityVisitor& emit) {
  e.reset(EntityKind::Line);
  exportCommon(entity, e);
  e.paperSpace = exportingPaperSpace_;
  // Lines are most of a drawing: their class first, before the casts down the hierarchy.
  if (entity->isA() == AcDbLine::desc()) {
    auto* line = static_cast<const AcDbLine*>(entity);
    e.p = fromPoint(line->startPoint());
    e.q = fromPoint(line->endPoint());
  } else if (auto* definition = AcDbAttributeDefinition::cast(entity)) {
    e.kind = EntityKind::AttributeDefinition;
    exportText(definition, e);
    e.tag = definition->tag();
    e.prompt = definition->prompt();
    e.attributeFlags = (definition->isInvisible() ? 1 : 0) | (definition->isConstant() ? 2 : 0);
  } else if (auto* attribute = AcDbAttribute::cast(entity)) {
    e.kind = EntityKind::Attribute;
    exportText(attribute, e);
    e.tag = attribute->tag();
    e.attributeFlags = attribute->isInvisible() ? 1 : 0;
  } else if (auto* text = AcDbText::cast(entity)) {
    e.kind = EntityKind::Text;
    exportText(text, e);
  } else if (auto* mtext = AcDbMText::cast(entity)) {
    e.kind = EntityKind::MText;
    e.p = fromPoint(mtext->location());
    e.text = mtext->contents();
    e.height = mtext->textHeight();
    e.width = mtext->width();
    e.rotation = toDegrees(mtext->rotation());
    e.attachment = mtext->attachment();
    e.style = recordName(mtext->textStyle());
  } else if (auto* reference = AcDbBlockReference::cast(entity)) {
    e.kind = EntityKind::Insert;
    e.block = recordName(reference->blockTableRecord());
    e.p = fromPoint(reference->position());
    const AcGeScale3d scale = reference->scaleFactors();
    e.scale = Point{scale.sx, scale.sy, scale.sz};
    e.rotation = toDegrees(reference->rotation());
    const AcDbObjectIdArray attributes = reference->attributeIds();
    for (int i = 0; i < attributes.length(); ++i) {
      AcDbEntity* attributeEntity = nullptr;
      if (acdbOpenAcDbEntity(attributeEntity, attributes[i], AcDb::kForRead) != AcDb::kOk) continue;
      DxfEntity exported;
      exportEntity(attributeEntity, exported,
                   [&](const DxfEntity& a) { e.attributes.push_back(a); });
      attributeEntity->close();
    }
  } else if (auto* line = AcDbLine::cast(entity)) {
    e.kind = EntityKind::Line;
    e.p = fromPoint(line->startPoint());
    e.q = fromPoint(line->endPoint());
  } else if (auto* arc = AcDbArc::cast(entity)) {
    e.kind = EntityKind::Arc;
    e.p = fromPoint(arc->center());
    e.radius = arc->radius();
    e.startAngle = toDegrees(arc->startAngle());
    e.endAngle = toDegrees(arc->endAngle());
  } else if (auto* circle = AcDbCircle::cast(entity)) {
    e.kind = EntityKind::Circle;
    e.p = fromPoint(circle->center());
    e.radius = circle->radius();
  } else if (auto* polyline = AcDbPolyline::cast(entity)) {
    e.kind = EntityKind::Polyline;
    for (unsigned i = 0; i < polyline->numVerts(); ++i) {
      AcGePoint2d point;
      double bulge = 0, startWidth = 0, endWidth = 0;
      polyline->getPointAt(i, point);
      polyline->getBulgeAt(i, bulge);
      polyline->getWidthsAt(i, startWidth, endWidth);
      e.vertices.push_back({point.x, point.y, bulge, startWidth, endWidth});
    }
    e.closed = polyline->isClosed();
    e.elevation = polyline->elevation();
    e.width = polyline->constantWidth();
  } else if (auto* point = AcDbPoint::cast(entity)) {
    e.kind = EntityKind::Point;
    e.p = fromPoint(point->position());
  } else if (auto* region = AcDbRegion::cast(entity)) {
    e.kind = EntityKind::Region;
    for (const AcDbRegionLoop& loop : region->loops()) {
      e.loops.emplace_back();
      for (const AcDbRegionVertex& v : loop) e.loops.back().push_back({v.x, v.y, v.bulge});
    }
    e.elevation = region->elevation();
    e.modelerData = region->keptData();
  } else if (auto* kept = AcDbKeptEntity::cast(entity)) {
    e.kind = EntityKind::Kept;
    e.typeName = kept->dxfType();
    e.groups = kept->groups();
  } else {
    return;  // nothing else is kept by the host
  }
  emit(e);
}

}  // namespace drawhost::dxf
