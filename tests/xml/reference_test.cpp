// The index builder against a plain reference: a tree of nodes with child
// vectors, a linear search of the open stack, and not-ended elements closed
// innermost first, compared on random documents, broken ones included.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "XmlScanner.h"
#include "XmlTestSupport.h"

namespace {

struct Node {
  std::string name;
  uint32_t start = 0;
  uint32_t length = 0;
  uint32_t startTag = 0;
  bool notEnded = false;
  std::vector<size_t> children;
  size_t parent = 0;
};

struct Reference {
  std::vector<Node> nodes{1};
  std::string message;
  bool illFormed = false;

  void note(const std::string& text) {
    if (message.empty()) message = text;
  }

  // Moves the children of open node n to follow it under its parent.
  void closeNotEnded(size_t n) {
    Node& node = nodes[n];
    node.length = node.startTag;
    node.notEnded = true;
    std::vector<size_t> moved;
    moved.swap(node.children);
    std::vector<size_t>& siblings = nodes[node.parent].children;
    for (size_t c : moved) nodes[c].parent = node.parent;
    siblings.insert(siblings.end(), moved.begin(), moved.end());  // n is the last child
  }

  void build(const std::string& text) {
    std::vector<size_t> open;
    xml::XmlToken token;
    uint32_t offset = 0;
    for (;; offset += token.length) {
      xml::scanToken(text.c_str(), offset, token);
      const size_t top = open.empty() ? 0 : open.back();
      if (token.kind == xml::NodeKind::StartTag) {
        Node node;
        node.name = text.substr(offset + 1, token.nameLength);
        node.start = offset;
        node.length = node.startTag = token.length;
        node.parent = top;
        nodes.push_back(node);
        nodes[top].children.push_back(nodes.size() - 1);
        if (!(token.flags & xml::kEmptyElement)) open.push_back(nodes.size() - 1);
      } else if (token.kind == xml::NodeKind::EndTag) {
        const std::string name = text.substr(offset + 2, token.nameLength);
        size_t d = open.size();
        while (d > 0 && nodes[open[d - 1]].name != name) --d;
        if (d == 0) {
          note("No start tag for end tag '" + name + "' at offset " + std::to_string(offset));
          illFormed = true;
          continue;
        }
        if (d < open.size()) {
          note("End tag '" + name + "' at offset " + std::to_string(offset + 1) +
               " does not match start tag '" + nodes[top].name + "' at offset " +
               std::to_string(nodes[top].start));
          illFormed = true;
          for (size_t k = open.size(); k > d; --k) closeNotEnded(open[k - 1]);
        }
        Node& closed = nodes[open[d - 1]];
        closed.length = offset + token.length - closed.start;
        open.resize(d - 1);
      } else if (token.kind == xml::NodeKind::Error) {
        note(token.error);
        illFormed = true;
      } else if (token.kind == xml::NodeKind::EndOfText) {
        if (!open.empty()) {
          note("Element '" + nodes[open.back()].name + "' at offset " +
               std::to_string(nodes[open.back()].start) + " not ended");
          illFormed = true;
        }
        for (size_t k = open.size(); k > 0; --k) closeNotEnded(open[k - 1]);
        break;
      }
    }
    if (nodes[0].children.empty()) message = "No root element";
    else if (nodes[0].children.size() > 1) message = "Root element has sibling";
  }

  std::string dump() const {
    std::string out;
    std::vector<std::pair<size_t, int>> todo;
    for (size_t i = nodes[0].children.size(); i > 0; --i) todo.push_back({nodes[0].children[i - 1], 0});
    while (!todo.empty()) {
      auto [n, depth] = todo.back();
      todo.pop_back();
      const Node& node = nodes[n];
      out += std::to_string(depth) + " " + node.name + " " + std::to_string(node.start) + "+" +
             std::to_string(node.length) + (node.notEnded ? "!" : "") + "\n";
      for (size_t i = node.children.size(); i > 0; --i) todo.push_back({node.children[i - 1], depth + 1});
    }
    return out;
  }
};

// The same dump from the element index, following its links.
std::string indexDump(const XmlDocument& doc) {
  const xml::ElementIndex& index = doc.elementIndex();
  std::string out;
  uint32_t e = index[0].firstChild;
  int depth = 0;
  while (e != 0) {
    const xml::ElementEntry& entry = index[e];
    const std::string name(doc.documentText().c_str() + entry.start + 1,
                           xml::tagNameLength(doc.documentText().c_str() + entry.start + 1));
    out += std::to_string(depth) + " " + name + " " + std::to_string(entry.start) + "+" +
           std::to_string(entry.length) + ((entry.flagsAndLevel & xml::kNotEnded) ? "!" : "") +
           "\n";
    EXPECT_EQ(index[entry.firstChild].parent, entry.firstChild ? e : index[0].parent);
    if (entry.firstChild) {
      e = entry.firstChild;
      ++depth;
      continue;
    }
    while (e != 0 && index[e].nextSibling == 0) {
      e = index[e].parent;
      --depth;
    }
    if (e != 0) e = index[e].nextSibling;
  }
  return out;
}

TEST(Reference, RandomDocumentsIndexLikeThePlainTree) {
  static const char* const kPieces[] = {
      "<a>", "<b>", "<a>", "<b>", "</a>", "</b>", "</a>", "</b>", "<a/>", "<c x='>'/>",
      "</c>", "x", " ", "<!--c-->", "<1>", "<![CDATA[<a>]]>", "&lt;", "<?p?>", "<a x=1/>",
      "<b\t>", "</b >", "<!DOCTYPE a [<!ENTITY e 'v'>]>", "<",
  };
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int pieces = static_cast<int>(random() % 24);
    for (int i = 0; i < pieces; ++i) text += kPieces[random() % std::size(kPieces)];
    XmlDocument doc;
    const bool ok = doc.parseText(text.c_str());
    Reference reference;
    if (text.empty()) continue;
    reference.build(text);
    ASSERT_EQ(indexDump(doc), reference.dump()) << text;
    ASSERT_EQ(doc.message(), reference.message) << text;
    ASSERT_EQ(ok, !reference.illFormed && reference.nodes[0].children.size() == 1) << text;
    // Every element's text can be read.
    xmltest::dump(doc);
  }
}

}  // namespace
