// The drawing as the DXF reader and writer see it, apart from the database.
//
// The reader turns a file into a stream of these records and hands them to a DxfSink one at a
// time; the database importer is one sink, the load benchmark another. The exporter walks a
// database and produces the same records for the DXF writer and the SVG writer. Keeping the
// file format on this side means the format code is tested without a database and the database
// code never sees group codes.
//
// Text is narrow bytes in code page 936 (GBK) everywhere in these records.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace drawhost::dxf {

// Colour numbers of the colour index: 0 BYBLOCK, 1..255 colours, 256 BYLAYER.
constexpr int kColourByBlock = 0;
constexpr int kColourByLayer = 256;
// Line weights in hundredths of a millimetre, or these special values.
constexpr int kLineweightByLayer = -1;
constexpr int kLineweightByBlock = -2;
constexpr int kLineweightDefault = -3;

struct Point {
  double x = 0, y = 0, z = 0;
};

struct DxfLinetype {
  std::string name;
  std::string description;
  std::vector<double> dashes;  // positive dash, negative gap, zero dot
};

struct DxfLayer {
  std::string name;
  int colour = 7;  // always positive here; "off" is kept apart
  std::string linetype = "Continuous";
  int lineweight = kLineweightDefault;
  bool off = false;
  bool frozen = false;
  bool locked = false;
  bool frozenInNewViewports = false;
  bool plottable = true;
};

// A text style record (angles in degrees, as in the file).
struct DxfTextStyle {
  std::string name;
  int flags = 0;              // 1 shape file, 4 vertical
  double fixedHeight = 0;     // 0: the text gives its height
  double width = 1;
  double oblique = 0;
  int generation = 0;         // 2 backwards, 4 upside down
  double lastHeight = 2.5;
  std::string font = "txt";
  std::string bigFont;
};

// A record of a table the host does not use itself (DIMSTYLE, VIEW, UCS, VPORT), kept to be written
// back: its subclass and its groups after it, in file order (texts in GBK). Groups that name
// other objects by handle are not among them; the text style and blocks a dimension style names
// that way are kept by name, to be given their new handles.
struct DxfTableRecord {
  std::string table;     // "DIMSTYLE"
  std::string subclass;  // "AcDbDimStyleTableRecord"
  std::string name;
  std::vector<std::pair<int, std::string>> groups;
  std::vector<std::pair<int, std::string>> namedReferences;  // 340 a text style, 341-344 blocks
};

// What a group code's value is. Codes the format leaves undefined are read as texts, and written
// back as texts, so that what is read is what is written.
enum class ValueType { String, Real, Integer };

inline ValueType typeOfCode(int code) {
  if ((code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
      (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059))
    return ValueType::Real;
  if ((code >= 60 && code <= 99) || (code >= 160 && code <= 179) || (code >= 270 && code <= 299) ||
      (code >= 370 && code <= 389) || (code >= 400 && code <= 409) || (code >= 420 && code <= 429) ||
      (code >= 440 && code <= 459) || (code >= 1060 && code <= 1071))
    return ValueType::Integer;
  return ValueType::String;
}

// A group that names another object by its handle (the host gives objects new handles).
inline bool isHandleCode(int code) {
  return (code >= 320 && code <= 369) || (code >= 390 && code <= 399) || code == 480 || code == 481 ||
         code == 1005;
}

// An object of the OBJECTS section kept to be written back: its type, its handle in the file and
// its other groups in file order, reactor and extension-dictionary groups included (texts in
// GBK). The handles in it are the file's (upper case): the writer gives every object its new
// handle, and leaves out what names an object the drawing no longer has.
struct DxfObject {
  std::string type;
  std::string handle;
  std::vector<std::pair<int, std::string>> groups;
};

// How a 102 group changes the nesting of groups: "{NAME" opens one, anything else closes one.
inline int groupDepthAfter(int depth, const std::string& value) {
  return value.rfind('{', 0) == 0 ? depth + 1 : (depth > 0 ? depth - 1 : 0);
}

// The owner of an object: the 330 outside the reactor and dictionary groups and before the
// first subclass marker; "0" when it has none.
inline std::string ownerOf(const DxfObject& object) {
  int depth = 0;
  for (const auto& [code, value] : object.groups) {
    if (code == 100) break;
    if (code == 102) depth = groupDepthAfter(depth, value);
    else if (code == 330 && depth == 0) return value;
  }
  return "0";
}

// The kept objects: every object owned, directly or through others, by the root dictionary or
// by an entity. The root itself is the writer's; its entries are kept by name. Block records'
// handles in the file name the blocks by which the writer finds their new handles.
struct DxfObjects {
  std::string root;
  std::vector<std::pair<std::string, std::string>> rootEntries;  // name -> handle
  std::vector<DxfObject> objects;
  std::vector<std::pair<std::string, std::string>> blockRecords;  // handle -> block name
  // The CLASSES section's records (the classes of objects and entities beyond the basic ones),
  // each its groups after "0 CLASS"; they name nothing by handle.
  std::vector<std::vector<std::pair<int, std::string>>> classes;
};

// A named layer state: every layer's settings when it was saved, and the mask of the settings
// that count when it is restored (the host's layer-state mask bits).
struct DxfLayerState {
  struct Layer {
    std::string name;
    bool off = false, frozen = false, locked = false, plottable = true, frozenInNewViewports = false;
    int colour = 7;
    int lineweight = kLineweightDefault;
    std::string linetype;
    std::string plotStyle;
  };
  std::string name;
  int mask = 0;
  std::vector<Layer> layers;
};

enum class EntityKind : std::uint8_t {
  Line,
  Arc,
  Circle,
  Point,
  Polyline,  // lightweight polyline
  Text,
  Attribute,            // an attribute of a block reference
  AttributeDefinition,  // an attribute template inside a block definition
  MText,
  Insert,  // block reference
  Region,  // a planar area bounded by loops of lines and arcs
  Kept,    // a kind the host does not model: its type name and groups, written back as read
};

// A group of a kept entity: its code and the value as the file gives it (texts in GBK).
using DxfGroup = std::pair<int, std::string>;

struct Vertex {
  double x = 0, y = 0, bulge = 0;
  double startWidth = 0, endWidth = 0;
};

// Horizontal and vertical alignment codes of single-line text, as in the file.
struct TextAlignment {
  int horizontal = 0;  // 0 left, 1 centre, 2 right, 3 aligned, 4 middle, 5 fit
  int vertical = 0;    // 0 baseline, 1 bottom, 2 middle, 3 top
};

// One entity. A single record type keeps the reader's buffer reusable from one entity to the
// next; each kind uses only its own fields (noted beside them).
struct DxfEntity {
  EntityKind kind = EntityKind::Line;
  std::string layer = "0";
  std::string linetype = "ByLayer";
  int colour = kColourByLayer;
  int lineweight = kLineweightByLayer;
  bool invisible = false;
  bool paperSpace = false;  // in the drawing's paper space, not model space
  // The entity's handle in the file it came from and that of its extension dictionary (upper
  // case; empty: none), by which kept objects name it.
  std::string fileHandle, extensionDictionary;
  double linetypeScale = 1;
  // Groups the host does not model, as the file gave them: true colour (420), its name (430),
  // transparency (440), thickness (39) and extended data (1000 and up, handles left out).
  std::vector<DxfGroup> fileGroups;

  Point p;                     // start, centre, position, insertion point
  Point q;                     // line end; text alignment point; mtext x direction
  double radius = 0;           // arc, circle
  double startAngle = 0;       // arc, degrees
  double endAngle = 360;       // arc, degrees
  double height = 0;           // text height, mtext character height
  double rotation = 0;         // text, mtext, insert: degrees
  double widthFactor = 1;      // text
  double oblique = 0;          // text, degrees
  double width = 0;            // mtext reference column width; polyline constant width
  double elevation = 0;        // polyline, region
  TextAlignment alignment;     // text, attributes
  bool hasAlignmentPoint = false;
  int attachment = 1;          // mtext: 1 top left .. 9 bottom right
  int attributeFlags = 0;      // attributes: 1 invisible, 2 constant, 4 verify, 8 preset
  bool closed = false;         // polyline
  Point scale{1, 1, 1};        // insert
  std::string text;            // text, mtext (with its format codes), attribute value
  std::string tag;             // attributes
  std::string prompt;          // attribute definitions
  std::string style = "Standard";
  std::string block;           // insert: name of the block definition
  std::vector<Vertex> vertices;        // polyline
  std::vector<DxfEntity> attributes;   // insert: its attributes, in order
  // Region: its loops (outer boundaries counter-clockwise, holes clockwise), and the modeler
  // data lines as stored in the file (mirrored characters; a line and its continuations joined)
  // when it was read from one. Data, when present, is what gets written; loops may be empty when
  // the data could not be read.
  std::vector<std::vector<Vertex>> loops;
  std::vector<std::string> modelerData;
  // Kept: the type ("ELLIPSE") and every group after the common ones, subclass markers
  // included, in file order. Groups that name other objects by handle are not kept.
  std::string typeName;
  std::vector<DxfGroup> groups;

  void reset(EntityKind newKind);
};

struct DxfBlock {
  std::string name;
  Point base;
  int flags = 0;
};

// A header variable the host does not use itself, kept to be written back: its groups in file
// order, each a code and the value as the file gives it (texts in GBK).
struct DxfVariable {
  std::string name;
  std::vector<std::pair<int, std::string>> groups;
};

struct DxfHeader {
  std::string version = "AC1015";
  std::string codePage = "ANSI_936";
  std::string currentLayer = "0";
  std::vector<DxfVariable> variables;  // the others, in file order
};

// Receives the drawing in file order: the header, linetypes, layers, then each block definition
// (begin, its entities, end), then the model-space entities. Returning false from any call stops
// the reading; the sink then says why in its own error text.
class DxfSink {
 public:
  virtual ~DxfSink() = default;
  virtual bool header(const DxfHeader& header) = 0;
  virtual bool linetype(const DxfLinetype& linetype) = 0;
  virtual bool layer(const DxfLayer& layer) = 0;
  virtual bool beginBlock(const DxfBlock& block) = 0;
  virtual bool endBlock() = 0;
  virtual bool entity(const DxfEntity& entity) = 0;
  // Names of applications whose extended data the entities carry (besides ACAD).
  virtual bool appId(const std::string&) { return true; }
  // Text style records, after the layers (their names may also come with the entities alone);
  // one without a name loads a shape file.
  virtual bool textStyle(const DxfTextStyle&) { return true; }
  // The drawing's named layer states, after everything else.
  virtual bool layerState(const DxfLayerState&) { return true; }
  // Records of the tables the host keeps without using them, after the layer states.
  virtual bool tableRecord(const DxfTableRecord&) { return true; }
  // The kept objects, last.
  virtual bool objects(const DxfObjects&) { return true; }
};

// A whole drawing in memory, for writing and for tests.
struct DxfBlockDefinition {
  DxfBlock block;
  std::vector<DxfEntity> entities;
};

struct DxfDrawing {
  DxfHeader header;
  std::vector<DxfLinetype> linetypes;
  std::vector<DxfLayer> layers;
  std::vector<std::string> textStyles;  // besides those the entities name
  std::vector<DxfTextStyle> styleRecords;  // the settings of named styles
  std::vector<DxfTextStyle> shapeFiles;    // style records without a name, loading shape files
  std::vector<DxfBlockDefinition> blocks;
  std::vector<DxfEntity> entities;  // model space
  std::vector<DxfLayerState> layerStates;
  std::vector<std::string> appIds;  // besides ACAD
  std::vector<DxfTableRecord> tableRecords;
  DxfObjects objects;
};

// Model-space entities handed out one at a time, so that a large drawing is written without
// holding a second copy of it: the source calls the visitor once per entity, in order, and
// may reuse the record between calls.
using DxfEntityVisitor = std::function<void(const DxfEntity&)>;
using DxfEntitySource = std::function<void(const DxfEntityVisitor&)>;

// A sink that keeps everything it is given.
class DxfCollector : public DxfSink {
 public:
  explicit DxfCollector(DxfDrawing& drawing) : drawing_(drawing) {}
  bool header(const DxfHeader& header) override;
  bool linetype(const DxfLinetype& linetype) override;
  bool layer(const DxfLayer& layer) override;
  bool beginBlock(const DxfBlock& block) override;
  bool endBlock() override;
  bool entity(const DxfEntity& entity) override;
  bool layerState(const DxfLayerState& state) override;
  bool tableRecord(const DxfTableRecord& record) override;
  bool objects(const DxfObjects& objects) override;
  bool textStyle(const DxfTextStyle& style) override;
  bool appId(const std::string& name) override;

 private:
  DxfDrawing& drawing_;
  bool inBlock_ = false;
};

}  // namespace drawhost::dxf
