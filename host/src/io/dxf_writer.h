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

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <memory>
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
  std::vector<DxfTextStyle> styleRecords;  // settings by name; a style without one has defaults
  std::vector<DxfTextStyle> shapeFiles;    // records without a name, loading shape files
  std::vector<DxfBlock> blocks;        // the user's block definitions, in the order to write
  std::vector<DxfLayerState> layerStates;
  std::vector<DxfVariable> variables;  // header variables besides the host's own
  std::vector<std::string> appIds;     // besides ACAD
  std::vector<DxfTableRecord> tableRecords;  // dimension styles, views and UCS, as read
  DxfObjects objects;                        // kept objects, as read
};

// A growable byte buffer for text made of many short pieces: a piece is copied in place
// without a library call, and the buffer grows by doubling.
class OutputBuffer {
 public:
  void reserve(size_t bytes) {
    if (bytes > capacity_) reallocate(bytes);
  }
  size_t size() const { return size_; }
  std::string_view view() const { return {data_.get(), size_}; }
  void append(char c) { *room(1) = c, ++size_; }
  void append(std::string_view s) {
    std::memcpy(room(s.size()), s.data(), s.size());
    size_ += s.size();
  }
  // The first `bytes` of a buffer of kScratch readable bytes: one fixed-size copy, which
  // compiles to a few moves instead of a call.
  static constexpr size_t kScratch = 48;
  void appendScratch(const char* scratch, size_t bytes) {
    std::memcpy(room(kScratch), scratch, kScratch);
    size_ += bytes;
  }

 private:
  char* room(size_t bytes) {
    if (capacity_ - size_ < bytes) reallocate(std::max(capacity_ * 2, size_ + bytes));
    return data_.get() + size_;
  }
  void reallocate(size_t capacity);

  std::unique_ptr<char[]> data_;
  size_t size_ = 0, capacity_ = 0;
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
  // Room for about this many entities, so the text is not copied as it grows.
  void reserveFor(size_t entities) { out_.reserve(out_.size() + entities * kBytesPerEntity); }

 private:
  // Generous: pages never written are never touched, a regrowth copies everything.
  static constexpr size_t kBytesPerEntity = 256;
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
  // A table with an extension dictionary when `dictionary` is not 0.
  void beginTable(const char* name, Handle handle, int count, Handle dictionary = 0);
  // Writes a record's head with the handle given, or with the next one.
  Handle beginRecord(const char* type, Handle table, const char* subclass, Handle self = 0);
  void writeLinetype(Handle table, const DxfLinetype& linetype);
  void writeLayer(Handle table, const DxfLayer& layer);
  void writeLayerStates();
  void assignBlockRecords(const DxfTables& tables);
  void writeStyleBody(std::string_view name, const DxfTextStyle& style);
  // The new handle of what the file named by `handle`: a kept object that is written, an entity
  // written before, or a block record; 0 when the drawing no longer has it.
  Handle newHandle(const std::string& handle) const;
  // The new handle of a kept object, given now if it has none yet; 0 for anything else.
  Handle objectHandle(const std::string& handle);
  void writeKeptObjects();
  void writeKeptObject(const DxfObject& object);
  void writeBlockRecords(Handle table, const DxfTables& tables);
  void writeKeptTable(const char* name, Handle table, const std::vector<DxfTableRecord>& records);
  void writeLayoutBlocks();
  void writeBlockBegin(Handle owner, const std::string& name, const Point& base, int flags,
                       bool paperSpace);
  void writeBlockEnd(Handle owner, bool paperSpace);
  void writeEntity(const DxfEntity& e, Handle owner);
  static bool isTextCode(int code);
  void writeFileGroups(const DxfEntity& e, bool commonPart);
  void writeCommon(const DxfEntity& e, const char* type, Handle owner, Handle self);
  void writeTextBody(const DxfEntity& e, bool withAlignmentSubclass);
  void writeMTextBody(const DxfEntity& e);
  void writeRegionBody(const DxfEntity& e);
  void extend(const Point& p);
  void writeObjects();
  void writeHeader();

  OutputBuffer out_;
  Handle nextHandle_ = 0x30;
  std::map<std::string, Handle> blockRecords_;  // upper-case name -> handle
  std::vector<const DxfBlock*> blockOrder_;      // the block records to write, in order
  std::map<std::string, Handle> styleRecords_;  // text styles: upper-case name -> handle
  DxfObjects objects_;
  bool ownGroupDictionary_ = true;  // the drawing brought none
  // New handles by the file's: of the kept objects that are written, of the entities written so
  // far, of the block records.
  std::unordered_map<std::string, Handle> objectHandles_, entityHandles_, blockRecordHandles_;
  std::unordered_set<std::string> keptObjects_;  // the file's handles of the kept objects
  Handle modelSpaceRecord_ = 0;
  Handle paperSpaceRecord_ = 0;
  Handle currentOwner_ = 0;
  std::vector<DxfLayerState> layerStates_;
  std::vector<DxfVariable> variables_;
  Handle layerDictionary_ = 0;  // the layer table's extension dictionary, when there are states
  std::string currentLayer_;
  Point extMin_{1e300, 1e300, 0};
  Point extMax_{-1e300, -1e300, 0};
};

// The whole file for a drawing held in memory.
std::string writeDxf(const DxfDrawing& drawing);
// The same with the model-space entities from `modelSpace` instead of drawing.entities;
// `expectedEntities` sizes the output buffer up front.
std::string writeDxf(const DxfDrawing& drawing, const DxfEntitySource& modelSpace,
                     size_t expectedEntities = 0);

}  // namespace drawhost::dxf
