// The tooltip monitor's callback and its registration.
//
// The host calls monitorInputPoint on every cursor move, so the callback
// opens at most two entities, each for read and closed at once, and writes
// into its fixed buffer. The found flag carries over from the last entity
// examined: an entity that cannot be opened changes nothing.
#include "CKvIPM.h"

#include "BarwispGlobals.h"
#include "BarwispSupport.h"
#include "CDocData.h"
#include "rebar/RebarAreaCalculator.h"

CKvIPM::CKvIPM(bool attach, AcApDocument* doc) {
  if (!attach || doc == nullptr) return;
  m_pDoc = doc;
  if (AcEdInputPointManager* manager = doc->inputPointManager()) manager->addPointMonitor(this);
  DocVars.docData(doc).m_pIPM = this;
}

CKvIPM::~CKvIPM() {
  if (m_pDoc == nullptr) return;
  CDocData* record = findDocData(m_pDoc);
  if (record == nullptr || record->m_pIPM == nullptr) return;
  if (AcEdInputPointManager* manager = m_pDoc->inputPointManager()) {
    manager->removePointMonitor(this);
  }
  record->m_pIPM = nullptr;
}

void CKvIPM::detachFromDocument() {
  if (m_pDoc == nullptr) return;
  if (AcEdInputPointManager* manager = m_pDoc->inputPointManager()) {
    manager->removePointMonitor(this);
  }
  m_pDoc = nullptr;
}

AcDb::Status CKvIPM::monitorInputPoint(const AcEdInputPointData& input,
                                       AcEdInputPointResult& output) {
  m_szTooltip[0] = '\0';
  if (input.pointComputed && input.apertureEntities.length() > 0) {
    examine(input.apertureEntities[0]);
    if (input.nestedApertureEntities.length() > 0) {
      const AcDbObjectIdArray& path = input.nestedApertureEntities[0];
      if (path.length() > 1) examine(path[path.length() - 1]);
    }
  }
  output.appendToTooltipStr = true;
  if (m_bFound) output.additionalTooltipString = m_szTooltip;
  return AcDb::kOk;
}

void CKvIPM::examine(AcDbObjectId id) {
  AcDbEntity* entity = nullptr;
  if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) return;
  const AcDbText* text = AcDbText::cast(entity);
  if (text != nullptr && rebarCalculator().analyse(text->textString(), m_result)) {
    m_bFound = true;
    barwisp::appendBounded(m_szTooltip, kTooltipCapacity, m_result.c_str());
  } else {
    m_bFound = false;
  }
  entity->close();
}

// The record goes with its drawing: its monitor leaves the drawing's
// input-point manager and is freed, without looking the record up again.
CDocData::~CDocData() {
  if (m_pIPM == nullptr) return;
  CKvIPM* monitor = m_pIPM;
  m_pIPM = nullptr;
  monitor->detachFromDocument();
  delete monitor;
}

bool CKvIPM::excludeFromOsnapCalculation(const AcDbObjectIdArray&, std::intptr_t) {
  return false;
}
