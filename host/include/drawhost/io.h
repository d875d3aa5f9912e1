// Drawings on disk: reading and writing the drawing exchange format, and a picture in SVG.
//
// Reading fills a database as it comes from newDocument() (layer "0", model space, the usual
// linetypes). Release 2000 files and older keep their text in the drawing's code page and are
// read as bytes when that is ANSI_936 (GBK); newer files are UTF-8 and are converted. Entities
// the host does not keep (dimensions, hatches, ...) are skipped and counted in the warnings.
// A malformed file is an error that names the file and line; the database may then hold part
// of the drawing and should be thrown away.
//
// Writing gives release 2000 with code page ANSI_936. The file is written beside its final
// place under a temporary name and renamed over it only when complete, so a failure never
// leaves a half-written drawing. Regions are REGION entities with their shape as modeler text;
// a region read from a file keeps that file's text until its shape changes, and one whose text
// the host cannot read is kept as it was (said in the warnings when read).
//
// Error and warning texts are UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "drawhost/host.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

class AcDbDatabase;

namespace drawhost {

struct ReadReport {
  std::vector<std::string> warnings;
};

// Reads the file at `path` into `db`. Errors: "cannot open drawing PATH: REASON",
// "PATH: line N: WHAT".
Result readDxfFile(const std::string& path, AcDbDatabase* db, ReadReport* report = nullptr);
// The same for a file's contents; `name` stands for the file in messages.
Result readDxfText(std::string_view contents, AcDbDatabase* db, ReadReport* report = nullptr,
                   const std::string& name = "<drawing>");

// The file's contents for `db`, and the file itself.
std::string dxfText(AcDbDatabase* db, std::vector<std::string>* warnings = nullptr);
Result writeDxfFile(const std::string& path, AcDbDatabase* db,
                    std::vector<std::string>* warnings = nullptr);

// Model space as a person sees it in the editor (see svg_writer for what that means).
std::string svgText(AcDbDatabase* db);
Result writeSvgFile(const std::string& path, AcDbDatabase* db);

// Outputs are written to temporary files beside their targets and put in place only when every
// one of them is complete; nothing is replaced when one fails. A target keeps its mode, owner
// and hard links; a symbolic link is followed. Refused: a target that exists and is not a
// regular file, and two outputs naming the same file.
struct OutputFile {
  std::string path;
  std::string_view contents;
};
Result writeFilesAtomically(const std::vector<OutputFile>& outputs);
Result writeFileAtomically(const std::string& path, std::string_view contents);
// The refusals of writeFilesAtomically, checked before anything is made.
Result checkOutputTargets(const std::vector<std::string>& paths);

// A single-line drawing text (UTF-8) as the picture shows it: the special codes as characters,
// the four steel grades %%130..%%133 each as a sign of its own.
std::string displayedText(std::string_view utf8);

}  // namespace drawhost

#pragma GCC visibility pop
