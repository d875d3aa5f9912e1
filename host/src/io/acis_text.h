// A region's shape as solid-modeler text, the form a REGION entity carries in a release-2000
// drawing file.
//
// The modeler text is a header of three lines and then records, each a type name and fields
// ending in "#", which point at each other by their index ("$3"; "$-1" is none). A region is a
// body of one lump of one shell of planar faces; a face is bounded by loops, a loop by a ring of
// coedges, each the use of one edge between two vertices on a straight or circular curve.
//
// writeRegionText lays out one face per outer loop (with the holes that lie in it), every loop
// counter-clockwise about the face normal +z for the outer boundary and clockwise for holes, every
// edge running the way its loop does, straight edges parametrised by length from their start,
// arcs on a circle whose major axis points at their start so that the edge runs from 0 to its
// sweep. Numbers are written in their shortest exact form, so reading gives back the same doubles.
//
// readRegionText follows the pointers from the body and accepts what a region can be: faces on
// planes parallel to XY at one height, edges on straight lines or circles in that plane, an
// optional body transform. Anything else (other curves or surfaces, broken pointers, older
// formats) is refused with a reason; the caller then keeps the text unchanged. Loops come back
// with the outer boundary of each face counter-clockwise and its holes clockwise, seen from +z.
//
// In the drawing file each text line is stored with every printable character but the space
// replaced by its mirror 159 - c. encodeLine and decodeLine do that and its inverse; the file's
// caret escapes (a mirrored 'A' is a '^', written "^ ") are the reader's and writer's, as for
// any other text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "io/dxf_model.h"

namespace drawhost::dxf {

using RegionLoop = std::vector<Vertex>;  // closed: the last edge returns to the first corner

struct RegionShape {
  std::vector<RegionLoop> loops;
  double elevation = 0;
};

// The modeler text lines (not yet encoded) of a region whose loops are closed, outer ones
// counter-clockwise and holes clockwise. Corners that repeat the one before are dropped; a loop
// left with fewer than two corners is left out.
std::vector<std::string> writeRegionText(const RegionShape& shape);

// Reads the modeler text lines (decoded). False, with why set, when the text is not a region
// this host can represent.
bool readRegionText(const std::vector<std::string>& lines, RegionShape& shape, std::string& why);

std::string encodeLine(std::string_view text);
std::string decodeLine(std::string_view stored);

}  // namespace drawhost::dxf
