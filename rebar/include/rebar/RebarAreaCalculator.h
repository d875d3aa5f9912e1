// Steel areas of reinforcement annotations.
//
// A RebarAreaCalculator reads the short texts that structural drawings use to
// label reinforcement and writes what the cursor tooltip shows for them: the
// steel area in mm² and alternative layouts of at least that area. Four forms
// are recognised, tried in this order:
//
//   bar groups       «4%%13225», «2%%13225+2%%13222;4%%13220»
//   stirrups         «%%13010@100/200(4)», «%%13010/8@100»
//   stirrup demands  «G1.5-1.0»   (cm² per reference length, dense/other zone)
//   area triples     «12-8-12»    (cm², the largest one counts)
//
// Texts are GBK bytes in and out; nothing is decoded, so the trail byte of a
// Chinese character may act as a grade symbol or separator exactly as it does
// in the drawing.
//
// Construction compiles the annotation patterns once; analyse() is const and
// keeps no state between calls, so one calculator serves every cursor move.
#pragma once

#include <string>

#include "pattern/Pattern.h"
#include "xml/XmlDocument.h"

class RebarAreaCalculator {
 public:
  // The bar table, the compiled patterns and the default settings
  // (reference spacing 100, no candidate layouts).
  RebarAreaCalculator();
  // The same, then loadSettings(configPath).
  explicit RebarAreaCalculator(const std::string& configPath);

  // Reads the settings file: root element `rsbarea` with the children
  // `spacingofstirrup` and, after it, `lsbunderarea`, each holding a decimal
  // integer. A setting keeps its value where the file does not supply one;
  // a text that is not a number reads as 0. Returns false only when the file
  // cannot be read or is not well-formed XML.
  bool loadSettings(const std::string& path);
  // Result of the last loadSettings; false if none ran.
  bool configLoaded() const { return configLoaded_; }
  // The path given to the last loadSettings.
  const std::string& configPath() const { return configPath_; }

  // Classifies `text` and replaces `result` with its result text. Returns
  // false for a text of no form (leaving `result` untouched) and for an area
  // triple whose largest area is below 0.1 mm².
  // Texts longer than kLongestAnnotation bytes are no annotation: the
  // backtracking search over long digit runs grows with the square of their
  // length, and the tooltip must stay quick on every cursor move.
  bool analyse(std::string text, std::string& result) const;
  static constexpr size_t kLongestAnnotation = 1024;

  // The form analyse takes a text for, by the same tests in the same order
  // (kNone for a text analyse rejects before it computes anything).
  enum class Form { kNone, kBarGroups, kStirrups, kStirrupDemand, kAreaTriple };
  Form form(const std::string& text) const;

  // Stirrup reference length in mm: per-reference-length areas, the "(@N)"
  // labels and the stirrup-demand limits scale with it.
  int referenceSpacing() const { return referenceSpacing_; }
  void setReferenceSpacing(int spacing) { referenceSpacing_ = spacing; }
  // Any value but 0 makes bar-group results list candidate layouts.
  int showCandidateBars() const { return showCandidateBars_; }
  void setShowCandidateBars(int show) { showCandidateBars_ = show; }

 private:
  bool analyseBarGroups(const std::string& text, std::string& result) const;
  bool analyseStirrups(const std::string& text, const regex::MatchResults& occurrences,
                       std::string& result) const;
  bool analyseStirrupDemand(const regex::MatchResults& demand, std::string& result) const;
  bool analyseAreaTriple(const regex::MatchResults& triple, std::string& result) const;
  int gradeClass(const std::string& symbol) const;

  // Compiled in this order at construction.
  regex::Pattern barGroupProbe_;
  regex::Pattern barGroup_;
  regex::Pattern groupSeparator_;
  regex::Pattern barSeparator_;
  regex::Pattern gradeHPB235_;
  regex::Pattern gradeHRB335_;
  regex::Pattern gradeHRB400_;
  regex::Pattern gradeRRB400_;
  regex::Pattern stirrupSpec_;
  regex::Pattern stirrupDemand_;
  regex::Pattern areaTriple_;

  int referenceSpacing_ = 100;
  int showCandidateBars_ = 0;
  bool configLoaded_ = false;
  XmlDocument config_;  // the last settings file read, kept as loaded
  std::string configPath_;
};
