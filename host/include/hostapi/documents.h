// Documents (open drawings), the document manager and its reactors, and the
// input-point monitors that the host calls on every cursor movement.
//
// Each document has its own database, lock, input-point manager and
// transaction manager. One document is current; its database is the
// working database.
#pragma once

#include <map>
#include <string>

#include "hostapi/database.h"
#include "hostapi/winshim.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

class AcApDocument;
class AcEdInputPointManager;

namespace AcAp {
enum DocLockMode {
  kNone = 0x00,
  kAutoWrite = 0x01,
  kNotLocked = 0x02,
  kWrite = 0x04,
  kProtectedAutoWrite = 0x14,
  kRead = 0x20,
  kXWrite = 0x40
};
}

// Graphics queue of a document.
class AcApTransactionManager {
 public:
  // Draws the queued graphics now.
  AcDb::Status flushGraphics();
  // Host-internal.
  explicit AcApTransactionManager(AcApDocument* doc) : doc_(doc) {}
  AcApDocument* document() const { return doc_; }
  int flushCount() const { return flushes_; }

 private:
  AcApDocument* doc_;
  int flushes_ = 0;
};

class AcApDocument : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcApDocument)
  AcDbDatabase* database() const;
  // The drawing's file name (GBK), "Drawing1.dwg" style for new drawings.
  const char* fileName() const;
  const char* docTitle() const;
  AcEdInputPointManager* inputPointManager() const;
  AcApTransactionManager* transactionManager() const;
  AcAp::DocLockMode myLockMode() const;
  bool isQuiescent() const;

  // Host-internal.
  struct Impl;
  explicit AcApDocument(Impl* impl);
  ~AcApDocument() override;
  Impl* impl() const { return impl_; }

 private:
  Impl* impl_;
};

class AcApDocManagerReactor : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcApDocManagerReactor)
  virtual void documentCreated(AcApDocument*) {}
  virtual void documentToBeDestroyed(AcApDocument*) {}
  virtual void documentActivated(AcApDocument*) {}
  virtual void documentBecameCurrent(AcApDocument*) {}
  virtual void documentLockModeChanged(AcApDocument*, AcAp::DocLockMode /*from*/,
                                       AcAp::DocLockMode /*to*/) {}
};

class AcApDocManager : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcApDocManager)
  AcApDocument* curDocument() const;
  AcApDocument* mdiActiveDocument() const;
  int documentCount() const;
  AcApDocument* document(int index) const;
  // The document whose database is db, or null.
  AcApDocument* document(const AcDbDatabase* db) const;
  // Locks nest; a write lock is refused (kLockViolation) while another
  // document's command holds one. Every lock needs an unlock.
  AcDb::Status lockDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kWrite,
                            const char* globalCmdName = nullptr,
                            const char* localCmdName = nullptr, bool prompt = true);
  AcDb::Status unlockDocument(AcApDocument* doc);
  AcDb::Status setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kNone,
                              bool activate = false);
  void addReactor(AcApDocManagerReactor* reactor);
  void removeReactor(AcApDocManagerReactor* reactor);
  // The resource module used for dialogs and strings: push a plug-in's
  // module, pop it afterwards. popResourceHandle returns the popped module.
  void pushResourceHandle(HINSTANCE module);
  HINSTANCE popResourceHandle();
  HINSTANCE curResourceHandle() const;
};
// The document manager; null before the host is started or after shutdown.
AcApDocManager* acDocManagerPtr();

// Per-document records of a plug-in: one T per open document, made
// (default-initialised) on the first look-up and dropped when the host
// announces the document's destruction. Usually one static object per
// plug-in; it follows the document manager as a reactor while it lives.
template <typename T>
class AcApDataManager : public AcApDocManagerReactor {
 public:
  AcApDataManager() {
    if (AcApDocManager* dm = acDocManagerPtr()) dm->addReactor(this);
  }
  ~AcApDataManager() override {
    if (AcApDocManager* dm = acDocManagerPtr()) dm->removeReactor(this);
  }
  AcApDataManager(const AcApDataManager&) = delete;
  AcApDataManager& operator=(const AcApDataManager&) = delete;
  // The record of the current document.
  T& docData() { return docData(acDocManagerPtr()->curDocument()); }
  T& docData(AcApDocument* doc) { return records_[doc]; }
  bool hasDocData(AcApDocument* doc) const { return records_.count(doc) > 0; }
  void documentToBeDestroyed(AcApDocument* doc) override { records_.erase(doc); }

 private:
  std::map<AcApDocument*, T> records_;
};

// What the host knows about the cursor when it calls a monitor.
struct AcEdInputPointData {
  AcApDocument* document = nullptr;
  // True when the host computed a point (always for cursor movement).
  bool pointComputed = false;
  int history = 0;
  AcGePoint3d lastPoint, rawPoint, grippedPoint, cartesianSnappedPoint, osnappedPoint;
  // Top-level entities under the aperture, nearest first.
  AcDbObjectIdArray apertureEntities;
  // For each aperture entity, the path from it down to the innermost
  // entity under the cursor: block references first, the innermost entity
  // last. An entity that is not a block reference has a path of itself.
  AcArray<AcDbObjectIdArray> nestedApertureEntities;
};

// What a monitor gives back. additionalTooltipString must stay valid until
// the monitor's next call (the host copies it right away).
struct AcEdInputPointResult {
  bool appendToTooltipStr = false;
  const char* additionalTooltipString = nullptr;
};

class AcEdInputPointMonitor : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcEdInputPointMonitor)
  ~AcEdInputPointMonitor() override;
  virtual AcDb::Status monitorInputPoint(const AcEdInputPointData& input,
                                         AcEdInputPointResult& output) = 0;
  // True hides the entity from object snapping.
  virtual bool excludeFromOsnapCalculation(const AcDbObjectIdArray& nestedEntity,
                                           std::intptr_t gsSelectionMark) {
    (void)nestedEntity, (void)gsSelectionMark;
    return false;
  }
};

class AcEdInputPointManager {
 public:
  // kDuplicateKey when the monitor is already added. A monitor of one
  // document is never called for another.
  AcDb::Status addPointMonitor(AcEdInputPointMonitor* monitor);
  AcDb::Status removePointMonitor(AcEdInputPointMonitor* monitor);
  int numMonitors() const;

  // Host-internal.
  struct Impl;
  explicit AcEdInputPointManager(AcApDocument* doc);
  ~AcEdInputPointManager();
  Impl* impl_;
};

#pragma GCC visibility pop
