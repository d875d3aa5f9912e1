// A drawing's rebar annotations at once: every single-line text and
// attribute the rebar plug-in's tooltip would show something for, with the
// tooltip itself, as a CSV table or as a page to hover over.
//
// The tooltip of each annotation is what the drawing's input-point monitors
// give for a cursor on it (the rebar plug-in's tooltip switched on), not a
// computation of the report's own; the calculator only says which texts are
// annotations and of which form.
#pragma once

#include <functional>
#include <string>
#include <vector>

class AcDbDatabase;

namespace rebarreport {

struct Annotation {
  std::string text;       // UTF-8, the drawing's control codes kept (%%132 ...)
  std::string kind;       // "text" or "attribute"
  std::string layer;      // UTF-8, the text's own layer
  std::string blocks;     // the block references it sits in, outermost first ("A > B"); "" at top
  std::string form;       // "bar groups", "stirrups", "stirrup demand", "area triple"
  double x = 0, y = 0;    // the text's insertion point in the world
  double box[4] = {0, 0, 0, 0};  // its extents in the world: min x, min y, max x, max y
  std::string tooltip;    // UTF-8, line breaks as the tooltip has them
  double area = 0;        // mm², the figure the table sorts by (see steelArea)
};

// done of total annotations have their tooltip.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

// The annotations of the current drawing's model space (texts, attributes, and texts inside
// block references through their nested paths), in drawing order. The tooltips come from the
// drawing's monitors: the rebar plug-in's must be on.
std::vector<Annotation> collect(AcDbDatabase* db, const Progress& progress);

// The steel area an annotation stands for, for sorting: the sum of a bar group's rows, a
// stirrup's area per metre (the first figure of its tooltip), a demand's or a triple's largest
// value in mm².
double steelArea(const std::string& form, const std::string& text, const std::string& tooltip);

// A table in UTF-8 (with a byte-order mark, so that spreadsheet programs read the Chinese) and
// a header row; fields quoted where they hold commas, quotes or line breaks.
std::string toCsv(const std::vector<Annotation>& annotations);

// One page that needs nothing else: the drawing's picture with pan and zoom, the tooltip near
// the cursor over each annotation, and a table of them to sort and to click.
std::string toHtml(const std::vector<Annotation>& annotations, const std::string& svg,
                   const std::string& title);

// A number as the table and the page write it: up to ten significant digits.
std::string decimal(double v);

// A text as the page and the picture show it: the grade codes %%130..%%133 as the four
// grade signs, told apart (see the page's legend).
std::string shownText(const std::string& utf8);

}  // namespace rebarreport
