// Steel areas and alternative layouts; see AreaComputation.h.
//
// Candidate layouts walk the bar table downwards from 25 mm (36 mm for large
// areas). For each diameter d that is not too small for the area, a line
// gives the number of bars of d, then combinations of two bars of d with the
// next or second-next smaller diameter. The ratios r, s (area left after two
// bars of d, in bars of the smaller diameters) and b, v (area left after one
// or three table bars of d) keep their values from one diameter to the next
// until recomputed: the layout rules test them whether or not they were
// refreshed for the current diameter.
#include "AreaComputation.h"

#include "GbkTexts.h"
#include "NumberText.h"

namespace rebarcalc {
namespace {

// Appends "<count>φ<diameter>  " where both are printed with "%.f".
void appendBars(std::string& out, double count, double diameter) {
  appendRounded(out, count);
  out += gbk::kPhi;
  appendRounded(out, diameter);
}

// "<first>φ<d1>+<second>φ<d2>  "
void appendCombination(std::string& out, double first, double d1, double second, double d2) {
  appendBars(out, first, d1);
  out += '+';
  appendBars(out, second, d2);
  out += "  ";
}

bool inRange(double x, double low, double high) { return low < x && x <= high; }

}  // namespace

double strengthFactor(GradeClass grade) {
  switch (grade) {
    case kHPB235: return 1.0;
    case kHRB335: return 1.4286;
    case kHRB400: return 1.7143;
    case kRRB400: return 1.7143;
    default: return 0.0;
  }
}

const char* gradeLabel(GradeClass grade) {
  switch (grade) {
    case kHPB235: return gbk::kLabelHPB235;
    case kHRB335: return gbk::kLabelHRB335;
    case kHRB400: return gbk::kLabelHRB400;
    case kRRB400: return gbk::kLabelRRB400;
    default: return "";
  }
}

bool appendCandidateLayouts(double area, std::string& out) {
  if (area < 0.1) return false;
  const double* D = kBarDiameter;
  const double* T = kBarTableArea;
  const double work = area >= 1000 ? area - 50 : area;
  int n = work >= 4900 ? 13 : 9;
  int linesLeft = 5;
  double r = 0, s = 0, b = 0, v = 0;
  while (n >= 0 && linesLeft > 0) {
    const double d = D[n];
    const double g = work / barArea(d);  // bars of d needed
    if ((g > 8 && n < 8) || (g > 6 && n < 7)) break;  // too many small bars
    if (g < 2 && (n == 0 || work / barArea(D[n - 1]) <= 2)) {
      --n;  // the next smaller diameter still needs at most two bars
      continue;
    }
    if (g < 1) {
      --n;
      continue;
    }
    out += '\n';
    appendBars(out, g + 0.49, d);
    out += "  ";
    if (n >= 2) r = (work - 2 * barArea(d)) / barArea(D[n - 2]);
    if (n >= 1) s = (work - 2 * barArea(d)) / barArea(D[n - 1]);
    if (inRange(g, 2, 3)) {
      if (n >= 2) b = (work - T[n]) / T[n - 2];
      if (n >= 1) v = (work - T[n]) / T[n - 1];
      if (n >= 2 && inRange(r, 0, 1)) {
        appendCombination(out, 2, d, 1, D[n - 2]);
      } else if (n >= 1 && inRange(s, 0, 1)) {
        appendCombination(out, 2, d, 1, D[n - 1]);
      }
      if (n >= 2 && inRange(b, 1, 2)) {
        appendCombination(out, 1, d, 2, D[n - 2]);
      } else if (n >= 1 && inRange(v, 1, 2)) {
        appendCombination(out, 1, d, 2, D[n - 1]);
      }
    } else if (inRange(g, 3, 4)) {
      if (n >= 2 && inRange(r, 1, 2)) {
        appendCombination(out, 2, d, 2, D[n - 2]);
      } else if (n >= 1 && inRange(s, 1, 2)) {
        appendCombination(out, 2, d, 2, D[n - 1]);
      }
      if (n >= 2 && inRange(r, 2, 3)) appendCombination(out, 2, d, 3, D[n - 2]);
    } else if (inRange(g, 4, 5)) {
      if (n >= 2) b = (work - 3 * T[n]) / T[n - 2];
      if (n >= 1) v = (work - 3 * T[n]) / T[n - 1];
      if (inRange(r, 1, 4) && n > 7) appendCombination(out, 2, d, r + 0.5, D[n - 2]);
      if (inRange(s, 1, 4) && n > 6) appendCombination(out, 2, d, s + 0.5, D[n - 1]);
      if (b > 1 && n > 7) appendCombination(out, 3, d, b + 0.5, D[n - 2]);
      if (v > 1 && n > 6) appendCombination(out, 3, d, v + 0.5, D[n - 1]);
    }
    --linesLeft;
    --n;
  }
  return true;
}

double stirrupArea(StirrupKind kind, double factor, const StirrupSpec& stirrup, double spacing,
                   int referenceSpacing) {
  const double d1 = stirrup.firstDiameter;
  const double d2 = stirrup.secondDiameter;
  if (kind == StirrupKind::PerReferenceLength) {
    return 0.785398 * (d1 * d1) * factor * stirrup.legs * referenceSpacing / spacing;
  }
  if (d2 > 0) return factor * (d1 * d1 + d2 * d2) / spacing * 392.699;
  return factor / spacing * (d1 * d1) * 785.398;
}

void appendStirrupText(StirrupKind kind, double factor, const StirrupSpec& stirrup,
                       int referenceSpacing, std::string& out) {
  appendRoundedPadded(out, stirrupArea(kind, factor, stirrup, stirrup.firstSpacing, referenceSpacing));
  if (stirrup.secondSpacing > 0) {
    out += "/ ";
    appendRoundedPadded(out,
                        stirrupArea(kind, factor, stirrup, stirrup.secondSpacing, referenceSpacing));
  }
}

namespace {

enum SchemeSpacing { kAt100, kAt150, kAt200 };

// What a stirrup provides per reference length at the scheme's spacing, from
// R = referenceSpacing × T[j] × legs.
double demandLimit(SchemeSpacing spacing, double legArea) {
  switch (spacing) {
    case kAt100: return legArea * 0.01;
    case kAt150: return legArea * 0.006666666666666667;
    default: return legArea * 0.005;
  }
}

struct DemandScheme {
  const char* heading;
  SchemeSpacing dense;
  SchemeSpacing other;
};

constexpr DemandScheme kDemandSchemes[] = {
    {gbk::kScheme100And200, kAt100, kAt200}, {gbk::kScheme100And150, kAt100, kAt150},
    {gbk::kSchemeAll100, kAt100, kAt100},    {gbk::kSchemeAll150, kAt150, kAt150},
    {gbk::kSchemeAll200, kAt200, kAt200},
};

// Diameters 6 to 16 mm only.
constexpr int kStirrupBarCount = 6;

}  // namespace

void appendStirrupDemandSchemes(double dense, double other, int referenceSpacing,
                                std::string& out) {
  for (const DemandScheme& scheme : kDemandSchemes) {
    out += scheme.heading;
    // The balance lets a scheme collect a third hit when the first leg count
    // found none; two hits ahead of misses end the scheme.
    int balance = 0;
    bool previousHit = true;
    for (double legs : kLegCounts) {
      if (!previousHit) --balance;
      previousHit = false;
      for (int j = 0; j < kStirrupBarCount; ++j) {
        const double legArea = referenceSpacing * kBarTableArea[j] * legs;
        if (dense <= demandLimit(scheme.dense, legArea) &&
            other <= demandLimit(scheme.other, legArea)) {
          out += gbk::kPhi;
          appendRounded(out, kBarDiameter[j]);
          out += '(';
          appendRounded(out, legs);
          out += ")  ";
          ++balance;
          previousHit = true;
          break;
        }
      }
      if (balance > 1) break;
    }
  }
}

}  // namespace rebarcalc
