// The rebar plug-in's record for one open drawing: its tooltip monitor, or
// null. The record owns the monitor, so a drawing that is closed while its
// tooltip is on takes its monitor with it.
#pragma once

#include "hostapi/documents.h"

class CKvIPM;

class CDocData {
 public:
  CDocData() = default;
  ~CDocData();
  CDocData(const CDocData&) = delete;
  CDocData& operator=(const CDocData&) = delete;

  CKvIPM* m_pIPM = nullptr;
};

// The per-document records of the plug-in (a static object of the library).
extern AcApDataManager<CDocData> DocVars;

// The record of doc if it has one; never creates one.
inline CDocData* findDocData(AcApDocument* doc) {
  return DocVars.hasDocData(doc) ? &DocVars.docData(doc) : nullptr;
}
