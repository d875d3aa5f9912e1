// The annotation grammar: which of the four forms a text is, and the numbers
// it carries.
//
// Forms are tried in a fixed order and the first that applies wins:
//   1. bar groups: a count, a grade symbol and a diameter occur anywhere
//      («4%%13225»). Rows are split at ";" or ",", bar groups within a row at
//      "/" or "+"; only the first bar group of each piece counts.
//   2. stirrups: a grade symbol, diameter(s), "@" or "-", spacing(s) and an
//      optional leg count occur anywhere («%%13010@100/200(4)»). All
//      occurrences count; the global pattern lays their 14 sub-matches end
//      to end.
//   3. stirrup demand: the whole text is «G<dense>-<other>» in cm².
//   4. area triple: «<a>-<b>-<c>» in cm² occurs anywhere; the first counts.
// A text with leading digits before a stirrup («2%%13010@100») is therefore a
// bar group, and a text mixing bars and stirrups is read as bar groups only.
//
// All patterns run on the GBK bytes; grade symbols are the drawing fonts'
// control codes «%%130» to «%%133», «%%180» to «%%183» (optionally followed
// by «%%140R%%141», the subscript R) and the bracket characters []{}.
#include "rebar/RebarAreaCalculator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "AreaComputation.h"
#include "GbkTexts.h"
#include "NumberText.h"

using rebarcalc::GradeClass;

namespace {

constexpr char kBarGroupText[] =
    "(([0-9]+)((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?))";
constexpr char kBarGroupProbeText[] =
    "(([0-9]+)((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)"
    "[/;,\\+]?)";
constexpr char kStirrupSpecText[] =
    "((%%1[38][0-3](%%140[R]%%141)?)|\\[|\\]|\\{|\\})([1234]?[0-9](\\.[0-9])?)"
    "(/([1234]?[0-9](\\.[0-9])?))?[\\@\\-]([0-9]+)(/([0-9]+))?(\\(([0-9]+)\\))?[;,/]?";
constexpr char kStirrupDemandText[] = "^G(([0-9]+)(.[0-9]))[\\-=](([0-9]+)(.[0-9]))$";
constexpr char kAreaTripleText[] = "([0-9]+)[\\-=]([0-9]+)[\\-=]([0-9]+)";

// Sub-matches of barGroup.
constexpr size_t kBarCount = 2;
constexpr size_t kBarDiameter = 6;

// Sub-matches of stirrupSpec, within one occurrence of kStirrupStride entries.
constexpr size_t kStirrupStride = 14;
constexpr size_t kStirrupGrade = 1;
constexpr size_t kStirrupFirstDiameter = 4;
constexpr size_t kStirrupSecondDiameter = 7;
constexpr size_t kStirrupFirstSpacing = 9;
constexpr size_t kStirrupSecondSpacing = 11;
constexpr size_t kStirrupLegs = 13;

// Sub-matches of stirrupDemand and areaTriple.
constexpr size_t kDemandDense = 1;
constexpr size_t kDemandOther = 4;

// Written areas are cm²; results are mm².
constexpr double kSquareCentimetre = 100;

}  // namespace

RebarAreaCalculator::RebarAreaCalculator()
    : barGroupProbe_(kBarGroupProbeText, regex::Reserved20),
      barGroup_(kBarGroupText),
      groupSeparator_("[;,]"),
      barSeparator_("[/\\+]"),
      gradeHPB235_("^((%%1[38]0)|\\[)$"),
      gradeHRB335_("^((%%1[38]1)|\\])$"),
      gradeHRB400_("^((%%1[38]2)|\\})$"),
      gradeRRB400_("^((%%1[38][02]%%140[R]%%141)|(%%1[38]3)|\\{)$"),
      stirrupSpec_(kStirrupSpecText, regex::Global | regex::CollectAllGroups),
      stirrupDemand_(kStirrupDemandText),
      areaTriple_(kAreaTripleText) {}

RebarAreaCalculator::RebarAreaCalculator(const std::string& configPath)
    : RebarAreaCalculator() {
  loadSettings(configPath);
}

bool RebarAreaCalculator::analyse(std::string text, std::string& result) const {
  if (text.size() > kLongestAnnotation) return false;
  regex::MatchResults match;
  if (barGroupProbe_.match(text, match).matched) return analyseBarGroups(text, result);
  if (stirrupSpec_.match(text, match).matched) return analyseStirrups(text, match, result);
  if (stirrupDemand_.match(text, match).matched) return analyseStirrupDemand(match, result);
  if (areaTriple_.match(text, match).matched) return analyseAreaTriple(match, result);
  return false;
}

RebarAreaCalculator::Form RebarAreaCalculator::form(const std::string& text) const {
  if (text.size() > kLongestAnnotation) return Form::kNone;
  regex::MatchResults match;
  if (barGroupProbe_.match(text, match).matched) return Form::kBarGroups;
  if (stirrupSpec_.match(text, match).matched) return Form::kStirrups;
  if (stirrupDemand_.match(text, match).matched) return Form::kStirrupDemand;
  if (areaTriple_.match(text, match).matched) return Form::kAreaTriple;
  return Form::kNone;
}

int RebarAreaCalculator::gradeClass(const std::string& symbol) const {
  regex::MatchResults match;
  if (gradeHPB235_.match(symbol, match).matched) return rebarcalc::kHPB235;
  if (gradeHRB335_.match(symbol, match).matched) return rebarcalc::kHRB335;
  if (gradeHRB400_.match(symbol, match).matched) return rebarcalc::kHRB400;
  if (gradeRRB400_.match(symbol, match).matched) return rebarcalc::kRRB400;
  return rebarcalc::kUnknownGrade;
}

bool RebarAreaCalculator::analyseBarGroups(const std::string& text, std::string& result) const {
  // An empty row (before a leading separator) splits into no pieces and has
  // no total; a row of pieces without bar groups totals 0.
  std::vector<double> rowTotals;
  std::vector<std::string> rows;
  std::vector<std::string> pieces;
  regex::MatchResults match;
  groupSeparator_.split(text.data(), text.data() + text.size(), rows, 0);
  for (const std::string& row : rows) {
    if (barSeparator_.split(row.data(), row.data() + row.size(), pieces, 0) == 0) continue;
    double total = 0;
    for (const std::string& piece : pieces) {
      if (!barGroup_.match(piece, match).matched) continue;
      int count = rebarcalc::toInt(match.at(kBarCount).str());
      double diameter = rebarcalc::toReal(match.at(kBarDiameter).str());
      total += count * rebarcalc::barArea(diameter);
    }
    rowTotals.push_back(total);
  }

  result = rebarcalc::gbk::kArea;
  for (double total : rowTotals) {
    result += ' ';
    rebarcalc::appendRounded(result, total);
    result += ';';
  }
  result += '\n';
  if (showCandidateBars_ != 0) {
    for (double total : rowTotals) {
      result += "\n[";
      rebarcalc::appendRounded(result, total);
      result += ']';
      result += rebarcalc::gbk::kCandidateBars;
      rebarcalc::appendCandidateLayouts(total, result);
    }
  }
  // Drops the line feed, or the trailing blank of the last layout, or the
  // colon of a last heading without layouts.
  result.pop_back();
  return true;
}

bool RebarAreaCalculator::analyseStirrups(const std::string& text,
                                          const regex::MatchResults& occurrences,
                                          std::string& result) const {
  std::string actualPerMetre, equivalentPerMetre;
  std::string actualPerReference, equivalentPerReference;
  const size_t count = std::min<size_t>(stirrupSpec_.count(text.data(), text.data() + text.size()),
                                        occurrences.size() / kStirrupStride);
  for (size_t k = 0; k < count; ++k) {
    auto field = [&](size_t n) -> std::string { return occurrences.at(k * kStirrupStride + n).str(); };
    auto grade = static_cast<GradeClass>(gradeClass(field(kStirrupGrade)));
    if (grade == rebarcalc::kUnknownGrade) continue;
    rebarcalc::StirrupSpec stirrup;
    stirrup.firstDiameter = rebarcalc::toReal(field(kStirrupFirstDiameter));
    stirrup.secondDiameter = rebarcalc::toReal(field(kStirrupSecondDiameter));
    stirrup.firstSpacing = rebarcalc::toReal(field(kStirrupFirstSpacing));
    stirrup.secondSpacing = rebarcalc::toReal(field(kStirrupSecondSpacing));
    stirrup.legs = std::trunc(rebarcalc::toReal(field(kStirrupLegs)));
    const double factor = rebarcalc::strengthFactor(grade);
    using rebarcalc::StirrupKind;

    actualPerMetre += rebarcalc::gradeLabel(grade);
    rebarcalc::appendStirrupText(StirrupKind::PerMetre, 1.0, stirrup, referenceSpacing_,
                                 actualPerMetre);
    equivalentPerMetre += rebarcalc::gbk::kLabelHPB235;
    rebarcalc::appendStirrupText(StirrupKind::PerMetre, factor, stirrup, referenceSpacing_,
                                 equivalentPerMetre);
    // Legs per reference length mean nothing for a stirrup of two diameters.
    if (stirrup.legs > 0 && !(stirrup.secondDiameter > 0)) {
      actualPerReference += rebarcalc::gradeLabel(grade);
      rebarcalc::appendStirrupText(StirrupKind::PerReferenceLength, 1.0, stirrup,
                                   referenceSpacing_, actualPerReference);
      equivalentPerReference += rebarcalc::gbk::kLabelHPB235;
      rebarcalc::appendStirrupText(StirrupKind::PerReferenceLength, factor, stirrup,
                                   referenceSpacing_, equivalentPerReference);
    }
  }

  // Each text starts with its label's comma, which is dropped; an equivalent
  // text equal to the actual one (all HPB235) is not repeated.
  result = rebarcalc::gbk::kAreaPerMetre;
  if (!actualPerMetre.empty()) {
    actualPerMetre.erase(0, 1);
    result += actualPerMetre;
    result += '\n';
  }
  if (!equivalentPerMetre.empty()) {
    equivalentPerMetre.erase(0, 1);
    if (equivalentPerMetre != actualPerMetre) {
      result += equivalentPerMetre;
      result += '\n';
    }
  }
  if (!actualPerReference.empty()) {
    actualPerReference.erase(0, 1);
    result += rebarcalc::gbk::kStirrups;
    result += "(@" + std::to_string(referenceSpacing_) + ")\n";
    result += actualPerReference;
    result += '\n';
    if (!equivalentPerReference.empty()) {
      equivalentPerReference.erase(0, 1);
      if (equivalentPerReference != actualPerReference) result += equivalentPerReference;
    }
  }
  return true;
}

bool RebarAreaCalculator::analyseStirrupDemand(const regex::MatchResults& demand,
                                               std::string& result) const {
  const double dense = rebarcalc::toReal(demand.at(kDemandDense).str()) * kSquareCentimetre;
  const double other = rebarcalc::toReal(demand.at(kDemandOther).str()) * kSquareCentimetre;
  result = demand.at(0).str();
  result += "(@" + std::to_string(referenceSpacing_) + ")";
  result += rebarcalc::gbk::kCandidateStirrups;
  rebarcalc::appendStirrupDemandSchemes(dense, other, referenceSpacing_, result);
  return true;
}

bool RebarAreaCalculator::analyseAreaTriple(const regex::MatchResults& triple,
                                            std::string& result) const {
  double largest = rebarcalc::toReal(triple.at(1).str()) * kSquareCentimetre;
  for (size_t i = 2; i <= 3; ++i) {
    largest = std::max(largest, rebarcalc::toReal(triple.at(i).str()) * kSquareCentimetre);
  }
  result = rebarcalc::gbk::kCandidateLongitudinal;
  return rebarcalc::appendCandidateLayouts(largest, result);
}
