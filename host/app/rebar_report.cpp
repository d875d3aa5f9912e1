// The rebar report: the annotations found as the cursor would find them,
// their tooltips asked of the drawing's monitors, and the two forms the
// report is written in.
//
// Texts inside block references are reached the way the cursor reaches
// them: the path from the model-space reference down to the text is handed
// to the monitors as the aperture's nested path, so the tooltip is the one
// a hover over that text shows.
#include "rebar_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"
#include "drawhost/io.h"
#include "rebar/RebarAreaCalculator.h"

namespace rebarreport {
namespace {

const char* formName(RebarAreaCalculator::Form form) {
  switch (form) {
    case RebarAreaCalculator::Form::kBarGroups: return "bar groups";
    case RebarAreaCalculator::Form::kStirrups: return "stirrups";
    case RebarAreaCalculator::Form::kStirrupDemand: return "stirrup demand";
    case RebarAreaCalculator::Form::kAreaTriple: return "area triple";
    case RebarAreaCalculator::Form::kNone: break;
  }
  return "";
}

// Where an annotation sits and how it is reached: the ids from the model-space entity down.
struct Found {
  Annotation annotation;
  std::vector<AcDbObjectId> path;
};

class Walker {
 public:
  explicit Walker(std::vector<Found>& found) : found_(found) {}

  void walkBlock(AcDbObjectId blockId, const AcGeMatrix3d& xf, int depth) {
    AcDbBlockTableRecord* block = nullptr;
    if (acdbOpenObject(block, blockId, AcDb::kForRead) != AcDb::kOk) return;
    AcDbBlockTableRecordIterator* it = nullptr;
    block->newIterator(it);
    std::vector<AcDbObjectId> ids;
    for (it->start(); !it->done(); it->step()) {
      AcDbObjectId id;
      if (it->getEntityId(id) == AcDb::kOk) ids.push_back(id);
    }
    delete it;
    block->close();
    for (const AcDbObjectId& id : ids) visit(id, xf, depth);
  }

 private:
  void visit(AcDbObjectId id, const AcGeMatrix3d& xf, int depth) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != AcDb::kOk) return;
    if (!shown(entity) || AcDbAttributeDefinition::cast(entity)) {
      entity->close();
      return;
    }
    path_.push_back(id);
    if (const AcDbText* text = AcDbText::cast(entity)) {
      record(text, xf);
      entity->close();
    } else if (const AcDbBlockReference* ref = AcDbBlockReference::cast(entity)) {
      const AcDbObjectId blockId = ref->blockTableRecord();
      const AcGeMatrix3d inner = xf * ref->blockTransform();
      const AcDbObjectIdArray attributes = ref->attributeIds();
      const std::string name = blockName(blockId);
      entity->close();
      names_.push_back(name);
      for (int i = 0; i < attributes.length(); ++i) visit(attributes[i], xf, depth);
      // A block found inside itself is looked into once, as the cursor does.
      if (depth < kDeepest && open_.insert(blockId).second) {
        walkBlock(blockId, inner, depth + 1);
        open_.erase(blockId);
      }
      names_.pop_back();
    } else {
      entity->close();
    }
    path_.pop_back();
  }

  void record(const AcDbText* text, const AcGeMatrix3d& xf) {
    if (const auto* attribute = AcDbAttribute::cast(text); attribute && attribute->isInvisible()) return;
    const std::string gbk = text->textString();
    const RebarAreaCalculator::Form form = calculator_.form(gbk);
    if (form == RebarAreaCalculator::Form::kNone) return;
    Found f;
    Annotation& a = f.annotation;
    a.text = drawhost::gbkToUtf8(gbk);
    a.kind = AcDbAttribute::cast(text) ? "attribute" : "text";
    a.layer = drawhost::gbkToUtf8(text->layer());
    a.form = formName(form);
    for (const std::string& n : names_) a.blocks += (a.blocks.empty() ? "" : " > ") + n;
    AcGePoint3d at = text->position();
    at.transformBy(xf);
    a.x = at.x, a.y = at.y;
    AcDbExtents extents;
    a.box[0] = a.box[2] = at.x, a.box[1] = a.box[3] = at.y;
    if (text->getGeomExtents(extents) == AcDb::kOk && extents.isValid()) {
      a.box[0] = a.box[1] = 1e300, a.box[2] = a.box[3] = -1e300;
      for (int corner = 0; corner < 4; ++corner) {
        AcGePoint3d p(corner & 1 ? extents.maxPoint.x : extents.minPoint.x,
                      corner & 2 ? extents.maxPoint.y : extents.minPoint.y, 0);
        p.transformBy(xf);
        a.box[0] = std::min(a.box[0], p.x), a.box[1] = std::min(a.box[1], p.y);
        a.box[2] = std::max(a.box[2], p.x), a.box[3] = std::max(a.box[3], p.y);
      }
    }
    f.path = path_;
    found_.push_back(std::move(f));
  }

  // Displayed: visible, on a layer that is on and thawed.
  bool shown(const AcDbEntity* entity) {
    if (entity->visibility() != AcDb::kVisible) return false;
    const AcDbObjectId layerId = entity->layerId();
    auto known = layerShown_.find(layerId);
    if (known != layerShown_.end()) return known->second;
    AcDbLayerTableRecord* layer = nullptr;
    bool on = true;
    if (acdbOpenObject(layer, layerId, AcDb::kForRead) == AcDb::kOk) {
      on = !layer->isOff() && !layer->isFrozen();
      layer->close();
    }
    return layerShown_[layerId] = on;
  }

  std::string blockName(AcDbObjectId blockId) {
    AcDbBlockTableRecord* block = nullptr;
    std::string name;
    if (acdbOpenObject(block, blockId, AcDb::kForRead) == AcDb::kOk) {
      name = drawhost::gbkToUtf8(block->name());
      block->close();
    }
    return name;
  }

  static constexpr int kDeepest = 16;
  std::vector<Found>& found_;
  RebarAreaCalculator calculator_;
  std::vector<AcDbObjectId> path_;
  std::vector<std::string> names_;
  std::set<AcDbObjectId> open_;
  std::map<AcDbObjectId, bool> layerShown_;
};

// The numbers of a text in order (decimal, as written).
std::vector<double> numbersIn(const std::string& text) {
  std::vector<double> numbers;
  for (size_t i = 0; i < text.size();) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    char* end = nullptr;
    numbers.push_back(std::strtod(text.c_str() + i, &end));
    i = static_cast<size_t>(end - text.c_str());
  }
  return numbers;
}

std::string csvField(const std::string& value) {
  if (value.find_first_of(",\"\n\r") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

}  // namespace

std::string decimal(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", v);
  return buffer;
}

std::vector<Annotation> collect(AcDbDatabase* db, const Progress& progress) {
  std::vector<Found> found;
  Walker walker(found);
  walker.walkBlock(db->modelSpaceId(), AcGeMatrix3d(), 0);
  std::vector<Annotation> annotations;
  annotations.reserve(found.size());
  for (size_t i = 0; i < found.size(); ++i) {
    Annotation& a = found[i].annotation;
    const AcGePoint3d at(a.x, a.y, 0);
    for (const std::string& tooltip : drawhost::tooltipsFor(at, {found[i].path}))
      a.tooltip += drawhost::gbkToUtf8(tooltip);
    a.area = steelArea(a.form, a.text, a.tooltip);
    annotations.push_back(std::move(a));
    if (progress) progress(i + 1, found.size());
  }
  return annotations;
}

double steelArea(const std::string& form, const std::string& text, const std::string& tooltip) {
  if (form == "bar groups") {
    const std::vector<double> rows = numbersIn(tooltip.substr(0, tooltip.find('\n')));
    double total = 0;
    for (double row : rows) total += row;
    return total;
  }
  if (form == "stirrups") {
    const size_t second = tooltip.find('\n');
    const std::vector<double> figures =
        numbersIn(second == std::string::npos ? std::string() : tooltip.substr(second));
    // The line names the grade first ("HPB235：785"): its number is not the area.
    return figures.size() > 1 ? figures[1] : 0;
  }
  const std::vector<double> values = numbersIn(text);
  double largest = 0;
  for (double v : values) largest = std::max(largest, v);
  return largest * 100;  // written in cm²
}

std::string toCsv(const std::vector<Annotation>& annotations) {
  std::string out = "\xEF\xBB\xBFtext,kind,layer,x,y,form,blocks,area,tooltip\r\n";
  for (const Annotation& a : annotations) {
    out += csvField(a.text) + ',' + a.kind + ',' + csvField(a.layer) + ',' + decimal(a.x) + ',' + decimal(a.y) +
           ',' + csvField(a.form) + ',' + csvField(a.blocks) + ',' + decimal(a.area) + ',' +
           csvField(a.tooltip) + "\r\n";
  }
  return out;
}

std::string shownText(const std::string& utf8) { return drawhost::displayedText(utf8); }

}  // namespace rebarreport
