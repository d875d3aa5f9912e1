// The drawing database: object ids, database objects and their open/close
// protocol, the database itself.
//
// Objects that belong to a database are owned by it; a plug-in reaches them
// through an AcDbObjectId and a pointer from acdbOpenAcDbObject that is valid
// until close(). The protocol:
//   - opens for read may nest (each needs its own close);
//   - an open for write is exclusive: it fails on an object that is open in
//     any way, and an object open for write cannot be opened again;
//   - erased objects open only when openErased is true;
//   - an entity on a locked layer does not open for write;
//   - changing an object needs it open for write (setters return
//     AcDb::kNotOpenForWrite otherwise). Objects not yet in a database
//     (made with new) can be changed freely; their creator owns them until
//     they are appended, and deletes them if they never are.
#pragma once

#include <cstdint>
#include <string>

#include "hostapi/geometry.h"
#include "hostapi/rxclass.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

class AcDbDatabase;
class AcDbObject;
class AcDbEntity;
class AcDbLayerStateManager;
class AcDbLayerTable;
class AcDbBlockTable;
class AcDbLinetypeTable;
class AcDbTextStyleTable;
struct AcDbStub;

namespace AcDb {
// Database status codes. kOk is 0; every other value is a refusal.
enum Status : int {
  kOk = 0,
  kNullObjectId = 1,
  kWasErased = 2,
  kWasOpenForWrite = 3,
  kWasOpenForRead = 4,
  kNotOpenForWrite = 5,
  kNotOpen = 6,
  kOnLockedLayer = 7,
  kWrongObjectType = 8,
  kInvalidInput = 9,
  kKeyNotFound = 10,
  kDuplicateKey = 11,
  kNotInDatabase = 12,
  kAlreadyInDb = 13,
  kLayerIsCurrent = 14,     // freezing or erasing the current layer
  kLayerIsFrozen = 15,      // making a frozen layer current
  kLayerZero = 16,          // erasing or renaming layer "0"
  kStillReferenced = 17,    // erasing a record that entities still use
  kCannotEraseModelSpace = 18,
  kInvalidIndex = 19,
  kNotApplicable = 20,
  kNotImplemented = 21,
  kLockViolation = 22,
  kWasNotErased = 23,
  kOutOfRange = 24
};

enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };

enum Visibility { kVisible = 0, kInvisible = 1 };

// Intersection modes of AcDbEntity::intersectWith.
enum Intersect { kOnBothOperands = 0, kExtendThis = 1, kExtendArg = 2, kExtendBoth = 3 };

// Lineweights in hundredths of a millimetre, or one of the special values.
enum LineWeight : int {
  kLnWt000 = 0, kLnWt005 = 5, kLnWt009 = 9, kLnWt013 = 13, kLnWt015 = 15, kLnWt018 = 18,
  kLnWt020 = 20, kLnWt025 = 25, kLnWt030 = 30, kLnWt035 = 35, kLnWt040 = 40, kLnWt050 = 50,
  kLnWt053 = 53, kLnWt060 = 60, kLnWt070 = 70, kLnWt080 = 80, kLnWt090 = 90, kLnWt100 = 100,
  kLnWt106 = 106, kLnWt120 = 120, kLnWt140 = 140, kLnWt158 = 158, kLnWt200 = 200,
  kLnWt211 = 211,
  kLnWtByLayer = -1, kLnWtByBlock = -2, kLnWtByLwDefault = -3
};

// Colour indexes with a meaning of their own.
constexpr int kColorByBlock = 0;
constexpr int kColorByLayer = 256;
}  // namespace AcDb

// Name of the model-space block.
#define ACDB_MODEL_SPACE "*Model_Space"
#define ACDB_PAPER_SPACE "*Paper_Space"

// Identifies an object of an open database. The null id names nothing.
// Ids stay valid (and keep naming an erased object) while the database lives.
class AcDbObjectId {
 public:
  AcDbObjectId() = default;
  bool isNull() const { return stub_ == nullptr; }
  void setNull() { stub_ = nullptr; }
  // True for a non-null id whose object exists and is not erased.
  bool isValid() const;
  bool isErased() const;
  AcDbDatabase* database() const;
  // The object's handle: unique in its database, stable, never 0.
  std::uint64_t handle() const;
  bool operator==(const AcDbObjectId& o) const { return stub_ == o.stub_; }
  bool operator!=(const AcDbObjectId& o) const { return stub_ != o.stub_; }
  bool operator<(const AcDbObjectId& o) const { return stub_ < o.stub_; }
  static const AcDbObjectId kNull;

  // Host-internal.
  explicit AcDbObjectId(AcDbStub* stub) : stub_(stub) {}
  AcDbStub* stub() const { return stub_; }

 private:
  AcDbStub* stub_ = nullptr;
};
inline const AcDbObjectId AcDbObjectId::kNull{};

using AcDbObjectIdArray = AcArray<AcDbObjectId>;

class AcDbObject : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbObject)
  AcDbObject();
  ~AcDbObject() override;
  AcDbObject(const AcDbObject&) = delete;
  AcDbObject& operator=(const AcDbObject&) = delete;

  AcDbObjectId objectId() const;
  AcDbObjectId ownerId() const;
  AcDbDatabase* database() const;
  std::uint64_t handle() const;

  bool isErased() const;
  bool isReadEnabled() const;
  bool isWriteEnabled() const;
  // Not (yet) in a database.
  bool isNewObject() const { return stub_ == nullptr; }

  // Ends one open. An object not in a database has nothing to close (kOk).
  AcDb::Status close();
  // Read to write: only when this is the one open of the object.
  AcDb::Status upgradeOpen();
  AcDb::Status downgradeOpen();
  // Erases (true) or restores (false). Needs a write open. Symbol table
  // records refuse as the host does (layer "0", the current layer, a layer
  // still used by entities, model space).
  virtual AcDb::Status erase(bool erasing = true);

  // A new object, not in any database, with the same properties.
  virtual AcRxObject* clone() const;

  // Host-internal.
  AcDbStub* stub() const { return stub_; }
  void attachStub(AcDbStub* stub) { stub_ = stub; }
  std::uint16_t readers_ = 0;
  bool writer_ = false;
  bool erased_ = false;

 protected:
  // True when this object may be changed now: not in a database, or open for write.
  bool canWrite() const { return stub_ == nullptr || writer_; }

 private:
  // Tells the host's spatial look-ups that this object may have moved.
  void noteGeometry();
  AcDbStub* stub_ = nullptr;
};

// Opens an object. With a class descriptor, an object that is not of that
// class (or derived from it) is not opened: kWrongObjectType.
AcDb::Status acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                                bool openErased = false, const AcRxClass* desc = nullptr);
AcDb::Status acdbOpenAcDbEntity(AcDbEntity*& ent, AcDbObjectId id, AcDb::OpenMode mode,
                                bool openErased = false);
// Typed open: acdbOpenObject(line, id, AcDb::kForRead) opens only lines.
template <typename T>
AcDb::Status acdbOpenObject(T*& obj, AcDbObjectId id, AcDb::OpenMode mode,
                            bool openErased = false) {
  AcDbObject* raw = nullptr;
  AcDb::Status es = acdbOpenAcDbObject(raw, id, mode, openErased, T::desc());
  obj = es == AcDb::kOk ? static_cast<T*>(raw) : nullptr;
  return es;
}

// An in-memory drawing. A database made with defaults holds layer "0",
// the linetypes BYLAYER, BYBLOCK, CONTINUOUS, DASHED, HIDDEN, CENTER,
// the text style STANDARD, and the blocks "*Model_Space" and "*Paper_Space".
class AcDbDatabase : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbDatabase)
  explicit AcDbDatabase(bool buildDefaultDrawing = true);
  ~AcDbDatabase() override;
  AcDbDatabase(const AcDbDatabase&) = delete;
  AcDbDatabase& operator=(const AcDbDatabase&) = delete;

  AcDb::Status getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
  AcDb::Status getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
  AcDb::Status getSymbolTable(AcDbLinetypeTable*& table, AcDb::OpenMode mode);
  AcDb::Status getSymbolTable(AcDbTextStyleTable*& table, AcDb::OpenMode mode);
  AcDb::Status getLayerTable(AcDbLayerTable*& t, AcDb::OpenMode m) { return getSymbolTable(t, m); }
  AcDb::Status getBlockTable(AcDbBlockTable*& t, AcDb::OpenMode m) { return getSymbolTable(t, m); }
  AcDbObjectId layerTableId() const;
  AcDbObjectId blockTableId() const;
  AcDbObjectId linetypeTableId() const;
  AcDbObjectId textStyleTableId() const;
  AcDbObjectId modelSpaceId() const;
  AcDbObjectId layerZero() const;
  AcDbObjectId byLayerLinetype() const;
  AcDbObjectId byBlockLinetype() const;
  AcDbObjectId continuousLinetype() const;
  AcDbObjectId textStyleStandard() const;

  // The current layer. setClayer refuses a frozen layer (kLayerIsFrozen)
  // and anything that is not a live layer of this database.
  AcDbObjectId clayer() const;
  AcDb::Status setClayer(AcDbObjectId layerId);

  AcDbLayerStateManager* getLayerStateManager() const;

  // Adds an object that is not a symbol-table record or entity (rarely needed).
  AcDb::Status addAcDbObject(AcDbObjectId& id, AcDbObject* obj);
  // Number of objects ever added, erased ones included.
  int approxNumObjects() const;
  // Incremented by every close of an object opened for write.
  std::uint64_t modificationCount() const;

  // Host-internal.
  struct Impl;
  Impl* impl() const { return impl_; }

 private:
  Impl* impl_;
};

// The application services: gives the working database (that of the
// current document).
class AcDbHostApplicationServices {
 public:
  AcDbDatabase* workingDatabase() const;
  void setWorkingDatabase(AcDbDatabase* db);
};
AcDbHostApplicationServices* acdbHostApplicationServices();

#pragma GCC visibility pop
