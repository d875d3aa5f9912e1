// Model space as a picture: SVG, UTF-8, on the editor's black background.
//
// What is drawn is what a person sees in the editor: nothing from layers that are off or
// frozen, no invisible entities or invisible attributes, colours from the colour index (by
// layer and by block resolved), block references expanded with their attributes, texts at
// their place, size, rotation and alignment with the special codes shown as characters.
// Inside a block, entities on layer "0" take the reference's layer, as in the editor.
#pragma once

#include <string>
#include <string_view>

#include "io/dxf_model.h"

namespace drawhost::dxf {

// The document; always well-formed XML, whatever bytes the drawing's texts hold.
std::string writeSvg(const DxfDrawing& drawing);
// The same with the model-space entities from `modelSpace` instead of drawing.entities.
std::string writeSvg(const DxfDrawing& drawing,
                                          const DxfEntitySource& modelSpace);

// Escapes for XML text and attribute values; drops what XML 1.0 cannot hold.
std::string xmlEscape(std::string_view utf8);

// The colour index as red, green and blue (index 0 and 256 give white).
unsigned colourIndexToRgb(int index);

// A single-line text as shown: %%c, %%d, %%p, %%% and the steel-grade codes %%130..%%133 (and
// %%180..%%183) as characters, underline and overline switches dropped. UTF-8 in, UTF-8 out.
std::string displayText(const std::string& utf8);
// The sign of a steel grade class (0 HPB235, 1 HRB335, 2 HRB400, 3 RRB400), UTF-8: Φ, then Φ
// with a bar, struck through, and with an R, so that the four are told apart.
const char* gradeSign(int gradeClass);

// A multi-line text's lines as shown, its format codes removed. UTF-8 in, UTF-8 out.
std::vector<std::string> displayLines(const std::string& utf8);

}  // namespace drawhost::dxf
