// xml-probe FILE: loads FILE and prints what the reader made of it.
//
//   ok|fail <TAB> message
//   DEPTH <TAB> NAME <TAB> TEXT      one line per indexed element
//
// Elements come in document order, depth first along first-child and
// next-sibling links from the root (depth 0), walked with the document's own
// navigation and no recursion. NAME is written as it stands in the text;
// TEXT is the element's text with C escapes (\\ \t \n \r, and \xHH for any
// byte outside printable ASCII). The exit status is 0 whenever a result was
// printed, ok or fail.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <string_view>

#include "xml/XmlDocument.h"

namespace {

void writeEscaped(std::string_view text, std::string& out) {
  static const char kHex[] = "0123456789abcdef";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out.push_back(ch);
        } else {
          out += "\\x";
          out.push_back(kHex[c >> 4]);
          out.push_back(kHex[c & 0xF]);
        }
    }
  }
}

void writeElement(const XmlDocument& doc, unsigned depth, std::string& out) {
  out += std::to_string(depth);
  out.push_back('\t');
  out.append(doc.elementName());
  out.push_back('\t');
  writeEscaped(doc.elementText(), out);
  out.push_back('\n');
}

// Depth-first: into the first child when there is one, else on to the next
// sibling, climbing out of levels that have no more.
void writeElements(XmlDocument& doc, std::string& out) {
  doc.rewind();
  if (!doc.findElement()) return;
  unsigned depth = 0;
  for (;;) {
    writeElement(doc, depth, out);
    doc.enterElement();
    if (doc.findElement()) {
      ++depth;
      continue;
    }
    doc.leaveElement();
    while (!doc.findElement()) {
      if (depth == 0) return;
      doc.leaveElement();
      --depth;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Reads an XML file and prints what the reader made of it: ok or fail with its "
               "message, then the elements.",
               "xml-probe"};
  std::string file;
  app.add_option("file", file, "The XML file")->required()->type_name("FILE");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    std::fprintf(stderr, "xml-probe: %s\nusage: xml-probe FILE\n", error.what());
    return 2;
  }
  XmlDocument doc;
  const bool ok = doc.loadFile(file.c_str());
  std::string out = ok ? "ok\t" : "fail\t";
  out += doc.message();
  out.push_back('\n');
  writeElements(doc, out);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
