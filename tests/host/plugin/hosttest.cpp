// A small plug-in for the host's tests: it registers the command group
// "HOSTTEST" through the command stack and exercises the host's input,
// selection, monitor and module functions, printing what it got.
#include <cstdio>
#include <cstring>
#include <string>

#include "hostapi/hostapi.h"

namespace {

const char* kGroup = "HOSTTEST";

// Built while the library loads: the module table must already know us.
struct StaticProbe {
  bool sawOwnModule;
  StaticProbe() : sawOwnModule(GetModuleHandleA("HostTest.arx") != nullptr) {}
};
StaticProbe gProbe;

HINSTANCE gModule = nullptr;
AcUiExtensionModule gExtension;

const char* statusName(int rc) {
  switch (rc) {
    case AcEd::kNormal: return "normal";
    case AcEd::kCancel: return "cancel";
    case AcEd::kNone: return "none";
    case AcEd::kError: return "error";
    case AcEd::kKeyword: return "keyword";
    default: return "other";
  }
}

void printEntity(const char* label, const AcEdName name) {
  AcDbObjectId id;
  AcDbEntity* ent = nullptr;
  if (acdbGetObjectId(id, name) != AcDb::kOk ||
      acdbOpenAcDbEntity(ent, id, AcDb::kForRead) != AcDb::kOk) {
    acutPrintf("\n%s: cannot open", label);
    return;
  }
  acutPrintf("\n%s: %s on %s", label, ent->isA()->name(), ent->layer());
  ent->close();
}

void addLine() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (db->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return;
  AcDbBlockTableRecord* space = nullptr;
  AcDb::Status es = table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
  table->close();
  if (es != AcDb::kOk) return;
  auto* line = new AcDbLine({0, 0, 0}, {10, 0, 0});
  if (space->appendAcDbEntity(line) == AcDb::kOk)
    line->close();
  else
    delete line;
  space->close();
}

void hello() {
  acutPrintf("\nHello from the test plug-in");
  addLine();
}

void pick() {
  AcEdName ss = {0, 0};
  if (acedSSGet("I", nullptr, nullptr, nullptr, ss) == AcEd::kNormal) {
    std::int32_t n = 0;
    acedSSLength(ss, &n);
    acutPrintf("\nimplied: %d", static_cast<int>(n));
    acedSSFree(ss);
    return;
  }
  AcEdName ent;
  AcEdPoint pt;
  int rc = acedEntSel("\nPick: ", ent, pt);
  acutPrintf("\nstatus %s", statusName(rc));
  if (rc == AcEd::kNormal) printEntity("picked", ent);
}

void nestedPick() {
  AcEdName ent;
  AcEdPoint pt;
  AcEdMatrix xform;
  AcEdResBuf* containers = nullptr;
  int rc = acedNEntSelP("\nNested pick: ", ent, pt, 0, xform, &containers);
  acutPrintf("\nstatus %s", statusName(rc));
  if (rc != AcEd::kNormal) return;
  printEntity("innermost", ent);
  int depth = 0;
  for (AcEdResBuf* rb = containers; rb; rb = rb->next) ++depth;
  acutPrintf("\ncontainers %d", depth);
  acutRelRb(containers);
}

// Pick, or start a box from a missed pick, as layer commands do.
void pickOrBox() {
  AcEdName ent;
  AcEdPoint pt;
  AcEdMatrix xform;
  int rc = acedNEntSelP("\nPick or box: ", ent, pt, 0, xform, nullptr);
  if (rc == AcEd::kNormal) {
    printEntity("picked", ent);
    return;
  }
  if (rc == AcEd::kCancel) return;
  int type = 0;
  AcEdResBuf event;
  if (acedGrRead(15, &type, &event, 2) != AcEd::kNormal) return;
  acutPrintf("\nevent %d", type);
  AcEdPoint first = {pt[0], pt[1], pt[2]};
  if (event.type == AcEd::kRtPoint3d) std::memcpy(first, event.value.point, sizeof first);
  AcEdResBuf saved;
  acedGetVar("OSMODE", &saved);
  AcEdResBuf zero;
  zero.type = AcEd::kRtShort;
  zero.value.shortValue = 0;
  acedSetVar("OSMODE", &zero);
  acedInitGet(32, nullptr);
  AcEdPoint other;
  rc = acedGetCorner(first, "\nOther corner: ", other);
  if (rc == AcEd::kNormal) {
    const char* mode = first[0] > other[0] ? "C" : "W";
    AcEdName ss = {0, 0};
    if (acedSSGet(mode, first, other, nullptr, ss) == AcEd::kNormal) {
      std::int32_t n = 0;
      acedSSLength(ss, &n);
      acutPrintf("\n%s selected %d", mode, static_cast<int>(n));
      acedSSFree(ss);
    } else {
      acutPrintf("\n%s selected nothing", mode);
    }
  }
  acedSetVar("OSMODE", &saved);
}

void selectObjects() {
  AcEdName ss = {0, 0};
  int rc = acedSSGet(nullptr, nullptr, nullptr, nullptr, ss);
  acutPrintf("\nstatus %s", statusName(rc));
  if (rc != AcEd::kNormal) return;
  std::int32_t n = 0;
  acedSSLength(ss, &n);
  acutPrintf("\nselected %d", static_cast<int>(n));
  acedSSFree(ss);
}

void getPoint() {
  AcEdPoint p;
  int rc = acedGetPoint(nullptr, "\nPoint: ", p);
  acutPrintf("\nstatus %s", statusName(rc));
  if (rc == AcEd::kNormal) acutPrintf(" %g,%g", p[0], p[1]);
}

void getText() {
  char buf[64];
  int rc = acedGetString(1, "\nText: ", buf, sizeof buf);
  acutPrintf("\nstatus %s", statusName(rc));
  if (rc == AcEd::kNormal) acutPrintf(" [%s]", buf);
}

// Shows the name of the text under the cursor, or of its innermost entity.
class TestMonitor : public AcEdInputPointMonitor {
 public:
  AcDb::Status monitorInputPoint(const AcEdInputPointData& in,
                                 AcEdInputPointResult& out) override {
    text_[0] = '\0';
    out.appendToTooltipStr = true;
    if (!in.pointComputed || in.apertureEntities.isEmpty()) return AcDb::kOk;
    const AcDbObjectIdArray& path = in.nestedApertureEntities[0];
    AcDbEntity* ent = nullptr;
    if (acdbOpenAcDbEntity(ent, path.last(), AcDb::kForRead) != AcDb::kOk) return AcDb::kOk;
    if (auto* text = AcDbText::cast(ent))
      std::snprintf(text_, sizeof text_, "%s (depth %d)", text->textString(), path.length());
    ent->close();
    if (text_[0]) out.additionalTooltipString = text_;
    return AcDb::kOk;
  }

 private:
  char text_[256];
};

// A static monitor, so one left added at unload is not also a leak.
TestMonitor gMonitor;

void monitorOn() {
  acDocManagerPtr()->curDocument()->inputPointManager()->addPointMonitor(&gMonitor);
}

void monitorOff() {
  acDocManagerPtr()->curDocument()->inputPointManager()->removePointMonitor(&gMonitor);
}

void moduleInfo() {
  HMODULE own = GetModuleHandleA("hosttest.ARX");
  char path[256] = {0};
  DWORD n = GetModuleFileNameA(own, path, sizeof path);
  const char* slash = std::strrchr(path, '/');
  acutPrintf("\nmodule %s, same as attach %s, static probe %s, file %s, length ok %s",
             own ? "found" : "missing", own == gModule ? "yes" : "no",
             gProbe.sawOwnModule ? "yes" : "no", slash ? slash + 1 : path,
             n == std::strlen(path) ? "yes" : "no");
  AcUiMessageBox("test message box");
}

struct DocRecord {
  int uses = 0;
};
AcApDataManager<DocRecord> gDocData;

void docData() { acutPrintf("\nuses in this drawing %d", ++gDocData.docData().uses); }

void regen() {
  acedCommand(AcEd::kRtString, "REGEN", AcEd::kRtString, "", 0);
}

struct Row {
  const char* global;
  const char* local;
  int flags;
  AcRxFunctionPtr fn;
};
const Row kCommands[] = {
    {"_HT_HELLO", "HT_HELLO", 1, hello},
    {"_HT_PICK", "HT_PICK", 3, pick},
    {"_HT_NPICK", "HT_NPICK", 1, nestedPick},
    {"_HT_PICKBOX", "HT_PICKBOX", 1, pickOrBox},
    {"_HT_SELECT", "HT_SELECT", 1, selectObjects},
    {"_HT_POINT", "HT_POINT", 1, getPoint},
    {"_HT_TEXT", "HT_TEXT", 1, getText},
    {"_HT_MONITOR_ON", "HT_MONITOR_ON", 1, monitorOn},
    {"_HT_MONITOR_OFF", "HT_MONITOR_OFF", 1, monitorOff},
    {"_HT_MODULE", "HT_MODULE", 1, moduleInfo},
    {"_HT_REGEN", "HT_REGEN", 1, regen},
    {"_HT_DOCDATA", "HT_DOCDATA", 1, docData},
};

AcEdCommandStack* commandStack() {
  return AcEdCommandStack::cast(acrxSysRegistry()->at("ACAD_REGISTERED_COMMANDS"));
}

}  // namespace

ACRX_ENTRY_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
  switch (msg) {
    case AcRx::kInitAppMsg: {
      auto* linker = AcRxDynamicLinker::cast(acrxSysRegistry()->at("DynamicLinker"));
      if (linker) linker->unlockApplication(pkt), linker->registerAppMDIAware(pkt);
      if (AcEdCommandStack* stack = commandStack())
        for (const Row& row : kCommands)
          stack->addCommand(kGroup, row.global, row.local, row.flags, row.fn);
      break;
    }
    case AcRx::kUnloadAppMsg:
      // The monitor is left on purpose when a test unloads with it on:
      // the host must drop it.
      if (AcEdCommandStack* stack = commandStack()) stack->removeGroup(kGroup);
      break;
    case AcRx::kLoadDwgMsg:
      acedDefun("httest", 0);
      break;
    case AcRx::kUnloadDwgMsg:
      acedUndef("httest", 0);
      break;
    default:
      break;
  }
  return AcRx::kRetOK;
}

ACRX_ENTRY_EXPORT int acrxGetApiVersion() { return AcRx::kApiVersion; }

ACRX_ENTRY_EXPORT BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    gModule = module;
    AcUiInitExtensionModule(gExtension, module);
    InitAcUiDLL();
  } else if (reason == DLL_PROCESS_DETACH && gExtension.attached) {
    AcUiTermExtensionModule(gExtension);
  }
  return TRUE;
}
