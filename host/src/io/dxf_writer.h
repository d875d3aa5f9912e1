// Writing a drawing as a release-2000 text drawing file, code page 936.
//
// The writer is fed in file order: tables, each block definition with its entities, then the
// model-space entities; finish() returns the whole file. Texts are GBK bytes and are written as
// such (the file says ANSI_936); control characters in them are written in caret form so that a
// text can never break the line structure, and long multi-line texts are cut into chunks only
// between characters, never inside a double-byte one.
//
// Every object gets a handle and its owner's handle, and the objects section holds the root
// dictionary, so that other programs read the file without repairs.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "io/dxf_model.h"

namespace drawhost::dxf {

struct DxfTables {
  std::string currentLayer = "0";
  std::vector<DxfLinetype> linetypes;  // besides ByBlock, ByLayer and Continuous
  std::vector<DxfLayer> layers;        // layer "0" is written first whether listed or not
  std::vector<std::string> textStyles; // besides Standard
  std::vector<DxfBlock> blocks;        // the user's block definitions, in the order to write
};

class DxfWriter {
 public:
  explicit DxfWriter(const DxfTables& tables);

  void beginBlock(const DxfBlock& block);
  void endBlock();
  void beginEntities();
  void entity(const DxfEntity& entity);
  // The complete file: header, classes, tables, blocks, entities, objects.
  std::string finish();

 private:
  using Handle = unsigned;

  Handle next() { return nextHandle_++; }
  void code(int groupCode);
  void pair(int groupCode, std::string_view value);
  void text(int groupCode, std::string_view value);  // caret-encoded
  void pair(int groupCode, double value);
  void integer(int groupCode, long value);
  void handle(int groupCode, Handle value);
  void point(int groupCode, const Point& p, bool withZ = true);

  void writeClassesAndTables(const DxfTables& tables);
  void beginTable(const char* name, Handle handle, int count);
  Handle beginRecord(const char* type, Handle table, const char* subclass);
  void writeLinetype(Handle table, const DxfLinetype& linetype);
  void writeLayer(Handle table, const DxfLayer& layer);
  void writeBlockRecords(Handle table, const DxfTables& tables);
  void writeLayoutBlocks();
  void writeBlockBegin(Handle owner, const std::string& name, const Point& base, int flags,
                       bool paperSpace);
  void writeBlockEnd(Handle owner, bool paperSpace);
  void writeEntity(const DxfEntity& e, Handle owner);
  void writeCommon(const DxfEntity& e, const char* type, Handle owner, Handle self);
  void writeTextBody(const DxfEntity& e, bool withAlignmentSubclass);
  void writeMTextBody(const DxfEntity& e);
  void extend(const Point& p);
  void writeObjects();
  void writeHeader();

  std::string out_;
  Handle nextHandle_ = 0x30;
  std::map<std::string, Handle> blockRecords_;  // upper-case name -> handle
  Handle modelSpaceRecord_ = 0;
  Handle paperSpaceRecord_ = 0;
  Handle currentOwner_ = 0;
  std::string currentLayer_;
  Point extMin_{1e300, 1e300, 0};
  Point extMax_{-1e300, -1e300, 0};
};

// The whole file for a drawing held in memory.
std::string writeDxf(const DxfDrawing& drawing);
// The same with the model-space entities from `modelSpace` instead of drawing.entities.
std::string writeDxf(const DxfDrawing& drawing,
                                          const DxfEntitySource& modelSpace);

}  // namespace drawhost::dxf
