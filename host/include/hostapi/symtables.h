// Symbol tables and their records: layers, blocks, linetypes, text styles.
//
// A table is a database object; each record is one too and is opened
// through the table (getAt) or an iterator. Names compare without regard to
// case ("wall" finds "WALL"); records keep the case they were given.
// Table order is the order of adding.
#pragma once

#include <string>

#include "hostapi/entities.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

class AcDbSymbolTableRecord : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord)
  // The name; valid until the record is closed or renamed.
  AcDb::Status getName(const char*& name) const;
  AcDb::Status getName(std::string& name) const;
  const char* name() const { return name_.c_str(); }
  // Refuses an empty name, one with characters <>/\":;?*|,=` and a name
  // that another record of the same table has (kDuplicateKey).
  AcDb::Status setName(const char* name);
  // Refusals: see database.h (layer "0", current layer, layer in use,
  // model space, a block still inserted, the built-in linetypes).
  AcDb::Status erase(bool erasing = true) override;

  // Host-internal.
  std::string name_;
};

class AcDbSymbolTableIterator {
 public:
  virtual ~AcDbSymbolTableIterator();
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  AcDb::Status getRecordId(AcDbObjectId& id) const;
  AcDb::Status getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                         bool openErased = false) const;

  // Host-internal.
  AcDbSymbolTableIterator(const struct AcDbRecordList* list, bool atBeginning, bool skipDeleted);

 private:
  void skip(bool forward);
  const struct AcDbRecordList* list_;
  int index_;
  bool skipDeleted_;
};

class AcDbSymbolTable : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTable)
  ~AcDbSymbolTable() override;
  // Erased records are not found.
  bool has(const char* name) const;
  bool has(AcDbObjectId id) const;
  AcDb::Status getAt(const char* name, AcDbObjectId& id, bool getErased = false) const;
  AcDb::Status getAt(const char* name, AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                     bool openErased = false) const;
  // Adds a new record (named, not in a database); the table must be open for
  // write. The record joins the database open for write: close it.
  AcDb::Status add(AcDbSymbolTableRecord* record);
  AcDb::Status add(AcDbObjectId& id, AcDbSymbolTableRecord* record);
  AcDb::Status newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning = true,
                           bool skipDeleted = true) const;

  // Host-internal.
  struct AcDbRecordList* records_;
  AcDbSymbolTable();
};

// Layer record. Settings are those a layer state saves: on, frozen, locked,
// plottable, frozen in new viewports, colour, linetype, lineweight, plot style.
class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord)
  AcDbLayerTableRecord();
  bool isOff() const { return off_; }
  AcDb::Status setIsOff(bool off);
  bool isFrozen() const { return frozen_; }
  // Freezing the current layer is refused with kLayerIsCurrent.
  AcDb::Status setIsFrozen(bool frozen);
  bool isLocked() const { return locked_; }
  AcDb::Status setIsLocked(bool locked);
  bool isPlottable() const { return plottable_; }
  AcDb::Status setIsPlottable(bool plottable);
  // Frozen in new viewports.
  bool VPDFLT() const { return vpdflt_; }
  AcDb::Status setVPDFLT(bool frozen);
  // Colour index 1..255 (never by layer or by block).
  int colorIndex() const { return color_; }
  AcDb::Status setColorIndex(int color);
  AcDbObjectId linetypeObjectId() const;
  AcDb::Status setLinetypeObjectId(AcDbObjectId id);
  AcDb::LineWeight lineWeight() const { return static_cast<AcDb::LineWeight>(lineweight_); }
  AcDb::Status setLineWeight(AcDb::LineWeight weight);
  const char* plotStyleName() const { return plotStyle_.c_str(); }
  AcDb::Status setPlotStyleName(const char* name);
  // Layer "0", the current layer, or a layer an entity (anywhere) uses.
  bool isInUse() const;
  AcRxObject* clone() const override;

  // Host-internal.
  AcDbStub* linetypeStub_ = nullptr;

 private:
  std::string plotStyle_ = "Normal";
  std::int16_t color_ = 7;
  std::int16_t lineweight_ = -3;
  bool off_ = false, frozen_ = false, locked_ = false, plottable_ = true, vpdflt_ = false;
};

class AcDbLayerTableIterator : public AcDbSymbolTableIterator {
 public:
  using AcDbSymbolTableIterator::AcDbSymbolTableIterator;
  using AcDbSymbolTableIterator::getRecord;
  AcDb::Status getRecord(AcDbLayerTableRecord*& record, AcDb::OpenMode mode,
                         bool openErased = false) const;
};

class AcDbLayerTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLayerTable)
  using AcDbSymbolTable::getAt;
  AcDb::Status getAt(const char* name, AcDbLayerTableRecord*& record, AcDb::OpenMode mode,
                     bool openErased = false) const;
  using AcDbSymbolTable::newIterator;
  AcDb::Status newIterator(AcDbLayerTableIterator*& iterator, bool atBeginning = true,
                           bool skipDeleted = true) const;
};

class AcDbBlockTableRecordIterator;

// Block record: model space, paper space or a block definition. Its
// entities are kept in drawing order.
class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord)
  AcDbBlockTableRecord();
  ~AcDbBlockTableRecord() override;
  // Appends a new entity (not in a database); the record must be open for
  // write. The entity joins the database open for write: close it. An
  // entity without a layer goes on the current layer.
  AcDb::Status appendAcDbEntity(AcDbEntity* entity);
  AcDb::Status appendAcDbEntity(AcDbObjectId& id, AcDbEntity* entity);
  AcDb::Status newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning = true,
                           bool skipDeleted = true) const;
  AcGePoint3d origin() const { return origin_; }
  AcDb::Status setOrigin(const AcGePoint3d& p);
  bool isLayout() const;
  bool hasAttributeDefinitions() const;

  // Host-internal.
  struct AcDbEntityList* entities_;

 private:
  AcGePoint3d origin_;
};

class AcDbBlockTableRecordIterator {
 public:
  ~AcDbBlockTableRecordIterator() = default;
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  AcDb::Status getEntityId(AcDbObjectId& id) const;
  AcDb::Status getEntity(AcDbEntity*& entity, AcDb::OpenMode mode,
                         bool openErased = false) const;

  // Host-internal.
  AcDbBlockTableRecordIterator(const struct AcDbEntityList* list, bool atBeginning,
                               bool skipDeleted);

 private:
  void skip(bool forward);
  const struct AcDbEntityList* list_;
  int index_;
  bool skipDeleted_;
};

class AcDbBlockTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockTable)
  using AcDbSymbolTable::getAt;
  AcDb::Status getAt(const char* name, AcDbBlockTableRecord*& record, AcDb::OpenMode mode,
                     bool openErased = false) const;
};

class AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLinetypeTableRecord)
  const char* comments() const { return comments_.c_str(); }
  AcDb::Status setComments(const char* text);
  // Dash lengths: positive dash, negative gap, 0 dot.
  const AcGeDoubleArray& dashes() const { return dashes_; }
  AcDb::Status setDashes(const AcGeDoubleArray& dashes);
  double patternLength() const;
  AcRxObject* clone() const override;

 private:
  std::string comments_;
  AcGeDoubleArray dashes_;
};

class AcDbLinetypeTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLinetypeTable)
  using AcDbSymbolTable::getAt;
  AcDb::Status getAt(const char* name, AcDbLinetypeTableRecord*& record, AcDb::OpenMode mode,
                     bool openErased = false) const;
};

class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbTextStyleTableRecord)
  const char* fileName() const { return font_.c_str(); }
  AcDb::Status setFileName(const char* font);
  const char* bigFontFileName() const { return bigFont_.c_str(); }
  AcDb::Status setBigFontFileName(const char* font);
  double textSize() const { return size_; }
  AcDb::Status setTextSize(double size);
  double xScale() const { return xscale_; }
  AcDb::Status setXScale(double scale);
  // Slant of the characters, in radians.
  double obliquingAngle() const { return oblique_; }
  AcDb::Status setObliquingAngle(double angle);
  // Bits as the drawing file keeps them: 1 a shape file, 4 vertical text.
  int flagBits() const { return flags_; }
  AcDb::Status setFlagBits(int flags);
  // Text generation: 2 backwards, 4 upside down.
  int textGenerationFlags() const { return generation_; }
  AcDb::Status setTextGenerationFlags(int flags);
  // The height last used with the style.
  double priorSize() const { return priorSize_; }
  AcDb::Status setPriorSize(double size);
  AcRxObject* clone() const override;

 private:
  std::string font_ = "txt", bigFont_;
  double size_ = 0, xscale_ = 1, oblique_ = 0, priorSize_ = 2.5;
  int flags_ = 0, generation_ = 0;
};

class AcDbTextStyleTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbTextStyleTable)
  using AcDbSymbolTable::getAt;
  AcDb::Status getAt(const char* name, AcDbTextStyleTableRecord*& record, AcDb::OpenMode mode,
                     bool openErased = false) const;
};

#pragma GCC visibility pop
