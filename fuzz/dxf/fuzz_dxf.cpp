// Any bytes as a drawing file. Besides not crashing, the reader and writer must agree: what the
// writer makes of a drawing the reader accepted, the reader reads back, and writing that again
// gives the same bytes. An accepted drawing then goes into a database and out again as a file
// and as a picture.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "drawhost/host.h"
#include "drawhost/io.h"
#include "io/dxf_reader.h"
#include "io/dxf_writer.h"
#include "io/svg_writer.h"

using namespace drawhost::dxf;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  DxfDrawing drawing;
  DxfCollector collector(drawing);
  DxfDiagnostics diagnostics;
  if (!readDxf(text, collector, diagnostics)) return 0;

  const std::string written = writeDxf(drawing);
  DxfDrawing again;
  DxfCollector collectorAgain(again);
  DxfDiagnostics diagnosticsAgain;
  if (!readDxf(written, collectorAgain, diagnosticsAgain)) __builtin_trap();
  if (writeDxf(again) != written) __builtin_trap();
  if (writeSvg(drawing).empty()) __builtin_trap();

  AcApDocument* document = drawhost::newDocument();
  AcDbDatabase* db = drawhost::database(document);
  if (!drawhost::readDxfText(text, db)) __builtin_trap();
  const std::string saved = drawhost::dxfText(db);
  if (drawhost::svgText(db).empty()) __builtin_trap();
  drawhost::closeDocument(document);
  // What the host saved reads back without error.
  DxfDrawing reread;
  DxfCollector collectorReread(reread);
  DxfDiagnostics diagnosticsReread;
  if (!readDxf(saved, collectorReread, diagnosticsReread)) __builtin_trap();
  return 0;
}
