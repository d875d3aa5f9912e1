// Feeds arbitrary bytes to the host as an input script, in a fresh small
// drawing each time, with the test plug-in's commands available when it
// was built. Any outcome but a crash, a hang or a sanitizer report is fine.
#include <cstddef>
#include <cstdint>
#include <string>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"

namespace {

void buildDrawing() {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTable* table = nullptr;
  if (db->getSymbolTable(table, AcDb::kForWrite) != AcDb::kOk) return;
  auto* block = new AcDbBlockTableRecord;
  block->setName("B");
  AcDbObjectId blockId;
  table->add(blockId, block);
  auto* inner = new AcDbText({0, 0, 0}, "4%%13225", AcDbObjectId(), 2.0);
  if (block->appendAcDbEntity(inner) == AcDb::kOk) inner->close(); else delete inner;
  block->close();
  AcDbBlockTableRecord* space = nullptr;
  table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
  table->close();
  if (!space) return;
  AcDbEntity* ents[] = {new AcDbLine({0, 0, 0}, {10, 0, 0}), new AcDbCircle({5, 5, 0}, 3),
                        new AcDbText({0, 10, 0}, "room", AcDbObjectId(), 2.0),
                        new AcDbBlockReference({20, 0, 0}, blockId)};
  for (AcDbEntity* e : ents)
    if (space->appendAcDbEntity(e) == AcDb::kOk) e->close(); else delete e;
  space->close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool ready = [] {
    drawhost::setTranscriptSink([](std::string_view) {});
#ifdef HOSTTEST_PLUGIN
    drawhost::loadPlugin(HOSTTEST_PLUGIN);
#endif
    return true;
  }();
  (void)ready;
  if (size > 65536) return 0;  // long enough to nest transparent commands past their bound
  AcApDocument* doc = drawhost::newDocument();
  buildDrawing();
  drawhost::runScriptText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.scr");
  drawhost::closeDocument(doc);
  return 0;
}
