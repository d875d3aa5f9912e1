// Reading a drawing file in the text form of the drawing exchange format.
//
// readDxf makes one pass over the bytes. The tokenizer yields (group code, value) pairs, checks
// each value against the type its group code demands and parses numbers once; the section
// readers fill one reusable DxfEntity and hand it to the sink. What the host keeps (layers,
// linetypes, block definitions, and lines, arcs, circles, points, lightweight and 2-D
// polylines, texts, attributes, multi-line texts, block references) goes to the sink; every
// other entity is skipped and counted, and the counts become warnings.
//
// Texts: files of release 2000 and earlier hold text in the drawing's code page ($DWGCODEPAGE);
// ANSI_936 text is kept as bytes, other code pages are converted to GBK. Newer files hold UTF-8
// and are converted. In all of them \U+XXXX escapes that GBK can hold become the character.
//
// Malformed input ends the reading with an error naming the line: a group code that is not a
// number, a value that does not fit its code, a section or block that does not end, a missing
// EOF, a reference to a block that is never defined, or a block that contains itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "io/dxf_model.h"

namespace drawhost::dxf {

struct DxfDiagnostics {
  std::string error;  // "line N: ..." when the reading failed
  std::vector<std::string> warnings;
};

// Reads `data` into `sink`. Returns false with diagnostics.error set on malformed input or when
// the sink refuses something (the sink's reason is then the caller's to add).
bool readDxf(std::string_view data, DxfSink& sink,
                                  DxfDiagnostics& diagnostics);

}  // namespace drawhost::dxf
