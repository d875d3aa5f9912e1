// Parses arbitrary bytes and reads every indexed element's name and text,
// walking depth first with the document's navigation; then searches by a
// name taken from the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "xml/XmlDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  XmlDocument doc;
  doc.parseText(reinterpret_cast<const char*>(data), size);
  size_t seen = 0;
  if (doc.findElement()) {
    unsigned depth = 0;
    for (;;) {
      seen += doc.elementText().size() + doc.elementName().size();
      doc.enterElement();
      if (doc.findElement()) {
        ++depth;
        continue;
      }
      doc.leaveElement();
      bool more = true;
      while (more && !doc.findElement()) {
        if (depth == 0) {
          more = false;
        } else {
          doc.leaveElement();
          --depth;
        }
      }
      if (!more) break;
    }
  }
  const std::string name(reinterpret_cast<const char*>(data), size < 8 ? size : 8);
  doc.rewind();
  while (doc.findChildElement(name.c_str())) doc.enterElement();
  return seen == SIZE_MAX;
}
