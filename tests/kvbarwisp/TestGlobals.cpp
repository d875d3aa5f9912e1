// The plug-in's static objects for tests that use the monitor directly.
#include "BarwispGlobals.h"
#include "CDocData.h"
#include "rebar/RebarAreaCalculator.h"

AcApDataManager<CDocData> DocVars;

const RebarAreaCalculator& rebarCalculator() {
  static const RebarAreaCalculator calculator;
  return calculator;
}
