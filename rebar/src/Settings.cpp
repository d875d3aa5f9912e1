// The settings file beside the plug-in:
//
//   <rsbarea>
//     <spacingofstirrup>100</spacingofstirrup>
//     <lsbunderarea>0</lsbunderarea>
//   </rsbarea>
//
// Elements are looked up forward only, so `lsbunderarea` counts only after
// `spacingofstirrup`. Missing elements leave their setting unchanged; only a
// file that cannot be read or parsed is reported, by the return value.
#include "NumberText.h"
#include "rebar/RebarAreaCalculator.h"

bool RebarAreaCalculator::loadSettings(const std::string& path) {
  configPath_ = path;
  configLoaded_ = config_.loadFile(path.c_str());
  if (!configLoaded_) return false;
  if (!config_.findElement("rsbarea")) return true;
  config_.enterElement();
  if (!config_.findElement("spacingofstirrup")) return true;
  referenceSpacing_ = rebarcalc::toInt(config_.elementText());
  if (!config_.findElement("lsbunderarea")) return true;
  showCandidateBars_ = rebarcalc::toInt(config_.elementText());
  config_.leaveElement();
  return true;
}
