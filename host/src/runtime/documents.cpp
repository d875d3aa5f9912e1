// Documents, the document manager with its reactors and resource stack,
// and the input-point managers.
//
// Reactors and monitors remember the plug-in module that added them, so
// they can be dropped when that plug-in is unloaded; a monitor that is
// destroyed while still added takes itself out of every manager.
#include <algorithm>
#include <cstring>

#include "db/db.h"
#include "editor/editor.h"
#include "runtime/runtime.h"
#include "rx/rx.h"

struct AcApDocument::Impl {
  std::unique_ptr<AcDbDatabase> db;
  std::string fileName;
  std::unique_ptr<AcEdInputPointManager> pointManager;
  std::unique_ptr<AcApTransactionManager> transactions;
  int locks = 0;
  AcAp::DocLockMode lockMode = AcAp::kNotLocked;
  hostimpl::DocState state;
};

struct AcEdInputPointManager::Impl {
  AcApDocument* doc;
  std::vector<std::pair<AcEdInputPointMonitor*, hostimpl::Module*>> monitors;
};

HOST_DEFINE_MEMBERS(AcApDocument, AcRxObject)
HOST_DEFINE_MEMBERS(AcApDocManagerReactor, AcRxObject)
HOST_DEFINE_MEMBERS(AcApDocManager, AcRxObject)
HOST_DEFINE_MEMBERS(AcEdInputPointMonitor, AcRxObject)

namespace hostimpl {
namespace {
struct DocManagerState {
  std::vector<AcApDocument*> docs;
  AcApDocument* current = nullptr;
  std::vector<std::pair<AcApDocManagerReactor*, Module*>> reactors;
  std::vector<HINSTANCE> resources;
  int untitled = 0;
};
DocManagerState& dm() {
  static DocManagerState* s = new DocManagerState;
  return *s;
}
}  // namespace

std::vector<AcApDocument*>& documentList() { return dm().docs; }
AcApDocument* currentDocument() { return dm().current; }
DocState& docState(AcApDocument* doc) { return doc->impl()->state; }

AcApDocument* createDocument(const std::string& fileName) {
  auto* impl = new AcApDocument::Impl;
  impl->db = std::make_unique<AcDbDatabase>(true);
  impl->fileName = fileName;
  if (impl->fileName.empty())
    impl->fileName = "Drawing" + std::to_string(++dm().untitled) + ".dwg";
  auto* doc = new AcApDocument(impl);
  impl->pointManager = std::make_unique<AcEdInputPointManager>(doc);
  impl->transactions = std::make_unique<AcApTransactionManager>(doc);
  dm().docs.push_back(doc);
  dm().current = doc;
  return doc;
}

void destroyDocument(AcApDocument* doc) {
  auto& docs = dm().docs;
  docs.erase(std::remove(docs.begin(), docs.end(), doc), docs.end());
  if (dm().current == doc) dm().current = docs.empty() ? nullptr : docs.back();
  delete doc;
}

void closeDocumentNow(AcApDocument* doc) {
  sendDocumentMessage(AcRx::kUnloadDwgMsg, doc);
  notifyDocumentToBeDestroyed(doc);
  destroyDocument(doc);
}

void setCurrent(AcApDocument* doc) { dm().current = doc; }
void setDocFileName(AcApDocument* doc, const std::string& name) { doc->impl()->fileName = name; }

std::vector<AcEdInputPointMonitor*> monitorsOf(AcApDocument* doc) {
  std::vector<AcEdInputPointMonitor*> out;
  for (auto& [mon, module] : doc->inputPointManager()->impl_->monitors) out.push_back(mon);
  return out;
}

Module* monitorModule(AcEdInputPointMonitor* mon) {
  for (AcApDocument* doc : dm().docs)
    for (auto& [m, module] : doc->inputPointManager()->impl_->monitors)
      if (m == mon) return module;
  return nullptr;
}

void notifyDocumentCreated(AcApDocument* doc) {
  auto reactors = dm().reactors;
  for (auto& [r, module] : reactors) {
    ModuleScope scope(module);
    r->documentCreated(doc);
  }
}

void notifyDocumentToBeDestroyed(AcApDocument* doc) {
  auto reactors = dm().reactors;
  for (auto& [r, module] : reactors) {
    auto& live = dm().reactors;
    if (std::find(live.begin(), live.end(), std::make_pair(r, module)) == live.end()) continue;
    ModuleScope scope(module);
    r->documentToBeDestroyed(doc);
  }
}

void dropReactorsOf(Module* m) {
  auto& r = dm().reactors;
  r.erase(std::remove_if(r.begin(), r.end(), [m](const auto& p) { return p.second == m; }),
          r.end());
}

void dropMonitorsOf(Module* m) {
  for (AcApDocument* doc : dm().docs) {
    auto& mons = doc->inputPointManager()->impl_->monitors;
    mons.erase(std::remove_if(mons.begin(), mons.end(),
                              [m](const auto& p) { return p.second == m; }),
               mons.end());
  }
}

}  // namespace hostimpl

// --- AcApDocument ---------------------------------------------------------------------------------

AcApDocument::AcApDocument(Impl* impl) : impl_(impl) {}
AcApDocument::~AcApDocument() {
  // Monitors still added are forgotten, not deleted: their owners do that.
  impl_->pointManager.reset();
  impl_->db.reset();
  delete impl_;
}
AcDbDatabase* AcApDocument::database() const { return impl_->db.get(); }
const char* AcApDocument::fileName() const { return impl_->fileName.c_str(); }
const char* AcApDocument::docTitle() const {
  const char* name = impl_->fileName.c_str();
  const char* slash = std::strrchr(name, '/');
  return slash ? slash + 1 : name;
}
AcEdInputPointManager* AcApDocument::inputPointManager() const {
  return impl_->pointManager.get();
}
AcApTransactionManager* AcApDocument::transactionManager() const {
  return impl_->transactions.get();
}
AcAp::DocLockMode AcApDocument::myLockMode() const { return impl_->lockMode; }
bool AcApDocument::isQuiescent() const { return hostimpl::runningCommand() == nullptr; }

AcDb::Status AcApTransactionManager::flushGraphics() {
  ++flushes_;
  hostimpl::countFlush();
  return AcDb::kOk;
}

// --- AcApDocManager -------------------------------------------------------------------------------

using hostimpl::dm;

AcApDocument* AcApDocManager::curDocument() const { return dm().current; }
AcApDocument* AcApDocManager::mdiActiveDocument() const { return dm().current; }
int AcApDocManager::documentCount() const { return static_cast<int>(dm().docs.size()); }
AcApDocument* AcApDocManager::document(int index) const {
  return index >= 0 && index < documentCount() ? dm().docs[index] : nullptr;
}
AcApDocument* AcApDocManager::document(const AcDbDatabase* db) const {
  for (AcApDocument* d : dm().docs)
    if (d->database() == db) return d;
  return nullptr;
}

AcDb::Status AcApDocManager::lockDocument(AcApDocument* doc, AcAp::DocLockMode mode, const char*,
                                          const char*, bool) {
  if (!doc || std::find(dm().docs.begin(), dm().docs.end(), doc) == dm().docs.end())
    return AcDb::kInvalidInput;
  ++doc->impl()->locks;
  doc->impl()->lockMode = mode;
  return AcDb::kOk;
}

AcDb::Status AcApDocManager::unlockDocument(AcApDocument* doc) {
  if (!doc || std::find(dm().docs.begin(), dm().docs.end(), doc) == dm().docs.end())
    return AcDb::kInvalidInput;
  if (doc->impl()->locks == 0) return AcDb::kNotApplicable;
  if (--doc->impl()->locks == 0) doc->impl()->lockMode = AcAp::kNotLocked;
  return AcDb::kOk;
}

AcDb::Status AcApDocManager::setCurDocument(AcApDocument* doc, AcAp::DocLockMode, bool) {
  if (!doc || std::find(dm().docs.begin(), dm().docs.end(), doc) == dm().docs.end())
    return AcDb::kInvalidInput;
  dm().current = doc;
  auto reactors = dm().reactors;
  for (auto& [r, module] : reactors) {
    hostimpl::ModuleScope scope(module);
    r->documentBecameCurrent(doc);
  }
  return AcDb::kOk;
}

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor) {
  if (!reactor) return;
  for (auto& p : dm().reactors)
    if (p.first == reactor) return;
  dm().reactors.push_back({reactor, hostimpl::activeModule()});
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor) {
  auto& r = dm().reactors;
  r.erase(std::remove_if(r.begin(), r.end(), [reactor](const auto& p) { return p.first == reactor; }),
          r.end());
}

void AcApDocManager::pushResourceHandle(HINSTANCE module) { dm().resources.push_back(module); }
HINSTANCE AcApDocManager::popResourceHandle() {
  if (dm().resources.empty()) return nullptr;
  HINSTANCE top = dm().resources.back();
  dm().resources.pop_back();
  return top;
}
HINSTANCE AcApDocManager::curResourceHandle() const {
  return dm().resources.empty() ? nullptr : dm().resources.back();
}

AcApDocManager* acDocManagerPtr() {
  static AcApDocManager* const manager = new AcApDocManager;
  return manager;
}

// --- input-point managers and monitors -------------------------------------------------------

AcEdInputPointManager::AcEdInputPointManager(AcApDocument* doc) : impl_(new Impl{doc, {}}) {}
AcEdInputPointManager::~AcEdInputPointManager() { delete impl_; }

AcDb::Status AcEdInputPointManager::addPointMonitor(AcEdInputPointMonitor* monitor) {
  if (!monitor) return AcDb::kInvalidInput;
  for (auto& p : impl_->monitors)
    if (p.first == monitor) return AcDb::kDuplicateKey;
  impl_->monitors.push_back({monitor, hostimpl::activeModule()});
  return AcDb::kOk;
}

AcDb::Status AcEdInputPointManager::removePointMonitor(AcEdInputPointMonitor* monitor) {
  auto& mons = impl_->monitors;
  for (auto it = mons.begin(); it != mons.end(); ++it)
    if (it->first == monitor) {
      mons.erase(it);
      return AcDb::kOk;
    }
  return AcDb::kKeyNotFound;
}

int AcEdInputPointManager::numMonitors() const {
  return static_cast<int>(impl_->monitors.size());
}

AcEdInputPointMonitor::~AcEdInputPointMonitor() {
  for (AcApDocument* doc : dm().docs) doc->inputPointManager()->removePointMonitor(this);
}
