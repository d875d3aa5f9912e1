// Helpers shared by the reader's tests.
#pragma once

#include <string>

#include "xml/XmlDocument.h"

namespace xmltest {

// GBK texts used by the tests.
#define XMLTEST_GBK_ZHONG "\xD6\xD0"          // 中
#define XMLTEST_GBK_ZHONGWEN "\xD6\xD0\xCE\xC4"  // 中文

// Every indexed element as "depth name text" lines, depth first, walked
// with the document's navigation.
inline std::string dump(XmlDocument& doc) {
  std::string out;
  doc.rewind();
  if (!doc.findElement()) return out;
  int depth = 0;
  for (;;) {
    out += std::to_string(depth) + " " + std::string(doc.elementName()) + " " +
           doc.elementText() + "\n";
    doc.enterElement();
    if (doc.findElement()) {
      ++depth;
      continue;
    }
    doc.leaveElement();
    while (!doc.findElement()) {
      if (depth == 0) return out;
      doc.leaveElement();
      --depth;
    }
  }
}

}  // namespace xmltest
