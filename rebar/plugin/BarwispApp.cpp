// The rebar plug-in: its application object, command table, command
// handlers and static objects.
//
// Static objects are built when the library is loaded, in this order, and
// destroyed in reverse: the per-document records, then the calculator,
// whose construction reads the settings file beside the plug-in and shows
// one message box when it cannot, then the application object.
#include "BarwispGlobals.h"
#include "BarwispSupport.h"
#include "BarwispTexts.h"
#include "CDocData.h"
#include "CKvIPM.h"
#include "frame/ArxApp.h"
#include "rebar/RebarAreaCalculator.h"

namespace {

class CBarwispCalculator : public RebarAreaCalculator {
 public:
  CBarwispCalculator()
      : RebarAreaCalculator(
            barwisp::configFilePath(barwisp::text::kModuleName, barwisp::text::kConfigFileName)) {
    if (!configLoaded()) AcUiMessageBox(barwisp::text::kConfigNotLoaded, MB_OK);
  }
};

void printVersionMessage() { acutPrintf("%s", barwisp::text::kVersionMessage); }

void showVersion() { printVersionMessage(); }

void tooltipOn() {
  acutPrintf("\n");
  printVersionMessage();
  AcApDocument* doc = acDocManagerPtr()->curDocument();
  if (doc == nullptr) return;
  CDocData& record = DocVars.docData(doc);
  if (record.m_pIPM != nullptr) return;
  new CKvIPM(true, doc);  // owned through the record from here on
}

void tooltipOff() {
  AcApDocument* doc = acDocManagerPtr()->curDocument();
  if (doc == nullptr) return;
  CDocData& record = DocVars.docData(doc);
  delete record.m_pIPM;  // its destructor clears the record
}

constexpr char kGroup[] = "KVBarwisp";
constexpr int kTransparent = AcEdCommandFlags::kTransparent;

const CommandEntry kCommands[] = {
    {kGroup, "_KVRSBAREAVER", "KVRSBAREAVER", kTransparent, showVersion, nullptr, 0},
    {kGroup, "_MTooltipOff", "KVRsbMTOFF", kTransparent, tooltipOff, nullptr, 0},
    {kGroup, "_MTooltipOn", "KVRsbMTON", kTransparent, tooltipOn, nullptr, 0},
};

// Takes back every tooltip monitor, so nothing of the plug-in stays attached
// to a drawing once it is unloaded.
void releaseAllMonitors() {
  AcApDocManager* manager = acDocManagerPtr();
  if (manager == nullptr) return;
  for (int i = 0; i < manager->documentCount(); ++i) {
    if (CDocData* record = findDocData(manager->document(i))) delete record->m_pIPM;
  }
}

class CBarwispApp : public AcRxArxApp {
 public:
  CBarwispApp() : AcRxArxApp(kCommands) {}

  AcRx::AppRetCode onInitApplication(void* pkt) override {
    AcRxArxApp::onInitApplication(pkt);
    // A library the system keeps resident after an unload is not built
    // again when it is loaded anew; the records must still follow the
    // drawings (adding the reactor twice is harmless).
    if (AcApDocManager* manager = acDocManagerPtr()) manager->addReactor(&DocVars);
    return AcRx::kRetOK;
  }
  AcRx::AppRetCode onUnloadApplication(void* pkt) override {
    releaseAllMonitors();
    return AcRxArxApp::onUnloadApplication(pkt);
  }
};

}  // namespace

AcApDataManager<CDocData> DocVars;
static CBarwispCalculator theCalculator;
static CBarwispApp theApp;

const RebarAreaCalculator& rebarCalculator() { return theCalculator; }

ARX_IMPLEMENT_ENTRY_POINTS(theApp)
