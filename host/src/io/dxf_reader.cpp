// The drawing-file reader: tokenizer, section readers and entity readers in one pass.
//
// Invariants: after Tokenizer::next returns true, pair.value points into the input and, for a
// numeric group code, pair.number holds its checked value. Each section reader consumes its own
// ENDSEC; each record reader stops before the next code-0 pair (it pushes that pair back). The
// sink sees header() exactly once, before anything else.
#include "io/dxf_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "io/acis_text.h"
#include "io/dxf_text.h"

namespace drawhost::dxf {

void DxfEntity::reset(EntityKind newKind) {
  std::vector<Vertex> keptVertices = std::move(vertices);
  std::vector<DxfEntity> keptAttributes = std::move(attributes);
  *this = DxfEntity();
  kind = newKind;
  keptVertices.clear();
  keptAttributes.clear();
  vertices = std::move(keptVertices);
  attributes = std::move(keptAttributes);
}

bool DxfCollector::header(const DxfHeader& header) {
  drawing_.header = header;
  return true;
}

bool DxfCollector::linetype(const DxfLinetype& linetype) {
  drawing_.linetypes.push_back(linetype);
  return true;
}

bool DxfCollector::layer(const DxfLayer& layer) {
  drawing_.layers.push_back(layer);
  return true;
}

bool DxfCollector::beginBlock(const DxfBlock& block) {
  drawing_.blocks.push_back({block, {}});
  inBlock_ = true;
  return true;
}

bool DxfCollector::endBlock() {
  inBlock_ = false;
  return true;
}

bool DxfCollector::appId(const std::string& name) {
  drawing_.appIds.push_back(name);
  return true;
}

bool DxfCollector::textStyle(const DxfTextStyle& style) {
  (style.name.empty() ? drawing_.shapeFiles : drawing_.styleRecords).push_back(style);
  return true;
}

bool DxfCollector::layerState(const DxfLayerState& state) {
  drawing_.layerStates.push_back(state);
  return true;
}

bool DxfCollector::tableRecord(const DxfTableRecord& record) {
  drawing_.tableRecords.push_back(record);
  return true;
}

bool DxfCollector::objects(const DxfObjects& objects) {
  drawing_.objects = objects;
  return true;
}

bool DxfCollector::entity(const DxfEntity& entity) {
  (inBlock_ ? drawing_.blocks.back().entities : drawing_.entities).push_back(entity);
  return true;
}

namespace {

// Handles are compared in upper case.
std::string upperHandle(std::string handle) {
  for (char& c : handle) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return handle;
}

// The integer width of a group code: 16 or 32 bits (either signed or unsigned is taken, as
// writers differ), or 64.
bool fitsGroupCode(int code, std::int64_t value) {
  if (code >= 160 && code <= 169) return true;
  const bool wide = (code >= 90 && code <= 99) || (code >= 420 && code <= 429) ||
                    (code >= 440 && code <= 459) || code == 1071;
  return wide ? value >= INT32_MIN && value <= UINT32_MAX : value >= INT16_MIN && value <= UINT16_MAX;
}

std::string_view trimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool parseReal(std::string_view text, double& value) {
  text = trimSpaces(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool parseInteger(std::string_view text, std::int64_t& value) {
  text = trimSpaces(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// A group code: a small integer, right-aligned by most writers. The common shape (blanks,
// then at most four digits) is read here; anything else goes the general way.
bool parseGroupCode(std::string_view text, std::int64_t& value) {
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  const size_t digits = text.size() - at;
  if (digits == 0 || digits > 4) return parseInteger(text, value);
  std::int64_t v = 0;
  for (; at < text.size(); ++at) {
    const unsigned d = static_cast<unsigned char>(text[at]) - '0';
    if (d > 9) return parseInteger(text, value);
    v = v * 10 + d;
  }
  value = v;
  return true;
}

std::string quoted(std::string_view value) {
  constexpr size_t kShown = 40;
  std::string shown(value.substr(0, kShown));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  return "'" + shown + (value.size() > kShown ? "...'" : "'");
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

struct Pair {
  int code = 0;
  std::string_view value;  // string value, trailing CR removed
  double real = 0;
  std::int64_t integer = 0;
  int line = 0;  // line of the group code
};

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view data) : data_(data) {}

  // False at the end of the input or on an error (then error() is set).
  bool next(Pair& pair) {
    if (hasPushedBack_) {
      hasPushedBack_ = false;
      pair = pushedBack_;
      return true;
    }
    std::string_view codeLine;
    const int codeLineNumber = line_ + 1;
    if (!nextLine(codeLine)) return false;
    std::int64_t code = 0;
    if (!parseGroupCode(codeLine, code) || code < 0 || code > 1071)
      return fail(codeLineNumber, "expected a group code, found " + quoted(codeLine));
    std::string_view value;
    if (!nextLine(value))
      return fail(codeLineNumber, "group code " + std::to_string(code) + " has no value");
    pair.code = static_cast<int>(code);
    pair.value = value;
    pair.line = codeLineNumber;
    switch (typeOfCode(pair.code)) {
      case ValueType::Real:
        if (!parseReal(value, pair.real))
          return fail(codeLineNumber + 1, quoted(value) + " is not a number (group code " +
                                              std::to_string(code) + ")");
        break;
      case ValueType::Integer:
        if (!parseInteger(value, pair.integer))
          return fail(codeLineNumber + 1, quoted(value) + " is not an integer (group code " +
                                              std::to_string(code) + ")");
        if (!fitsGroupCode(pair.code, pair.integer))
          return fail(codeLineNumber + 1, quoted(value) + " is out of range for group code " +
                                              std::to_string(code));
        break;
      case ValueType::String:
        break;
    }
    return true;
  }

  void pushBack(const Pair& pair) {
    pushedBack_ = pair;
    hasPushedBack_ = true;
  }

  int line() const { return line_; }
  const std::string& error() const { return error_; }
  bool failed() const { return !error_.empty(); }

  bool fail(int line, const std::string& message) {
    if (error_.empty()) error_ = "line " + std::to_string(line) + ": " + message;
    return false;
  }

 private:
  bool nextLine(std::string_view& line) {
    if (pos_ >= data_.size()) return false;
    const size_t end = data_.find('\n', pos_);
    const size_t stop = end == std::string_view::npos ? data_.size() : end;
    line = data_.substr(pos_, stop - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = stop + 1;
    ++line_;
    return true;
  }

  std::string_view data_;
  size_t pos_ = 0;
  int line_ = 0;
  Pair pushedBack_;
  bool hasPushedBack_ = false;
  std::string error_;
};

int validColour(std::int64_t colour) {
  return (colour >= 0 && colour <= 256) ? static_cast<int>(colour) : kColourByLayer;
}

bool isValidLineweight(std::int64_t weight) {
  static constexpr int kWeights[] = {-3, -2, -1, 0, 5, 9, 13, 15, 18, 20, 25, 30, 35,
                                     40, 50, 53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
  for (const int w : kWeights)
    if (w == weight) return true;
  return false;
}

bool isModelSpaceBlock(std::string_view name) {
  return equalsNoCase(name, "*Model_Space") || equalsNoCase(name, "$MODEL_SPACE");
}

bool isLayoutBlock(std::string_view name) {
  auto startsNoCase = [&](std::string_view prefix) {
    return name.size() >= prefix.size() && equalsNoCase(name.substr(0, prefix.size()), prefix);
  };
  return startsNoCase("*Model_Space") || startsNoCase("*Paper_Space") ||
         equalsNoCase(name, "$MODEL_SPACE") || equalsNoCase(name, "$PAPER_SPACE");
}

class Reader {
 public:
  Reader(std::string_view data, DxfSink& sink, DxfDiagnostics& diagnostics)
      : tokens_(data), sink_(sink), diagnostics_(diagnostics) {}

  bool run();
  const std::string& error() const { return tokens_.error(); }

 private:
  bool fail(int line, const std::string& message) { return tokens_.fail(line, message); }
  bool sinkRefused() { return fail(tokens_.line(), "the drawing could not be stored"); }
  bool expectEndOfData(const char* where) {
    return fail(tokens_.line(), std::string("the file ends inside ") + where);
  }

  bool sendHeader();
  bool readHeaderSection();
  bool readTablesSection();
  bool readTable(std::string_view tableName);
  bool readLayer();
  bool readLinetype();
  bool readTextStyle();
  bool readAppId();
  bool readKeptRecord(std::string_view table);
  bool readBlockRecord();
  bool sendTableRecords();
  bool readBlocksSection();
  bool readBlock();
  bool readEntitiesSection();
  bool readObjectsSection();
  bool readClassesSection();
  bool sendObjects();
  bool sendEntity();
  void readLayerStates();
  bool skipSection();

  // Reads entities until a code-0 pair that is not an entity the reader continues with
  // (ENDSEC, ENDBLK, ...), which it pushes back.
  bool readEntities(bool skipAll);
  bool readEntity(std::string_view type, int line, bool skipAll);
  bool readAttributes(DxfEntity& insert);
  bool readOldPolyline(bool skip);

  // Calls handle(pair) for each pair of the current record up to the next code-0 pair, leaving
  // out reactor and extension-dictionary groups and extended data.
  template <typename Handler>
  bool readRecord(Handler&& handle, bool withExtendedData = false);

  bool readEntityPair(DxfEntity& entity, const Pair& pair);
  bool applyExtrusion(DxfEntity& entity);
  bool readRegionData(DxfEntity& region);
  bool readKeptEntity(std::string_view type);
  void keepGroup(const Pair& p, std::vector<DxfGroup>& groups);
  std::string keptValue(const Pair& p);
  bool sendKeptPolyline(std::vector<DxfGroup> groups);
  void fixText(std::string& text);
  void countSkipped(std::string_view type) { ++skipped_[std::string(type)]; }
  bool checkBlockReferences();

  Tokenizer tokens_;
  DxfSink& sink_;
  DxfDiagnostics& diagnostics_;
  DxfHeader header_;
  std::string rawCurrentLayer_;
  bool headerSent_ = false;
  bool utf8Texts_ = false;
  bool gbkTexts_ = true;
  bool unknownCodePageReported_ = false;

  DxfEntity entity_;
  Point extrusion_{0, 0, 1};
  bool paperSpace_ = false;
  bool tiltedExtrusionReported_ = false;
  std::string extensionDictionary_;  // of the record read last, upper case; empty: none
  DxfObjects objects_;
  std::unordered_set<std::string> entityHandles_;  // of the entities read, upper case

  std::map<std::string, int> skipped_;
  // Kept table records with the handles they name, and the names of text styles (true) and
  // block records (false) by handle, upper case.
  std::vector<std::pair<DxfTableRecord, std::vector<std::pair<int, std::string>>>> keptRecords_;
  std::unordered_map<std::string, std::pair<bool, std::string>> namesByHandle_;
  // Reading the block of the first paper-space layout: its entities are paper space's.
  bool readingPaperSpaceBlock_ = false;
  // Entities of model space with group 67 set, and those of the first layout's block, are paper
  // space; inside other blocks the group means nothing.
  bool inPaperSpace() const { return currentBlock_.empty() && (paperSpace_ || readingPaperSpaceBlock_); }
  int unreadRegions_ = 0;
  std::string unreadRegionReason_;  // of the first
  std::set<std::string> layerNames_;    // upper case, to find duplicates
  std::map<std::string, std::string> definedBlocks_;  // upper-case name -> name
  std::map<std::string, int> referencedBlocks_;       // upper-case name -> first line
  // What each block holds (key "" is model space): its own entities and, per block it refers
  // to, how many references.
  struct BlockUse {
    long entities = 0;
    std::map<std::string, long> references;
  };
  std::unordered_map<std::string, BlockUse> blockUses_;
  std::string currentBlock_;  // upper case, while reading a block definition
  // Of the objects section: dictionaries (handle -> entries, name and handle) and records of
  // data (handle -> their groups after the subclass marker).
  std::unordered_map<std::string, std::vector<std::pair<std::string, std::string>>> dictionaries_;
  std::unordered_map<std::string, std::vector<std::pair<int, std::string>>> xrecords_;
  std::vector<DxfLayerState> layerStates_;
};

template <typename Handler>
bool Reader::readRecord(Handler&& handle, bool withExtendedData) {
  Pair pair;
  int groupDepth = 0;
  bool inExtendedData = false, inDictionaryGroup = false;
  extensionDictionary_.clear();
  while (tokens_.next(pair)) {
    if (pair.code == 0) {
      tokens_.pushBack(pair);
      return true;
    }
    if (pair.code == 102) {
      const std::string_view value = trimSpaces(pair.value);
      if (!value.empty() && value.front() == '{') ++groupDepth, inDictionaryGroup = value == "{ACAD_XDICTIONARY";
      else if (value == "}" && groupDepth > 0) --groupDepth, inDictionaryGroup = false;
      continue;
    }
    if (inDictionaryGroup && pair.code == 360) extensionDictionary_ = upperHandle(std::string(trimSpaces(pair.value)));
    if (pair.code >= 1000) inExtendedData = true;
    if (groupDepth > 0 || (inExtendedData && !withExtendedData) || pair.code == 999) continue;
    if (!handle(pair)) return false;
  }
  return !tokens_.failed();
}

bool Reader::run() {
  Pair pair;
  bool sawEof = false;
  std::string_view lastSection;
  while (!sawEof && tokens_.next(pair)) {
    if (pair.code == 999) continue;
    if (pair.code == 9 && lastSection == "HEADER" && !headerSent_) {
      // Some writers end the header early and go on with its variables.
      diagnostics_.warnings.push_back("line " + std::to_string(pair.line) +
                                      ": header variables after the end of the header were read as part of it");
      tokens_.pushBack(pair);
      if (!readHeaderSection()) return false;
      continue;
    }
    const std::string_view word = trimSpaces(pair.value);
    if (pair.code != 0 || (word != "SECTION" && word != "EOF"))
      return fail(pair.line, "expected SECTION or EOF, found " + quoted(pair.value));
    if (word == "EOF") {
      sawEof = true;
      break;
    }
    Pair name;
    if (!tokens_.next(name)) return tokens_.failed() ? false : expectEndOfData("a section");
    if (name.code != 2) return fail(name.line, "a section must begin with its name (group code 2)");
    const std::string_view section = trimSpaces(name.value);
    lastSection = section;
    bool ok = true;
    if (section == "HEADER") ok = readHeaderSection();
    else if (section == "TABLES") ok = readTablesSection();
    else if (section == "BLOCKS") ok = readBlocksSection();
    else if (section == "ENTITIES") ok = readEntitiesSection();
    else if (section == "OBJECTS") ok = readObjectsSection();
    else if (section == "CLASSES") ok = readClassesSection();
    else ok = skipSection();
    if (!ok) return false;
  }
  if (tokens_.failed()) return false;
  if (!sawEof) return fail(tokens_.line(), "the file ends without EOF; it may be cut short");
  if (!sendHeader() || !checkBlockReferences()) return false;
  for (const DxfLayerState& state : layerStates_)
    if (!sink_.layerState(state)) return sinkRefused();
  if (!sendTableRecords() || !sendObjects()) return false;

  if (!skipped_.empty()) {
    std::string list;
    for (const auto& [type, count] : skipped_)
      list += (list.empty() ? "" : ", ") + std::to_string(count) + " " + type;
    diagnostics_.warnings.push_back("skipped entities of kinds the host does not keep: " + list);
  }
  if (unreadRegions_ > 0)
    diagnostics_.warnings.push_back(
        "kept " + std::to_string(unreadRegions_) + " region" + (unreadRegions_ == 1 ? "" : "s") +
        " whose modeler data the host cannot read as they are (" + unreadRegionReason_ +
        "): they are written back unchanged but not drawn and have no area");
  return true;
}

// Turns the region's modeler data into loops. A region with data the host cannot read keeps
// the data alone; one without any (newer files store it outside the record) is skipped.
bool Reader::readRegionData(DxfEntity& region) {
  if (region.modelerData.empty()) {
    countSkipped("REGION (modeler data not in the record)");
    return false;
  }
  std::vector<std::string> text;
  text.reserve(region.modelerData.size());
  for (std::string& line : region.modelerData) {
    decodeCarets(line);
    text.push_back(decodeLine(line));
  }
  RegionShape shape;
  std::string why;
  if (readRegionText(text, shape, why)) {
    region.loops = std::move(shape.loops);
    region.elevation = shape.elevation;
  } else if (unreadRegions_++ == 0) {
    unreadRegionReason_ = why;
  }
  return true;
}

bool Reader::sendHeader() {
  if (headerSent_) return true;
  headerSent_ = true;
  header_.currentLayer = rawCurrentLayer_.empty() ? "0" : rawCurrentLayer_;
  fixText(header_.currentLayer);
  if (!sink_.header(header_)) return sinkRefused();
  return true;
}

namespace {

// Variables the host writes itself.
bool ownVariable(std::string_view name) {
  for (const char* own : {"$ACADVER", "$ACADMAINTVER", "$DWGCODEPAGE", "$HANDSEED", "$EXTMIN",
                          "$EXTMAX", "$CLAYER"})
    if (name == own) return true;
  return false;
}

// Variables that came after release 2000, the release the host saves: such a drawing does not
// hold them.
bool newerVariable(std::string_view name) {
  static const std::set<std::string_view> newer = {
      "$3DDWFPREC", "$CAMERADISPLAY", "$CAMERAHEIGHT", "$CMATERIAL", "$CSHADOW", "$DGNFRAME",
      "$DIMARCSYM", "$DIMFXL", "$DIMFXLON", "$DIMJOGANG", "$DIMLTEX1", "$DIMLTEX2", "$DIMLTYPE",
      "$DIMTFILL", "$DIMTFILLCLR", "$DIMTXTDIRECTION", "$DWFFRAME", "$HALOGAP", "$HIDETEXT",
      "$INDEXCTL", "$INTERFERECOLOR", "$INTERFEREOBJVS", "$INTERFEREVPVS", "$INTERSECTIONCOLOR",
      "$INTERSECTIONDISPLAY", "$LASTSAVEDBY", "$LATITUDE", "$LENSLENGTH", "$LIGHTGLYPHDISPLAY",
      "$LOFTANG1", "$LOFTANG2", "$LOFTMAG1", "$LOFTMAG2", "$LOFTNORMALS", "$LOFTPARAM",
      "$LONGITUDE", "$NORTHDIRECTION", "$OBSCOLOR", "$OBSLTYPE", "$PROJECTNAME", "$PSOLHEIGHT",
      "$PSOLWIDTH", "$REALWORLDSCALE", "$REQUIREDVERSIONS", "$SHADOWPLANELOCATION", "$SHOWHIST",
      "$SOLIDHIST", "$STEPSIZE", "$STEPSPERSEC", "$TILEMODELIGHTSYNCH", "$TIMEZONE",
      "$XCLIPFRAME"};
  return newer.count(name) > 0;
}

// Entity kinds kept as they are. They refer to layers, linetypes, text styles, dimension styles
// and blocks by name, and to objects by handle (an image to its definition, a multiline to its
// style), which the writer gives their new values; a handle of another entity (a leader's
// annotation) or of a table record (a viewport's frozen layers) is left out when saved.
constexpr std::pair<std::string_view, std::string_view> kKeptKinds[] = {
    {"ELLIPSE", "AcDbEllipse"}, {"SPLINE", "AcDbSpline"}, {"HATCH", "AcDbHatch"},
    {"SOLID", "AcDbTrace"},     {"TRACE", "AcDbTrace"},   {"3DFACE", "AcDbFace"},
    {"XLINE", "AcDbXline"},     {"RAY", "AcDbRay"},       {"DIMENSION", "AcDbDimension"},
    {"LEADER", "AcDbLeader"},   {"MLINE", "AcDbMline"},   {"IMAGE", "AcDbRasterImage"},
    {"WIPEOUT", "AcDbWipeout"}, {"TOLERANCE", "AcDbFcf"}, {"VIEWPORT", "AcDbViewport"},
    {"3DSOLID", "AcDbModelerGeometry"}, {"BODY", "AcDbModelerGeometry"},
    {"OLE2FRAME", "AcDbOle2Frame"}, {"SHAPE", "AcDbShape"}};

bool isKeptKind(std::string_view type) {
  for (const auto& [kept, subclass] : kKeptKinds)
    if (type == kept) return true;
  return false;
}

std::string_view keptSubclass(std::string_view type) {
  for (const auto& [kept, subclass] : kKeptKinds)
    if (type == kept) return subclass;
  return {};
}

}  // namespace

bool Reader::readHeaderSection() {
  Pair pair;
  std::string variable;
  const size_t firstNew = header_.variables.size();
  std::vector<std::string> newer, byHandle;
  auto keep = [&]() {
    if (header_.variables.empty() || header_.variables.back().name != variable) return;
    const DxfVariable& last = header_.variables.back();
    const bool refersByHandle = std::any_of(last.groups.begin(), last.groups.end(),
                                            [](const auto& g) { return isHandleCode(g.first); });
    if (last.groups.empty() || newerVariable(variable) || refersByHandle) {
      if (!last.groups.empty()) (newerVariable(variable) ? newer : byHandle).push_back(variable);
      header_.variables.pop_back();
    }
  };
  auto report = [&](const std::vector<std::string>& names, const char* why) {
    if (names.empty()) return;
    constexpr size_t kNamed = 5;
    std::string list;
    for (size_t i = 0; i < names.size() && i < kNamed; ++i) list += (i ? ", " : "") + names[i];
    if (names.size() > kNamed) list += " and " + std::to_string(names.size() - kNamed) + " more";
    diagnostics_.warnings.push_back("left out " + std::to_string(names.size()) + " header variable" +
                                    (names.size() == 1 ? " " : "s ") + why + ": " + list);
  };
  auto finish = [&]() {
    keep();
    // Texts are converted once the code page is known, wherever $DWGCODEPAGE stood.
    for (size_t i = firstNew; i < header_.variables.size(); ++i)
      for (auto& [code, value] : header_.variables[i].groups)
        if (typeOfCode(code) == ValueType::String) fixText(value);
    report(newer, "of newer releases, which a release-2000 drawing does not hold");
    report(byHandle, "naming other objects by handle");
  };
  while (tokens_.next(pair)) {
    if (pair.code == 0) {
      if (trimSpaces(pair.value) != "ENDSEC")
        return fail(pair.line, "expected ENDSEC, found " + quoted(pair.value));
      finish();
      return true;
    }
    if (pair.code == 9) {
      keep();
      variable = std::string(trimSpaces(pair.value));
      if (!ownVariable(variable)) header_.variables.push_back({variable, {}});
      continue;
    }
    if (pair.code == 999) continue;
    if (variable == "$ACADVER" && pair.code == 1) {
      header_.version = std::string(trimSpaces(pair.value));
      utf8Texts_ = header_.version >= "AC1021";
    } else if (variable == "$DWGCODEPAGE" && pair.code == 3) {
      header_.codePage = std::string(trimSpaces(pair.value));
      gbkTexts_ = equalsNoCase(header_.codePage, "ANSI_936");
    } else if (variable == "$CLAYER" && pair.code == 8) {
      rawCurrentLayer_ = std::string(pair.value);
    } else if (!header_.variables.empty() && header_.variables.back().name == variable) {
      header_.variables.back().groups.emplace_back(pair.code, std::string(pair.value));
    }
  }
  return tokens_.failed() ? false : expectEndOfData("the HEADER section");
}

void Reader::fixText(std::string& text) {
  if (utf8Texts_) {
    if (!text::isAscii(text)) text = text::utf8ToGbk(text);
  } else if (!gbkTexts_ && !text::isAscii(text)) {
    std::string converted;
    if (text::codePageToGbk(header_.codePage, text, converted)) {
      text.swap(converted);
    } else if (!unknownCodePageReported_) {
      unknownCodePageReported_ = true;
      diagnostics_.warnings.push_back("unknown code page " + quoted(header_.codePage) +
                                      "; texts are kept as they are");
    }
  }
  decodeCarets(text);
  text::collapseUnicodeEscapes(text);
}

bool Reader::readClassesSection() {
  Pair pair;
  while (tokens_.next(pair)) {
    if (pair.code != 0) continue;
    const std::string_view word = trimSpaces(pair.value);
    if (word == "ENDSEC") return true;
    if (word != "CLASS") return fail(pair.line, "expected CLASS or ENDSEC, found " + quoted(word));
    auto& groups = objects_.classes.emplace_back();
    if (!readRecord([&](const Pair& p) { return keepGroup(p, groups), true; })) return false;
  }
  return tokens_.failed() ? false : expectEndOfData("the CLASSES section");
}

// Every object is read whole. Dictionaries and data records are also kept apart until the
// section ends, when the layer states are found through them.
bool Reader::readObjectsSection() {
  Pair pair;
  while (tokens_.next(pair)) {
    if (pair.code != 0) continue;  // stray groups before the first object
    const std::string_view type = trimSpaces(pair.value);
    if (type == "ENDSEC") {
      readLayerStates();
      return true;
    }
    DxfObject& object = objects_.objects.emplace_back();
    object.type = std::string(type);
    const bool dictionary = type == "DICTIONARY", xrecord = type == "XRECORD";
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
    std::vector<std::pair<int, std::string>> data;
    bool inData = false;
    while (tokens_.next(pair)) {
      if (pair.code == 0) {
        tokens_.pushBack(pair);
        break;
      }
      if (pair.code == 999) continue;
      const std::string value(trimSpaces(pair.value));
      if (pair.code == 5 && object.handle.empty()) {
        object.handle = upperHandle(value);
        continue;
      }
      if (dictionary && pair.code == 3) name = std::string(pair.value);
      else if (dictionary && (pair.code == 350 || pair.code == 360) && !name.empty())
        entries.emplace_back(std::exchange(name, std::string()), upperHandle(value));
      else if (xrecord && pair.code == 100) inData = true;
      else if (xrecord && inData) data.emplace_back(pair.code, std::string(pair.value));
      object.groups.emplace_back(pair.code, keptValue(pair));
    }
    if (tokens_.failed()) return false;
    if (dictionary) dictionaries_[object.handle] = std::move(entries);
    else if (xrecord) xrecords_[object.handle] = std::move(data);
  }
  return tokens_.failed() ? false : expectEndOfData("the OBJECTS section");
}

// Keeps the objects that belong to the root dictionary or to an entity, through any chain of
// owners; the rest belonged to what the host does not keep (a table's own dictionary, an entity
// that was skipped), and those besides the layer states, which the host keeps itself, are
// counted.
bool Reader::sendObjects() {
  std::vector<DxfObject>& all = objects_.objects;
  if (all.empty()) return objects_.classes.empty() || sink_.objects(objects_) || sinkRefused();
  const auto root = std::find_if(all.begin(), all.end(), [](const DxfObject& o) {
    return o.type == "DICTIONARY" && ownerOf(o) == "0";
  });
  if (root == all.end()) {
    all.clear();
    return objects_.classes.empty() || sink_.objects(objects_) || sinkRefused();
  }
  objects_.root = root->handle;
  // An object without a handle of its own, or with that of one before it, cannot be named.
  size_t lost = 0;
  std::unordered_set<std::string> handles;
  std::erase_if(all, [&](const DxfObject& o) {
    const bool unnamed = o.handle.empty() || !handles.insert(o.handle).second;
    lost += unnamed;
    return unnamed;
  });
  for (const auto& entry : dictionaries_[objects_.root]) {
    std::string name = entry.first;
    fixText(name);
    objects_.rootEntries.emplace_back(std::move(name), entry.second);
  }
  // Owned: named as owner (330), or owned by a kept object's hard pointer (350, 360), which
  // also finds objects that files of some programs write without their owner.
  std::unordered_set<std::string> kept{objects_.root};
  std::unordered_map<std::string, std::string> pointedFrom;
  for (bool grown = true; grown;) {
    grown = false;
    for (const DxfObject& o : all) {
      if (!kept.count(o.handle)) {
        const std::string owner = ownerOf(o);
        if (!kept.count(owner) && !entityHandles_.count(owner)) continue;
        kept.insert(o.handle);
        grown = true;
      }
      for (const auto& [code, value] : o.groups)
        if ((code == 350 || code == 360) && kept.insert(value).second) {
          pointedFrom.emplace(value, o.handle);
          grown = true;
        }
    }
  }
  // An object kept without an owner is given the one that points to it, after its reactors
  // (first, when they are not closed before its data).
  for (DxfObject& o : all) {
    const auto from = pointedFrom.find(o.handle);
    if (from == pointedFrom.end() || ownerOf(o) != "0") continue;
    auto at = o.groups.begin();
    int depth = 0;
    for (; at != o.groups.end() && (at->first == 102 || depth > 0) && at->first != 100; ++at)
      if (at->first == 102) depth = groupDepthAfter(depth, at->second);
    o.groups.insert(depth == 0 ? at : o.groups.begin(), {330, from->second});
  }
  std::unordered_set<std::string> layerStates;
  for (const auto& [handle, entries] : dictionaries_)
    for (const auto& [name, target] : entries)
      if (sameName(name, "ACAD_LAYERSTATES")) {
        if (entries.size() == 1) layerStates.insert(handle);
        layerStates.insert(target);
        for (const auto& state : dictionaries_[target]) layerStates.insert(state.second);
      }
  std::vector<DxfObject> keep;
  for (DxfObject& o : all) {
    if (o.handle == objects_.root) continue;
    // A draw-order table names entities by handle under code 5, which cannot be told apart.
    if (kept.count(o.handle) && o.type != "SORTENTSTABLE") keep.push_back(std::move(o));
    else if (!layerStates.count(o.handle)) ++lost;
  }
  all = std::move(keep);
  for (const auto& [handle, named] : namesByHandle_)
    if (!named.first) objects_.blockRecords.emplace_back(handle, named.second);
  if (lost > 0)
    diagnostics_.warnings.push_back("left out " + std::to_string(lost) + " object" + (lost == 1 ? "" : "s") +
                                    " belonging to what the host does not keep");
  return sink_.objects(objects_) || sinkRefused();
}

bool Reader::sendEntity() {
  if (!entity_.fileHandle.empty()) entityHandles_.insert(entity_.fileHandle);
  for (const DxfEntity& attribute : entity_.attributes)
    if (!attribute.fileHandle.empty()) entityHandles_.insert(attribute.fileHandle);
  return sink_.entity(entity_) || sinkRefused();
}

void Reader::readLayerStates() {
  for (const auto& [handle, entries] : dictionaries_) {
    for (const auto& [entryName, target] : entries) {
      if (!sameName(entryName, "ACAD_LAYERSTATES")) continue;
      const auto states = dictionaries_.find(target);
      if (states == dictionaries_.end()) continue;
      for (const auto& [stateName, record] : states->second) {
        const auto found = xrecords_.find(record);
        if (found == xrecords_.end()) continue;
        DxfLayerState& state = layerStates_.emplace_back();
        state.name = stateName;
        fixText(state.name);
        for (const auto& [code, value] : found->second) {
          std::int64_t number = 0;
          const bool isNumber = parseInteger(value, number);
          if (code == 8) {
            state.layers.emplace_back().name = value;
            fixText(state.layers.back().name);
          } else if (code == 91 && state.layers.empty() && isNumber) {
            state.mask = static_cast<int>(number & 0x1FF);
          } else if (!state.layers.empty()) {
            DxfLayerState::Layer& layer = state.layers.back();
            if (code == 90 && isNumber) {
              layer.off = number & 1, layer.frozen = number & 2, layer.locked = number & 4;
              layer.plottable = number & 8, layer.frozenInNewViewports = number & 16;
            } else if (code == 62 && isNumber && number >= 1 && number <= 255) {
              layer.colour = static_cast<int>(number);
            } else if (code == 370 && isNumber && isValidLineweight(number)) {
              layer.lineweight = static_cast<int>(number);
            } else if (code == 6) {
              layer.linetype = value;
              fixText(layer.linetype);
            } else if (code == 1) {
              layer.plotStyle = value;
              fixText(layer.plotStyle);
            }
          }
        }
      }
    }
  }
}

bool Reader::skipSection() {
  Pair pair;
  while (tokens_.next(pair))
    if (pair.code == 0 && trimSpaces(pair.value) == "ENDSEC") return true;
  return tokens_.failed() ? false : expectEndOfData("a section");
}

bool Reader::readTablesSection() {
  if (!sendHeader()) return false;
  Pair pair;
  while (tokens_.next(pair)) {
    if (pair.code == 999) continue;
    if (pair.code != 0) return fail(pair.line, "expected TABLE or ENDSEC");
    const std::string_view word = trimSpaces(pair.value);
    if (word == "ENDSEC") return true;
    if (word != "TABLE") return fail(pair.line, "expected TABLE or ENDSEC, found " + quoted(word));
    std::string tableName;
    if (!readRecord([&](const Pair& p) {
          if (p.code == 2 && tableName.empty()) tableName = std::string(trimSpaces(p.value));
          return true;
        }))
      return false;
    if (!readTable(tableName)) return false;
  }
  return tokens_.failed() ? false : expectEndOfData("the TABLES section");
}

bool Reader::readTable(std::string_view tableName) {
  Pair pair;
  while (tokens_.next(pair)) {
    const std::string_view word = trimSpaces(pair.value);
    if (word == "ENDTAB") return readRecord([](const Pair&) { return true; });
    if (word == "ENDSEC" || word == "TABLE" || word == "EOF")
      return fail(pair.line, "table " + quoted(tableName) + " has no ENDTAB");
    bool ok = true;
    if (tableName == "LAYER" && word == "LAYER") ok = readLayer();
    else if (tableName == "LTYPE" && word == "LTYPE") ok = readLinetype();
    else if (tableName == "STYLE" && word == "STYLE") ok = readTextStyle();
    else if (tableName == "APPID" && word == "APPID") ok = readAppId();
    else if (tableName == word && (word == "DIMSTYLE" || word == "VIEW" || word == "UCS" || word == "VPORT"))
      ok = readKeptRecord(word);
    else if (tableName == "BLOCK_RECORD" && word == "BLOCK_RECORD") ok = readBlockRecord();
    else ok = readRecord([](const Pair&) { return true; });
    if (!ok) return false;
  }
  return tokens_.failed() ? false : expectEndOfData("a table");
}

// Records kept whole. Their own handle, owner and reactors are the file's; of the handles they
// hold, a dimension style's text style and arrow blocks are kept by name (resolved when the
// whole file is read, as the block records come after the dimension styles).
bool Reader::readKeptRecord(std::string_view table) {
  DxfTableRecord record;
  record.table = std::string(table);
  std::vector<std::pair<int, std::string>> handles;
  if (!readRecord([&](const Pair& p) {
        // The subclass markers are the table's own: what the file says adds nothing and may not
        // even be a name.
        if (p.code == 100) return true;
        if (table == "DIMSTYLE" && p.code >= 340 && p.code <= 344) {
          handles.emplace_back(p.code, keptValue(p));
        } else if (p.code != 105) {
          keepGroup(p, record.groups);
          if (p.code == 2 && !record.groups.empty()) record.name = record.groups.back().second;
        }
        return true;
      }))
    return false;
  if (record.name.empty()) return true;
  record.subclass = table == "DIMSTYLE" ? "AcDbDimStyleTableRecord"
                    : table == "VIEW"   ? "AcDbViewTableRecord"
                    : table == "VPORT"  ? "AcDbViewportTableRecord"
                                        : "AcDbUCSTableRecord";
  keptRecords_.push_back({std::move(record), std::move(handles)});
  return true;
}

bool Reader::readBlockRecord() {
  std::string handle, name;
  if (!readRecord([&](const Pair& p) {
        if (p.code == 5) handle = std::string(trimSpaces(p.value));
        if (p.code == 2) name = std::string(p.value);
        return true;
      }))
    return false;
  fixText(name);
  if (!handle.empty() && !name.empty()) namesByHandle_[upperHandle(handle)] = {false, name};
  return true;
}

bool Reader::sendTableRecords() {
  for (auto& [record, handles] : keptRecords_) {
    for (const auto& [code, handle] : handles) {
      const auto named = namesByHandle_.find(upperHandle(handle));
      // 340 names a text style, the others blocks; a handle of the wrong kind is dropped.
      if (named != namesByHandle_.end() && named->second.first == (code == 340))
        record.namedReferences.emplace_back(code, named->second.second);
    }
    if (!sink_.tableRecord(record)) return sinkRefused();
  }
  return true;
}

// Names of applications that extended data refers to.
bool Reader::readAppId() {
  std::string name;
  if (!readRecord([&](const Pair& p) {
        if (p.code == 2) name = std::string(trimSpaces(p.value));
        return true;
      }))
    return false;
  fixText(name);
  if (name.empty() || sameName(name, "ACAD")) return true;
  return sink_.appId(name) || sinkRefused();
}

bool Reader::readTextStyle() {
  DxfTextStyle style;
  std::string handle;
  if (!readRecord([&](const Pair& p) {
        switch (p.code) {
          case 5: handle = std::string(trimSpaces(p.value)); break;
          case 2: style.name = std::string(p.value); break;
          case 70: style.flags = static_cast<int>(p.integer); break;
          case 40: style.fixedHeight = p.real; break;
          case 41: style.width = p.real; break;
          case 50: style.oblique = p.real; break;
          case 71: style.generation = static_cast<int>(p.integer); break;
          case 42: style.lastHeight = p.real; break;
          case 3: style.font = std::string(p.value); break;
          case 4: style.bigFont = std::string(p.value); break;
          default: break;
        }
        return true;
      }))
    return false;
  for (std::string* text : {&style.name, &style.font, &style.bigFont}) fixText(*text);
  if (!handle.empty() && !style.name.empty()) namesByHandle_[upperHandle(handle)] = {true, style.name};
  // A record without a name loads a shape file (for shapes and linetypes), not a text style.
  if (style.name.empty() && style.font.empty()) return true;
  return sink_.textStyle(style) || sinkRefused();
}

bool Reader::readLayer() {
  DxfLayer layer;
  const int line = tokens_.line() - 1;  // the record's "0" line
  if (!readRecord([&](const Pair& p) {
        switch (p.code) {
          case 2: layer.name = std::string(p.value); break;
          case 70:
            layer.frozen = p.integer & 1;
            layer.frozenInNewViewports = p.integer & 2;
            layer.locked = p.integer & 4;
            break;
          case 62:
            // Off layers store their colour negated.
            layer.off = p.integer < 0;
            layer.colour = p.integer >= -255 && p.integer <= 255 && p.integer != 0
                               ? static_cast<int>(p.integer < 0 ? -p.integer : p.integer)
                               : 7;
            break;
          case 6: layer.linetype = std::string(p.value); break;
          case 290: layer.plottable = p.integer != 0; break;
          case 370:
            if (isValidLineweight(p.integer)) layer.lineweight = static_cast<int>(p.integer);
            break;
          default: break;
        }
        return true;
      }))
    return false;
  fixText(layer.name);
  fixText(layer.linetype);
  if (layer.name.empty()) {
    diagnostics_.warnings.push_back("line " + std::to_string(line) +
                                    ": a layer without a name was skipped");
    return true;
  }
  if (!layerNames_.insert(nameKey(layer.name)).second) {
    diagnostics_.warnings.push_back("line " + std::to_string(line) + ": duplicate layer " +
                                    quoted(layer.name) + " skipped");
    return true;
  }
  return sink_.layer(layer) || sinkRefused();
}

bool Reader::readLinetype() {
  DxfLinetype linetype;
  if (!readRecord([&](const Pair& p) {
        if (p.code == 2) linetype.name = std::string(p.value);
        else if (p.code == 3) linetype.description = std::string(p.value);
        else if (p.code == 49) linetype.dashes.push_back(p.real);
        return true;
      }))
    return false;
  fixText(linetype.name);
  fixText(linetype.description);
  if (linetype.name.empty()) return true;
  return sink_.linetype(linetype) || sinkRefused();
}

bool Reader::readBlocksSection() {
  if (!sendHeader()) return false;
  Pair pair;
  while (tokens_.next(pair)) {
    if (pair.code == 999) continue;
    const std::string_view word = trimSpaces(pair.value);
    if (pair.code == 0 && word == "ENDSEC") return true;
    if (pair.code != 0 || word != "BLOCK")
      return fail(pair.line, "expected BLOCK or ENDSEC, found " + quoted(pair.value));
    if (!readBlock()) return false;
  }
  return tokens_.failed() ? false : expectEndOfData("the BLOCKS section");
}

bool Reader::readBlock() {
  DxfBlock block;
  const int line = tokens_.line() - 1;  // the record's "0" line
  std::string alternateName;
  if (!readRecord([&](const Pair& p) {
        switch (p.code) {
          case 2: block.name = std::string(p.value); break;
          case 3: alternateName = std::string(p.value); break;
          case 70: block.flags = static_cast<int>(p.integer); break;
          case 10: block.base.x = p.real; break;
          case 20: block.base.y = p.real; break;
          case 30: block.base.z = p.real; break;
          default: break;
        }
        return true;
      }))
    return false;
  if (block.name.empty()) block.name = alternateName;
  fixText(block.name);
  if (block.name.empty()) return fail(line, "a block definition without a name");
  // Model space's own block holds nothing in these files; the first paper-space layout's holds
  // paper space (when it is not in the entities section). The blocks of other layouts are kept
  // as blocks, with their layouts among the objects.
  const bool paperSpaceBlock = equalsNoCase(block.name, "*Paper_Space") || equalsNoCase(block.name, "$PAPER_SPACE");
  const bool layout = paperSpaceBlock || isModelSpaceBlock(block.name);
  const std::string key = nameKey(block.name);
  const bool duplicate = !layout && definedBlocks_.count(key) > 0;
  if (duplicate)
    diagnostics_.warnings.push_back("line " + std::to_string(line) + ": duplicate block " +
                                    quoted(block.name) + " skipped");
  const bool kept = !layout && !duplicate;
  if (kept) {
    definedBlocks_.emplace(key, block.name);
    currentBlock_ = key;
    if (!sink_.beginBlock(block)) return sinkRefused();
  }
  // A duplicate's content must not reach the first definition.
  readingPaperSpaceBlock_ = paperSpaceBlock;
  const bool read = readEntities(!kept && !paperSpaceBlock);
  readingPaperSpaceBlock_ = false;
  if (!read) return false;
  currentBlock_.clear();
  Pair end;
  if (!tokens_.next(end)) return tokens_.failed() ? false : expectEndOfData("a block");
  if (trimSpaces(end.value) != "ENDBLK")
    return fail(end.line, "block " + quoted(block.name) + " has no ENDBLK");
  if (!readRecord([](const Pair&) { return true; })) return false;
  if (kept && !sink_.endBlock()) return sinkRefused();
  return true;
}

bool Reader::readEntitiesSection() {
  if (!sendHeader() || !readEntities(false)) return false;
  Pair end;
  if (!tokens_.next(end)) return tokens_.failed() ? false : expectEndOfData("the ENTITIES section");
  if (trimSpaces(end.value) != "ENDSEC")
    return fail(end.line, "expected an entity or ENDSEC, found " + quoted(end.value));
  return true;
}

bool Reader::readEntities(bool skipAll) {
  Pair pair;
  while (tokens_.next(pair)) {
    if (pair.code == 999) continue;
    if (pair.code != 0) return fail(pair.line, "expected an entity (group code 0)");
    const std::string_view type = trimSpaces(pair.value);
    if (type == "ENDSEC" || type == "ENDBLK" || type == "EOF" || type == "SECTION" ||
        type == "BLOCK") {
      tokens_.pushBack(pair);
      return true;
    }
    if (!readEntity(type, pair.line, skipAll)) return false;
  }
  return tokens_.failed() ? false : expectEndOfData("a list of entities");
}

bool Reader::readEntity(std::string_view type, int line, bool skipAll) {
  static const std::pair<std::string_view, EntityKind> kKinds[] = {
      {"LINE", EntityKind::Line},           {"ARC", EntityKind::Arc},
      {"CIRCLE", EntityKind::Circle},       {"POINT", EntityKind::Point},
      {"LWPOLYLINE", EntityKind::Polyline}, {"TEXT", EntityKind::Text},
      {"ATTDEF", EntityKind::AttributeDefinition}, {"MTEXT", EntityKind::MText},
      {"INSERT", EntityKind::Insert},       {"REGION", EntityKind::Region},
  };
  if (type == "POLYLINE") return readOldPolyline(skipAll);
  if (!skipAll && isKeptKind(type)) return readKeptEntity(type);
  const EntityKind* kind = nullptr;
  for (const auto& [name, k] : kKinds)
    if (name == type) kind = &k;
  if (kind == nullptr || skipAll) {
    if (kind == nullptr && !skipAll) countSkipped(type);
    return readRecord([](const Pair&) { return true; });
  }
  entity_.reset(*kind);
  paperSpace_ = false;
  extrusion_ = {0, 0, 1};
  bool followsAttributes = false;
  if (!readRecord(
          [&](const Pair& p) {
            if (p.code == 66) followsAttributes = p.integer != 0;
            return readEntityPair(entity_, p);
          },
          true))
    return false;
  entity_.extensionDictionary = extensionDictionary_;
  if (*kind == EntityKind::Insert && followsAttributes && !readAttributes(entity_)) return false;
  entity_.paperSpace = inPaperSpace();
  if (*kind == EntityKind::Region && !readRegionData(entity_)) return true;
  if (!applyExtrusion(entity_)) return false;
  if (*kind == EntityKind::MText && entity_.hasAlignmentPoint) {
    // The direction vector says the rotation.
    if (entity_.q.x != 0 || entity_.q.y != 0)
      entity_.rotation = std::atan2(entity_.q.y, entity_.q.x) * 180.0 / 3.14159265358979323846;
    entity_.hasAlignmentPoint = false;
    entity_.q = {};
  }
  fixText(entity_.layer);
  fixText(entity_.linetype);
  fixText(entity_.text);
  fixText(entity_.tag);
  fixText(entity_.prompt);
  fixText(entity_.style);
  if (entity_.layer.empty()) entity_.layer = "0";
  if (*kind == EntityKind::Insert) {
    fixText(entity_.block);
    if (entity_.block.empty()) return fail(line, "a block reference without a block name");
    const std::string key = nameKey(entity_.block);
    referencedBlocks_.emplace(key, line);
    ++blockUses_[currentBlock_].references[key];
  }
  blockUses_[currentBlock_].entities += 1 + static_cast<long>(entity_.attributes.size());
  return sendEntity();
}

// The common groups go to their fields, the rest is kept in order. Handles of other objects are
// not kept: the host gives every object a new one. A hatch then no longer follows the curves
// it was made from (it says so itself: 0 source objects, not associative).
bool Reader::readKeptEntity(std::string_view type) {
  entity_.reset(EntityKind::Kept);
  entity_.typeName = std::string(type);
  paperSpace_ = false;
  bool entitySubclass = false;
  const bool hatch = type == "HATCH";
  if (!readRecord([&](const Pair& p) {
        switch (p.code) {
          case 8: case 6: case 62: case 370: case 60: case 67: case 5:
            return readEntityPair(entity_, p);
          default:
            break;
        }
        if (p.code == 100 && trimSpaces(p.value) == "AcDbEntity" && !entitySubclass) {
          entitySubclass = true;
          return true;
        }
        // Handles of objects are kept, to be given their new values when saved (a hatch's of
        // its boundary curves are not: it no longer follows them).
        if (p.code == 1005 || (hatch && isHandleCode(p.code))) return true;
        if (p.code == 330 && !entitySubclass) return true;  // its owner: the writer's
        entity_.groups.emplace_back(p.code, hatch && (p.code == 97 || p.code == 71) ? "0" : keptValue(p));
        return true;
      },
                  true))
    return false;
  entity_.extensionDictionary = extensionDictionary_;
  entity_.paperSpace = inPaperSpace();
  // Files of release 12 have no subclass markers; a release-2000 drawing needs them.
  if (entity_.groups.empty() || entity_.groups.front().first != 100)
    entity_.groups.insert(entity_.groups.begin(), {100, std::string(keptSubclass(type))});
  fixText(entity_.layer);
  fixText(entity_.linetype);
  if (entity_.layer.empty()) entity_.layer = "0";
  blockUses_[currentBlock_].entities += 1;
  return sendEntity();
}

// Keeps a group of a kept record: not the handles, which the host gives anew.
void Reader::keepGroup(const Pair& p, std::vector<DxfGroup>& groups) {
  if (p.code == 5 || p.code == 330 || isHandleCode(p.code)) return;
  groups.emplace_back(p.code, keptValue(p));
}

// A group's value as kept: a text converted to GBK, a handle in upper case, a number as the
// file wrote it.
std::string Reader::keptValue(const Pair& p) {
  if (typeOfCode(p.code) == ValueType::String && !isHandleCode(p.code)) {
    std::string text(p.value);
    fixText(text);
    return text;
  }
  std::string value(trimSpaces(p.value));
  return isHandleCode(p.code) || p.code == 330 ? upperHandle(std::move(value)) : value;
}

bool Reader::sendKeptPolyline(std::vector<DxfGroup> groups) {
  const bool paperSpace = entity_.paperSpace;
  DxfEntity common = std::move(entity_);
  entity_.reset(EntityKind::Kept);
  entity_.typeName = "POLYLINE";
  entity_.groups = std::move(groups);
  for (std::string* text : {&common.layer, &common.linetype}) fixText(*text);
  entity_.layer = common.layer.empty() ? "0" : common.layer;
  entity_.linetype = common.linetype;
  entity_.colour = common.colour;
  entity_.lineweight = common.lineweight;
  entity_.invisible = common.invisible;
  entity_.linetypeScale = common.linetypeScale;
  entity_.fileGroups = std::move(common.fileGroups);
  entity_.fileHandle = std::move(common.fileHandle);
  entity_.extensionDictionary = std::move(common.extensionDictionary);
  entity_.paperSpace = paperSpace;
  // Files of release 12 have no subclass markers; a release-2000 drawing needs them.
  if (entity_.groups.empty() || entity_.groups.front().first != 100)
    entity_.groups.insert(entity_.groups.begin(), {100, "AcDb3dPolyline"});
  ++blockUses_[currentBlock_].entities;
  return sendEntity();
}

bool Reader::readAttributes(DxfEntity& insert) {
  Pair pair;
  while (tokens_.next(pair)) {
    const std::string_view type = trimSpaces(pair.value);
    if (type == "SEQEND") return readRecord([](const Pair&) { return true; });
    if (type != "ATTRIB")
      return fail(pair.line, "expected ATTRIB or SEQEND after a block reference, found " +
                                 quoted(type));
    DxfEntity& attribute = insert.attributes.emplace_back();
    attribute.kind = EntityKind::Attribute;
    const Point savedExtrusion = extrusion_;
    const bool savedPaperSpace = paperSpace_;
    extrusion_ = {0, 0, 1};
    if (!readRecord([&](const Pair& p) { return readEntityPair(attribute, p); }, true)) return false;
    if (!applyExtrusion(attribute)) return false;
    extrusion_ = savedExtrusion;
    paperSpace_ = savedPaperSpace;
    for (std::string* text : {&attribute.layer, &attribute.linetype, &attribute.text,
                              &attribute.tag, &attribute.style})
      fixText(*text);
    if (attribute.layer.empty()) attribute.layer = "0";
  }
  return tokens_.failed() ? false : expectEndOfData("the attributes of a block reference");
}

// Old-style polylines: the 2-D kind becomes a lightweight polyline; 3-D polylines and meshes
// are skipped with their vertices.
bool Reader::readOldPolyline(bool skip) {
  entity_.reset(EntityKind::Polyline);
  paperSpace_ = false;
  extrusion_ = {0, 0, 1};
  std::int64_t flags = 0;
  // A 3-D polyline or a mesh is kept whole: its own groups, then each vertex's and the end's,
  // each behind a (0, type) group. The common groups go to the entity's fields as for any entity.
  std::vector<DxfGroup> kept;
  bool entitySubclass = false;
  double startWidth = 0, endWidth = 0;  // of the vertices that give none
  if (!readRecord([&](const Pair& p) {
        if (p.code == 70) flags = p.integer;
        if (p.code == 40) startWidth = p.real;
        if (p.code == 41) endWidth = p.real;
        const bool common = p.code == 8 || p.code == 6 || p.code == 62 || p.code == 370 ||
                            p.code == 60 || p.code == 67 || p.code == 48 || p.code == 39 ||
                            p.code == 420 || p.code == 430 || p.code == 440 || p.code >= 1000;
        if (p.code == 100 && trimSpaces(p.value) == "AcDbEntity" && !entitySubclass) entitySubclass = true;
        else if (!common) keepGroup(p, kept);
        if (p.code == 10 || p.code == 20) return true;  // a dummy point
        if (p.code == 30) {
          entity_.elevation = p.real;
          return true;
        }
        return readEntityPair(entity_, p);
      }, true))
    return false;
  entity_.extensionDictionary = extensionDictionary_;
  entity_.closed = flags & 1;
  const bool flat = (flags & (8 | 16 | 64)) == 0;
  Pair pair;
  while (tokens_.next(pair)) {
    const std::string_view type = trimSpaces(pair.value);
    if (type == "SEQEND") {
      kept.emplace_back(0, "SEQEND");
      if (!readRecord([&](const Pair& p) { return keepGroup(p, kept), true; })) return false;
      if (skip) return true;
      entity_.paperSpace = inPaperSpace();
      if (!flat) return sendKeptPolyline(std::move(kept));
      if (!applyExtrusion(entity_)) return false;
      fixText(entity_.layer);
      fixText(entity_.linetype);
      if (entity_.layer.empty()) entity_.layer = "0";
      ++blockUses_[currentBlock_].entities;
      return sendEntity();
    }
    if (type != "VERTEX")
      return fail(pair.line, "expected VERTEX or SEQEND in a polyline, found " + quoted(type));
    Vertex vertex;
    vertex.startWidth = startWidth, vertex.endWidth = endWidth;
    std::int64_t vertexFlags = 0;
    if (!flat) kept.emplace_back(0, "VERTEX");
    if (!readRecord([&](const Pair& p) {
          if (!flat) keepGroup(p, kept);
          if (p.code == 10) vertex.x = p.real;
          else if (p.code == 20) vertex.y = p.real;
          else if (p.code == 42) vertex.bulge = p.real;
          else if (p.code == 40) vertex.startWidth = p.real;
          else if (p.code == 41) vertex.endWidth = p.real;
          else if (p.code == 70) vertexFlags = p.integer;
          return true;
        }))
      return false;
    if ((vertexFlags & 16) == 0) entity_.vertices.push_back(vertex);  // 16: spline frame point
  }
  return tokens_.failed() ? false : expectEndOfData("a polyline");
}

bool Reader::readEntityPair(DxfEntity& e, const Pair& p) {
  switch (p.code) {
    case 5: e.fileHandle = upperHandle(std::string(trimSpaces(p.value))); return true;
    case 8: e.layer = std::string(p.value); return true;
    case 6: e.linetype = std::string(p.value); return true;
    case 62: e.colour = validColour(p.integer); return true;
    case 370:
      e.lineweight = isValidLineweight(p.integer) ? static_cast<int>(p.integer) : kLineweightByLayer;
      return true;
    case 60: e.invisible = p.integer != 0; return true;
    case 67: paperSpace_ = p.integer != 0; return true;
    case 48: e.linetypeScale = p.real > 0 ? p.real : 1; return true;
    case 39: case 420: case 430: case 440:
      e.fileGroups.emplace_back(p.code, std::string(p.code == 430 ? p.value : trimSpaces(p.value)));
      if (p.code == 430) fixText(e.fileGroups.back().second);
      return true;
    case 210: extrusion_.x = p.real; return true;
    case 220: extrusion_.y = p.real; return true;
    case 230: extrusion_.z = p.real; return true;
    default: break;
  }
  if (p.code >= 1000) {
    if (!isHandleCode(p.code)) {
      const bool isString = typeOfCode(p.code) == ValueType::String;
      e.fileGroups.emplace_back(p.code, std::string(isString ? p.value : trimSpaces(p.value)));
      if (isString) fixText(e.fileGroups.back().second);
    }
    return true;
  }
  const bool isText = e.kind == EntityKind::Text || e.kind == EntityKind::Attribute ||
                      e.kind == EntityKind::AttributeDefinition;
  switch (e.kind) {
    case EntityKind::Polyline:
      if (p.code == 10) e.vertices.push_back({p.real, 0, 0});
      else if (p.code == 20 && !e.vertices.empty()) e.vertices.back().y = p.real;
      else if (p.code == 42 && !e.vertices.empty()) e.vertices.back().bulge = p.real;
      else if (p.code == 40 && !e.vertices.empty()) e.vertices.back().startWidth = p.real;
      else if (p.code == 41 && !e.vertices.empty()) e.vertices.back().endWidth = p.real;
      else if (p.code == 70) e.closed = p.integer & 1;
      else if (p.code == 43) e.width = p.real;
      else if (p.code == 38) e.elevation = p.real;
      return true;
    case EntityKind::Region:
      if (p.code == 1) e.modelerData.emplace_back(p.value);
      else if (p.code == 3 && !e.modelerData.empty()) e.modelerData.back().append(p.value);
      return true;
    case EntityKind::Insert:
      switch (p.code) {
        case 2: e.block = std::string(p.value); break;
        case 41: e.scale.x = p.real; break;
        case 42: e.scale.y = p.real; break;
        case 43: e.scale.z = p.real; break;
        case 50: e.rotation = p.real; break;
        case 70: case 71:
          if (p.integer > 1) countSkipped("INSERT array copies (kept as one reference)");
          break;
        default: break;
      }
      break;
    case EntityKind::MText:
      switch (p.code) {
        case 3: e.text.append(p.value); break;
        case 1: e.text.append(p.value); break;
        case 40: e.height = p.real; break;
        case 41: e.width = p.real; break;
        case 71: e.attachment = (p.integer >= 1 && p.integer <= 9) ? static_cast<int>(p.integer) : 1; break;
        case 7: e.style = std::string(p.value); break;
        case 11: e.q.x = p.real; e.hasAlignmentPoint = true; break;
        case 21: e.q.y = p.real; break;
        case 31: e.q.z = p.real; break;
        case 50: e.rotation = p.real; break;
        default: break;
      }
      break;
    default:
      break;
  }
  if (isText) {
    switch (p.code) {
      case 1: e.text = std::string(p.value); break;
      case 2: e.tag = std::string(p.value); break;
      case 3: if (e.kind == EntityKind::AttributeDefinition) e.prompt = std::string(p.value); break;
      case 7: e.style = std::string(p.value); break;
      case 40: e.height = p.real; break;
      case 41: e.widthFactor = p.real; break;
      case 50: e.rotation = p.real; break;
      case 51: e.oblique = p.real; break;
      case 70: if (e.kind != EntityKind::Text) e.attributeFlags = static_cast<int>(p.integer & 15); break;
      case 72: e.alignment.horizontal = (p.integer >= 0 && p.integer <= 5) ? static_cast<int>(p.integer) : 0; break;
      case 73: if (e.kind == EntityKind::Text) e.alignment.vertical = (p.integer >= 0 && p.integer <= 3) ? static_cast<int>(p.integer) : 0; break;
      case 74: if (e.kind != EntityKind::Text) e.alignment.vertical = (p.integer >= 0 && p.integer <= 3) ? static_cast<int>(p.integer) : 0; break;
      case 11: e.q.x = p.real; e.hasAlignmentPoint = true; break;
      case 21: e.q.y = p.real; break;
      case 31: e.q.z = p.real; break;
      default: break;
    }
  }
  switch (p.code) {
    case 10: if (e.kind != EntityKind::Polyline) e.p.x = p.real; break;
    case 20: if (e.kind != EntityKind::Polyline) e.p.y = p.real; break;
    case 30: if (e.kind != EntityKind::Polyline) e.p.z = p.real; break;
    case 11: if (e.kind == EntityKind::Line) e.q.x = p.real; break;
    case 21: if (e.kind == EntityKind::Line) e.q.y = p.real; break;
    case 31: if (e.kind == EntityKind::Line) e.q.z = p.real; break;
    case 40: if (e.kind == EntityKind::Arc || e.kind == EntityKind::Circle) e.radius = p.real; break;
    case 50: if (e.kind == EntityKind::Arc) e.startAngle = p.real; break;
    case 51: if (e.kind == EntityKind::Arc) e.endAngle = p.real; break;
    default: break;
  }
  return true;
}

// Entities given in their object coordinate system come into world coordinates. Drawings seen
// from below (extrusion 0,0,-1) are common after mirroring; they are mirrored in x. Other
// extrusions are read as if seen from above, with a warning.
bool Reader::applyExtrusion(DxfEntity& e) {
  const Point n = extrusion_;
  if (std::abs(n.x) < 1e-9 && std::abs(n.y) < 1e-9 && n.z > 0) return true;
  const bool fromBelow = std::abs(n.x) < 1e-9 && std::abs(n.y) < 1e-9 && n.z < 0;
  if (!fromBelow) {
    if (!tiltedExtrusionReported_) {
      tiltedExtrusionReported_ = true;
      diagnostics_.warnings.push_back("entities on tilted planes were read as seen from above");
    }
    return true;
  }
  switch (e.kind) {
    case EntityKind::Line:
    case EntityKind::Point:
    case EntityKind::MText:
    case EntityKind::Region:
    case EntityKind::Kept:
      return true;  // world coordinates already, or kept with their own extrusion
    case EntityKind::Arc: {
      const double start = 180.0 - e.endAngle;
      const double end = 180.0 - e.startAngle;
      e.startAngle = start;
      e.endAngle = end;
      break;
    }
    case EntityKind::Polyline:
      for (Vertex& v : e.vertices) {
        v.x = -v.x;
        v.bulge = -v.bulge;
      }
      return true;
    case EntityKind::Insert:
      e.rotation = -e.rotation;
      e.scale.x = -e.scale.x;
      break;
    case EntityKind::Text:
    case EntityKind::Attribute:
    case EntityKind::AttributeDefinition:
      e.rotation = 180.0 - e.rotation;
      e.q.x = -e.q.x;
      break;
    case EntityKind::Circle:
      break;
  }
  e.p.x = -e.p.x;
  e.p.z = -e.p.z;
  return true;
}

// Block definitions form a graph through their references. It must have no cycle, and what
// model space shows with every reference expanded must stay countable: a few blocks that each
// refer many times to the next multiply up to more entities than any machine holds, and every
// display, pick and extent would then run for ever. The walk is iterative, since a chain of
// blocks can be as long as the file allows.
bool Reader::checkBlockReferences() {
  for (const auto& [key, line] : referencedBlocks_)
    if (definedBlocks_.count(key) == 0 && !isLayoutBlock(key))
      return fail(line, "block " + quoted(key) + " is referenced but never defined");

  constexpr long kMaxExpanded = 10000000;
  enum : char { kNew = 0, kOpen, kDone };
  std::unordered_map<std::string, char> state;
  std::unordered_map<std::string, long> expanded;  // entities with references expanded, capped
  struct Frame {
    const std::string* block;
    std::map<std::string, long>::const_iterator next, end;
  };
  static const std::map<std::string, long> kNoReferences;
  auto frameFor = [&](const std::string& block) {
    const auto use = blockUses_.find(block);
    const auto& references = use == blockUses_.end() ? kNoReferences : use->second.references;
    return Frame{&block, references.begin(), references.end()};
  };
  for (const auto& [root, unused] : blockUses_) {
    (void)unused;
    if (state[root] != kNew) continue;
    std::vector<Frame> stack{frameFor(root)};
    state[root] = kOpen;
    while (!stack.empty()) {
      Frame& top = stack.back();
      if (top.next != top.end) {
        const std::string& child = (top.next++)->first;
        const char childState = state[child];
        if (childState == kOpen)
          return fail(referencedBlocks_[child],
                      "block " + quoted(definedBlocks_[child]) + " contains a reference to itself");
        if (childState == kNew) {
          state[child] = kOpen;
          stack.push_back(frameFor(child));
        }
        continue;
      }
      const std::string& block = *top.block;
      const auto use = blockUses_.find(block);
      long total = use == blockUses_.end() ? 0 : use->second.entities;
      if (use != blockUses_.end())
        for (const auto& [child, count] : use->second.references) {
          const long each = expanded[child];
          total = (each > 0 && count > (kMaxExpanded - total) / each) ? kMaxExpanded + 1
                                                                       : total + count * each;
          if (total > kMaxExpanded) break;
        }
      expanded[block] = total;
      state[block] = kDone;
      stack.pop_back();
    }
  }
  const auto model = expanded.find("");
  if (model != expanded.end() && model->second > kMaxExpanded) {
    int line = tokens_.line();
    for (const auto& [child, count] : blockUses_[""].references)
      if (expanded[child] * count >= kMaxExpanded / 10 || expanded[child] > kMaxExpanded / 10) {
        line = referencedBlocks_[child];
        break;
      }
    return fail(line, "the block references expand to more than " + std::to_string(kMaxExpanded) +
                          " entities");
  }
  return true;
}

}  // namespace

bool readDxf(std::string_view data, DxfSink& sink, DxfDiagnostics& diagnostics) {
  // The binary form starts with a 22-byte sentinel that ends in "Binary DXF\r\n\x1a\0".
  if (data.substr(0, 32).find("Binary DXF\r\n\x1a") != std::string_view::npos) {
    diagnostics.error = "line 1: binary drawing files are not supported; save it as text";
    return false;
  }
  if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
  Reader reader(data, sink, diagnostics);
  if (reader.run()) return true;
  diagnostics.error = reader.error().empty() ? "the drawing could not be read" : reader.error();
  return false;
}

}  // namespace drawhost::dxf
