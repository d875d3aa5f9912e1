// Steel areas and alternative layouts: the arithmetic behind the result texts.
//
// Each function appends to a result text in GBK bytes and keeps no state.
// The arithmetic follows the written formulas operation by operation; some
// real annotations land exactly on a boundary of the layout rules, so a
// reordered or fused expression would propose a different layout. (The
// project builds with -ffp-contract=off for the same reason.)
#pragma once

#include <string>

namespace rebarcalc {

// The bar table: diameters D (mm) and table areas T (mm²), index 0 to 14.
inline constexpr int kBarCount = 15;
inline constexpr double kBarDiameter[kBarCount] = {6,  8,  10, 12, 14, 16, 18, 20,
                                                   22, 25, 28, 30, 32, 36, 40};
inline constexpr double kBarTableArea[kBarCount] = {28,  50,  79,  113, 154, 201, 254, 314,
                                                    380, 491, 616, 707, 804, 1018, 1257};
inline constexpr double kLegCounts[] = {2, 4, 6, 8};

// Exact bar area a(d) = 0.7853981635 × d × d, evaluated left to right.
inline double barArea(double diameter) { return 0.7853981635 * diameter * diameter; }

// Grade classes of the grade symbols; kUnknownGrade for a symbol of none.
enum GradeClass : int { kHPB235 = 0, kHRB335 = 1, kHRB400 = 2, kRRB400 = 3, kUnknownGrade = -1 };
// Strength factor of a known grade class, relative to HPB235.
double strengthFactor(GradeClass grade);
// ",HPB235：" and the like: ASCII comma, name, full-width colon.
const char* gradeLabel(GradeClass grade);

// Appends the candidate bar layouts for `area` (mm²): up to five lines, each
// "\n<n>φ<d>  " for a single diameter followed by combinations with the one
// or two next smaller diameters. Returns false, appending nothing, when area
// is below 0.1; true otherwise, even when no line qualifies.
bool appendCandidateLayouts(double area, std::string& out);

// One stirrup occurrence as written: «%%13010/8@100/200(4)».
struct StirrupSpec {
  double firstDiameter = 0;   // mm
  double secondDiameter = 0;  // mm, 0 when absent
  double firstSpacing = 0;    // mm
  double secondSpacing = 0;   // mm, 0 when absent
  double legs = 0;            // 0 when absent
};

enum class StirrupKind { PerMetre, PerReferenceLength };

// Stirrup area for one spacing, weighted by the strength factor:
//   per metre             f × (d1² + d2²) / s × 392.699   with a second diameter,
//                         f / s × d1² × 785.398           without;
//   per reference length  0.785398 × d1² × f × legs × referenceSpacing / s.
// A spacing of 0 gives a non-finite value, which prints as "--".
double stirrupArea(StirrupKind kind, double factor, const StirrupSpec& stirrup, double spacing,
                   int referenceSpacing);

// Appends "%-5.f/ %-5.f" of the areas for both spacings when a second spacing
// is given, else "%-5.f" of the area for the first.
void appendStirrupText(StirrupKind kind, double factor, const StirrupSpec& stirrup,
                       int referenceSpacing, std::string& out);

// Appends the five spacing schemes with, for each, the stirrups (diameters
// 6 to 16 mm, 2 to 8 legs) that meet the dense-zone demand `dense` and the
// other-zone demand `other` (mm² per reference length).
void appendStirrupDemandSchemes(double dense, double other, int referenceSpacing,
                                std::string& out);

}  // namespace rebarcalc
