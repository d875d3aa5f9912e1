// The tooltip monitor: while on in a drawing, resting the cursor on a
// single-line text that holds a reinforcement annotation appends its steel
// area and alternative layouts to the host's cursor tooltip.
//
// Invariants: at most one monitor per drawing; the drawing's CDocData record
// points to the monitor exactly while the monitor is registered with the
// drawing's input-point manager. The tooltip text stays unchanged from one
// callback to the next, as the host may read it until then.
#pragma once

#include <string>

#include "hostapi/hostapi.h"

class RebarAreaCalculator;

class CKvIPM : public AcEdInputPointMonitor {
 public:
  static constexpr std::size_t kTooltipCapacity = 1024;

  // With attach, registers with doc's input-point manager and becomes the
  // monitor of doc's record; without, watches nothing.
  CKvIPM(bool attach, AcApDocument* doc);
  // Unregisters and clears the record when the record still holds a monitor.
  ~CKvIPM() override;
  CKvIPM(const CKvIPM&) = delete;
  CKvIPM& operator=(const CKvIPM&) = delete;

  // Looks at the first entity under the aperture and the innermost entity of
  // the first nested path; always asks the host to append and succeeds.
  AcDb::Status monitorInputPoint(const AcEdInputPointData& input,
                                 AcEdInputPointResult& output) override;
  bool excludeFromOsnapCalculation(const AcDbObjectIdArray& nestedEntity,
                                   std::intptr_t gsSelectionMark) override;

  // Unregisters from the drawing without touching its record; the record
  // calls this when it is destroyed with its drawing.
  void detachFromDocument();

  AcApDocument* document() const { return m_pDoc; }
  bool found() const { return m_bFound; }
  const char* tooltipText() const { return m_szTooltip; }

 private:
  void examine(AcDbObjectId id);

  AcApDocument* m_pDoc = nullptr;
  bool m_bFound = false;
  char m_szTooltip[kTooltipCapacity] = {};
  std::string m_result;  // analyse()'s output, kept to reuse its storage
};
