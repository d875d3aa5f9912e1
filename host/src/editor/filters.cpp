// Selection filters: result-buffer chains compiled into a tree of tests
// and evaluated per entity.
//
// A filter chain is an implicit AND of tests. A test compares one entity
// property, named by its DXF group, with the value: strings by wildcard,
// numbers by the relational operator given just before in a -4 element
// ("=" when none). -4 "<AND" ... "AND>", "<OR" ... "OR>", "<XOR" ... "XOR>"
// and "<NOT" ... "NOT>" group tests.
#include <cmath>
#include <unordered_map>

#include "db/db.h"
#include "editor/editor.h"

namespace hostimpl {

struct Filter::Node {
  enum Kind { kTest, kAnd, kOr, kXor, kNot } kind = kTest;
  int group = 0;
  std::string op = "=";
  AcEdValueKind valueKind = AcEdValueKind::kNone;
  std::string text;
  double number = 0;
  AcGePoint3d point;
  std::vector<std::shared_ptr<Node>> children;
  // Layer and linetype names repeat across thousands of entities: their
  // wildcard results are remembered per record for one selection.
  mutable std::unordered_map<const void*, bool> recordResults;
};

namespace {

struct Property {
  bool present = false;
  bool isText = false;
  std::string_view text;
  double number = 0;
};

Property propertyOf(const AcDbEntity* ent, int group) {
  Property p;
  auto setText = [&](const char* s) { p.present = p.isText = true, p.text = s ? s : ""; };
  auto setRecord = [&](const AcDbStub* record, const char* fallback) {
    setText(record ? recordName(record) : fallback);
  };
  auto setNumber = [&](double v) { p.present = true, p.number = v; };
  switch (group) {
    case 0:
      setText(dxfName(ent));
      break;
    case 8:
      setRecord(ent->layerStub_, "0");
      break;
    case 6:
      setRecord(ent->linetypeStub_, "BYLAYER");
      break;
    case 62:
      setNumber(ent->colorIndex());
      break;
    case 60:
      setNumber(ent->visibility() == AcDb::kInvisible ? 1 : 0);
      break;
    case 370:
      setNumber(ent->lineWeight());
      break;
    case 1:
      if (auto* t = AcDbText::cast(ent)) setText(t->textString());
      if (auto* m = AcDbMText::cast(ent)) setText(m->contents());
      break;
    case 2:
      if (auto* r = AcDbBlockReference::cast(ent))
        setText(recordName(r->blockTableRecord().stub()));
      if (auto* a = AcDbAttribute::cast(ent)) setText(a->tag());
      break;
    case 7:
      if (auto* t = AcDbText::cast(ent)) setText(recordName(t->textStyle().stub()));
      if (auto* m = AcDbMText::cast(ent)) setText(recordName(m->textStyle().stub()));
      break;
    case 40:
      if (auto* c = AcDbCircle::cast(ent)) setNumber(c->radius());
      if (auto* a = AcDbArc::cast(ent)) setNumber(a->radius());
      if (auto* t = AcDbText::cast(ent)) setNumber(t->height());
      if (auto* m = AcDbMText::cast(ent)) setNumber(m->textHeight());
      break;
    case 70:
      if (auto* pl = AcDbPolyline::cast(ent)) setNumber(pl->isClosed() ? 1 : 0);
      break;
    case 66:
      if (auto* r = AcDbBlockReference::cast(ent)) setNumber(r->attributes_.empty() ? 0 : 1);
      break;
    default:
      break;
  }
  return p;
}

bool compareNumber(double a, const std::string& op, double b) {
  if (op == "=") return a == b;
  if (op == "!=" || op == "/=" || op == "<>") return a != b;
  if (op == "<") return a < b;
  if (op == "<=") return a <= b;
  if (op == ">") return a > b;
  if (op == ">=") return a >= b;
  if (op == "*") return true;
  if (op == "&") return (static_cast<long>(a) & static_cast<long>(b)) != 0;
  if (op == "&=") return (static_cast<long>(a) & static_cast<long>(b)) == static_cast<long>(b);
  return false;
}

bool evalNode(const Filter::Node& n, const AcDbEntity* ent);

// A string test on a text: the wildcard match, turned round by "!=".
bool textPasses(const Filter::Node& n, std::string_view text) {
  bool m = wildcardMatch(text, n.text);
  if (n.op == "!=" || n.op == "/=" || n.op == "<>") return !m;
  return n.op == "*" || m;
}

bool evalTest(const Filter::Node& n, const AcDbEntity* ent) {
  // Layer and linetype tests: the answer per record is remembered, so most
  // entities cost one look-up and no text at all.
  if (n.valueKind == AcEdValueKind::kString && (n.group == 8 || n.group == 6)) {
    const AcDbStub* record = n.group == 8 ? ent->layerStub_ : ent->linetypeStub_;
    auto [it, fresh] = n.recordResults.try_emplace(record, false);
    if (fresh) it->second = textPasses(n, propertyOf(ent, n.group).text);
    return it->second;
  }
  Property p = propertyOf(ent, n.group);
  if (!p.present) return false;
  if (n.valueKind == AcEdValueKind::kString) return p.isText && textPasses(n, p.text);
  if (p.isText) return false;
  return compareNumber(p.number, n.op, n.number);
}

bool evalNode(const Filter::Node& n, const AcDbEntity* ent) {
  switch (n.kind) {
    case Filter::Node::kTest:
      return evalTest(n, ent);
    case Filter::Node::kAnd:
      for (const auto& c : n.children)
        if (!evalNode(*c, ent)) return false;
      return true;
    case Filter::Node::kOr:
      for (const auto& c : n.children)
        if (evalNode(*c, ent)) return true;
      return false;
    case Filter::Node::kXor: {
      int hits = 0;
      for (const auto& c : n.children) hits += evalNode(*c, ent) ? 1 : 0;
      return hits == 1;
    }
    case Filter::Node::kNot:
      return n.children.empty() || !evalNode(*n.children[0], ent);
  }
  return false;
}

}  // namespace

bool Filter::compile(const AcEdResBuf* chain) {
  nodes_.clear();
  struct Frame {
    Node::Kind kind;
    std::string closer;
    std::vector<std::shared_ptr<Node>> children;
  };
  std::vector<Frame> stack;
  stack.push_back({Node::kAnd, "", {}});
  static const std::string kEquals("=");
  std::string pendingOp;  // empty: "="
  for (const AcEdResBuf* rb = chain; rb; rb = rb->next) {
    // An empty first element (type below -4) stands for no test.
    if (rb->type < -4) continue;
    if (rb->type == -4) {
      std::string op = upper(rb->value.string ? rb->value.string : "");
      static const std::pair<const char*, Node::Kind> opens[] = {
          {"<AND", Node::kAnd}, {"<OR", Node::kOr}, {"<XOR", Node::kXor}, {"<NOT", Node::kNot}};
      bool handled = false;
      for (const auto& [name, kind] : opens)
        if (op == name) {
          stack.push_back({kind, std::string(name + 1) + ">", {}});
          handled = true;
        }
      if (handled) continue;
      if (op.size() > 1 && op.back() == '>') {
        if (stack.size() < 2 || stack.back().closer != op) return false;
        auto node = std::make_shared<Node>();
        node->kind = stack.back().kind;
        node->children = std::move(stack.back().children);
        stack.pop_back();
        stack.back().children.push_back(node);
        continue;
      }
      static const char* relational[] = {"=", "!=", "/=", "<>", "<", "<=", ">", ">=", "*", "&", "&="};
      bool known = false;
      for (const char* r : relational) known = known || op == r;
      if (!known) return false;
      pendingOp = op;
      continue;
    }
    auto node = std::make_shared<Node>();
    node->group = rb->type;
    node->op = pendingOp.empty() ? kEquals : pendingOp;
    node->valueKind = acutValueKind(rb->type);
    pendingOp.clear();
    switch (node->valueKind) {
      case AcEdValueKind::kString:
        node->text = rb->value.string ? rb->value.string : "";
        break;
      case AcEdValueKind::kReal:
        node->number = rb->value.real;
        break;
      case AcEdValueKind::kShort:
        node->number = rb->value.shortValue;
        break;
      case AcEdValueKind::kLong:
        node->number = rb->value.longValue;
        break;
      default:
        return false;  // points and names are not filterable here
    }
    stack.back().children.push_back(node);
  }
  if (stack.size() != 1) return false;
  nodes_ = std::move(stack.back().children);
  return true;
}

bool Filter::matches(const AcDbEntity* ent) const {
  for (const auto& n : nodes_)
    if (!evalNode(*n, ent)) return false;
  return true;
}

void applyFilter(const AcEdResBuf* filter, std::vector<AcDbStub*>& members, bool& ok) {
  ok = true;
  if (!filter) return;
  Filter f;
  if (!f.compile(filter)) {
    ok = false;
    members.clear();
    return;
  }
  if (f.empty()) return;
  std::vector<AcDbStub*> kept;
  kept.reserve(members.size());
  for (AcDbStub* s : members)
    if (f.matches(static_cast<AcDbEntity*>(s->object))) kept.push_back(s);
  members.swap(kept);
}

}  // namespace hostimpl
