// Internal state of the host shared by its source files. Nothing here is
// part of the plug-in interface.
//
// Invariants:
//   - every object of a database has exactly one AcDbStub, kept in the
//     database's stub deque (stable addresses); its handle is index + 1;
//   - a stub's object pointer stays valid until the database is destroyed,
//     erased objects included;
//   - an entity name is (handle, database serial); a selection-set name is
//     (set number, kSetMarker). Both are looked up, never dereferenced, so a
//     stale or forged name cannot crash the host.
#pragma once

#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"

struct AcDbStub {
  AcDbObject* object = nullptr;
  AcDbDatabase* database = nullptr;
  AcDbStub* owner = nullptr;
  std::uint64_t handle = 0;
};

// Records of one symbol table, in table order, with a name index of the
// live (not erased) records. Keys are upper-cased names.
struct AcDbRecordList {
  std::vector<AcDbStub*> records;
  std::unordered_map<std::string, AcDbStub*> live;
};

// Entities of one block, in drawing order (erased ones stay in place).
struct AcDbEntityList {
  std::vector<AcDbStub*> entities;
};

struct AcDbDatabase::Impl {
  std::deque<AcDbStub> stubs;
  std::uint32_t serial = 0;
  AcDbStub* layerTable = nullptr;
  AcDbStub* blockTable = nullptr;
  AcDbStub* linetypeTable = nullptr;
  AcDbStub* textStyleTable = nullptr;
  AcDbStub* modelSpace = nullptr;
  AcDbStub* layerZero = nullptr;
  AcDbStub* byLayer = nullptr;
  AcDbStub* byBlock = nullptr;
  AcDbStub* continuous = nullptr;
  AcDbStub* standardStyle = nullptr;
  AcDbStub* clayer = nullptr;
  std::unique_ptr<AcDbLayerStateManager> layerStates;
  std::uint64_t modifications = 0;
  // Bumped by every change that can move geometry: an object added, an
  // entity or block record closed after a write.
  std::uint64_t geometryChanges = 0;
  // Extents of the model-space entities, in list order, valid while
  // extentsStamp equals geometryChanges.
  std::vector<AcDbExtents> modelExtents;
  std::uint64_t extentsStamp = ~0ull;
  // Per block definition (same validity): extents in block space and the
  // number of entities a reference to it expands to.
  struct BlockSummary {
    AcDbExtents extents;
    double expanded = 0;
  };
  std::unordered_map<const AcDbStub*, BlockSummary> blockSummaries;
  std::uint64_t summariesStamp = ~0ull;

  AcDbStub* addObject(AcDbObject* obj, AcDbStub* owner);
};

namespace hostimpl {

std::string upper(std::string_view s);
bool equalNoCase(std::string_view a, std::string_view b);

// Databases by serial, for entity names.
AcDbDatabase* databaseBySerial(std::uint32_t serial);
AcDbStub* stubFromName(const AcEdName name);
void nameFromStub(const AcDbStub* stub, AcEdName name);
AcDbStub* stubOf(AcDbObjectId id);
AcDbDatabase* workingDatabase();

// Direct (protocol-free) views used by the host itself.
inline AcDbObject* objectOf(const AcDbStub* stub) { return stub ? stub->object : nullptr; }
const char* recordName(const AcDbStub* stub);
AcDbLayerTableRecord* layerOf(const AcDbEntity* ent);
AcDbRecordList* tableRecords(AcDbStub* tableStub);
AcDbEntityList* blockEntities(AcDbStub* blockStub);
// Entity type as entity data names it (LINE, INSERT, ...).
const char* dxfName(const AcDbEntity* ent);
// Is any live entity (model space, blocks, attributes) on this layer?
bool layerInUse(const AcDbStub* layer);
void bumpModifications(AcDbDatabase* db);
// Called by the database destructor: drops the database's entities from
// selection sets and its name from the serial table.
void forgetDatabase(AcDbDatabase* db);

// --- drawing primitives: geometry of an entity in world space ------------
struct Prim {
  enum Kind { kSegment, kArc, kPoint, kBox } kind;
  AcGePoint3d a, b;        // segment ends; point in a
  AcGePoint3d center;      // arc
  double radius = 0, start = 0, end = 0;  // arc angles, counter-clockwise
  AcGePoint3d box[4];      // text box corners, in order
};
// Appends the primitives of an entity under xform (attributes of block
// references included; attribute definitions inside blocks skipped).
void collectPrims(const AcDbEntity* ent, const AcGeMatrix3d& xform, std::vector<Prim>& out,
                  int depth = 0);
void primExtents(const std::vector<Prim>& prims, AcDbExtents& ext);
double primDistance(const Prim& p, const AcGePoint3d& pt);
bool primCrossesRect(const Prim& p, double x0, double y0, double x1, double y1);
bool primCrossesSegment(const Prim& p, const AcGePoint3d& a, const AcGePoint3d& b);

// --- selection sets -------------------------------------------------------
constexpr std::int64_t kSetMarker = -0x5E1EC7;
struct SelectionSet {
  std::vector<AcDbStub*> members;
  std::unordered_set<AcDbStub*> index;
  bool add(AcDbStub* s) {
    if (!index.insert(s).second) return false;
    members.push_back(s);
    return true;
  }
};
SelectionSet* findSet(const AcEdName ss);
// A new set holding members; its name goes to ss.
void newSet(std::vector<AcDbStub*> members, AcEdName ss);

// Displayed: visible, on a layer that is on and thawed, not erased.
bool isDisplayed(const AcDbEntity* ent);
// The cached extents of model space, parallel to its entity list.
const std::vector<AcDbExtents>& modelSpaceExtents(AcDbDatabase* db);
// Pick: nearest displayed top-level entity of model space within tol of pt;
// path from it down to the innermost entity (nested only when descend).
bool pickAt(AcDbDatabase* db, const AcGePoint3d& pt, double tol, bool descend,
            std::vector<AcDbStub*>& path, AcGeMatrix3d* innerXform);
// All displayed top-level entities within tol, nearest first, with paths.
void entitiesUnder(AcDbDatabase* db, const AcGePoint3d& pt, double tol,
                   std::vector<std::vector<AcDbStub*>>& paths);

enum class BoxMode { kWindow, kCrossing };
void selectBox(AcDbDatabase* db, const AcGePoint3d& p1, const AcGePoint3d& p2, BoxMode mode,
               std::vector<AcDbStub*>& out);
void selectFence(AcDbDatabase* db, const std::vector<AcGePoint3d>& fence,
                 std::vector<AcDbStub*>& out);
void selectAll(AcDbDatabase* db, std::vector<AcDbStub*>& out);

// --- filters ----------------------------------------------------------------
bool wildcardMatch(std::string_view text, std::string_view pattern);
class Filter {
 public:
  // False when the chain is malformed (unbalanced groups, bad operators).
  bool compile(const AcEdResBuf* chain);
  bool matches(const AcDbEntity* ent) const;
  bool empty() const { return nodes_.empty(); }
  struct Node;

 private:
  std::vector<std::shared_ptr<Node>> nodes_;  // implicit AND
};
void applyFilter(const AcEdResBuf* filter, std::vector<AcDbStub*>& members, bool& ok);

// --- editor -------------------------------------------------------------------
void print(std::string_view gbk);
void logMessage(std::string_view gbk);
double pickTolerance();
AcApDocument* currentDocument();
struct DocState {
  std::vector<AcDbStub*> pickfirst;
  std::vector<AcDbStub*> previous;
};
DocState& docState(AcApDocument* doc);
void runHover(const AcGePoint3d& pt);
void countRegen();

// Plug-in module context: registrations made while a module runs are
// removed when it is unloaded.
struct Module {
  std::string path;
  std::string fileName;
  void* library = nullptr;
  AcRxEntryPointFunc entryPoint = nullptr;
  DllMainFunc dllMain = nullptr;
  bool unlocked = false;
  bool mdiAware = false;
  bool attached = false;
};
Module* moduleFromAppId(void* appId);
Module* activeModule();
struct ModuleScope {
  explicit ModuleScope(Module* m);
  ~ModuleScope();
  Module* saved;
};
void dropModuleRegistrations(Module* m);
Module* hostModule();

// Document manager internals.
AcApDocument* createDocument(const std::string& fileName);
void destroyDocument(AcApDocument* doc);
std::vector<AcApDocument*>& documentList();
void setCurrent(AcApDocument* doc);
std::vector<AcEdInputPointMonitor*> monitorsOf(AcApDocument* doc);
void notifyDocumentCreated(AcApDocument* doc);
void notifyDocumentToBeDestroyed(AcApDocument* doc);
void dropReactorsOf(Module* m);
void dropMonitorsOf(Module* m);
Module* monitorModule(AcEdInputPointMonitor* mon);

// Command stack internals.
struct CommandRecord {
  std::string group, global, local;
  int flags;
  AcRxFunctionPtr fn;
  Module* module;
};
void dropCommandsOf(Module* m);
AcEdCommand* findCommand(const std::string& typed);
Module* commandModule(AcEdCommand* cmd);
void setActiveCommand(AcEdCommand* cmd);
void initRegistry();
void shutdownRegistry();

// Editor internals used by the embedding API.
class ScriptSource;
AcEdCommand* runningCommand();
drawhost::Result runSource(ScriptSource& src);
drawhost::Result runCommandByName(const std::string& gbkName);
std::string& transcriptBuffer();
void setSink(drawhost::TranscriptSink sink);
void setPromptObserverImpl(drawhost::PromptObserver observer);
std::vector<std::string>& messageLog();
drawhost::DisplayCounters& counters();
bool intVar(const std::string& name, int*& value);
void resetEditor();
void countFlush();
std::vector<drawhost::CommandInfo> commandList();
void dropFunctionsOf(Module* m);

// Encoding.
std::string toGbk(std::string_view utf8);
std::string toUtf8(std::string_view gbk);

}  // namespace hostimpl
