// Between the drawing-file records and the host's database.
//
// DatabaseImporter is the reader's sink: it creates linetypes, layers, text styles, block
// definitions and entities through the host interface, as a plug-in would. Layers are created
// with their colour, linetype, lineweight, on/off and plot settings; freezing, locking and the
// current layer are applied by finish(), after every entity is in, so that the database's own
// refusals (the current layer cannot be frozen, nothing is appended on a locked layer) do not
// stand in the way of a drawing that is consistent as a whole.
//
// exportDatabase does the reverse walk for the writers.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "io/dxf_model.h"
#include "hostapi/hostapi.h"

namespace drawhost::dxf {

class DatabaseImporter : public DxfSink {
 public:
  DatabaseImporter(AcDbDatabase* db, std::vector<std::string>& warnings);
  ~DatabaseImporter() override;

  bool header(const DxfHeader& header) override;
  bool linetype(const DxfLinetype& linetype) override;
  bool layer(const DxfLayer& layer) override;
  bool beginBlock(const DxfBlock& block) override;
  bool endBlock() override;
  bool entity(const DxfEntity& entity) override;
  bool layerState(const DxfLayerState& state) override;
  bool textStyle(const DxfTextStyle& style) override;
  bool appId(const std::string& name) override;
  bool tableRecord(const DxfTableRecord& record) override;
  bool objects(const DxfObjects& objects) override;

  // Applies frozen and locked layers and the current layer. Returns false with error() set
  // when the database refused something it must not.
  bool finish();
  const std::string& error() const { return error_; }

 private:
  bool refuse(const std::string& what, AcDb::Status status);
  AcDbObjectId layerId(const std::string& name);
  AcDbObjectId linetypeId(const std::string& name);
  AcDbObjectId textStyleId(const std::string& name);
  AcDbObjectId blockId(const std::string& name);
  AcDbEntity* makeEntity(const DxfEntity& e);
  bool setCommon(AcDbEntity* entity, const DxfEntity& e);
  bool openOwner(AcDbObjectId id);
  void closeOwner();
  AcDbBlockTableRecord* ownerOf(const DxfEntity& e);

  AcDbDatabase* db_;
  std::vector<std::string>& warnings_;
  std::string error_;
  std::string currentLayer_ = "0";
  std::unordered_map<std::string, AcDbObjectId> layers_, linetypes_, styles_, blocks_;
  std::vector<DxfLayer> layerStates_;
  std::map<std::string, int> refusedNames_;  // names the database would not take
  int skippedReferences_ = 0;
  AcDbBlockTableRecord* owner_ = nullptr;  // open for write while entities are appended
  AcDbBlockTableRecord* paperSpace_ = nullptr;  // open for write once paper space has entities
  bool skippingBlock_ = false;
};

// The database as file records: tables() gives everything but the model-space entities, which
// modelSpace() hands out one at a time (see DxfEntitySource).
class DatabaseExporter {
 public:
  explicit DatabaseExporter(AcDbDatabase* db);
  DxfDrawing tables();
  void modelSpace(const DxfEntityVisitor& visit);

 private:
  void exportEntity(const AcDbEntity* entity, DxfEntity& e, const DxfEntityVisitor& emit);
  AcDbObjectId paperSpaceId() const;

  AcDbDatabase* db_;
  DxfEntity scratch_;  // reused from one entity to the next
  bool exportingPaperSpace_ = false;
};

}  // namespace drawhost::dxf
