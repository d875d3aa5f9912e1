// System variables: the host's own (OSMODE, PICKBOX, ...) kept per host,
// and CLAYER and DWGNAME answered from the current drawing.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "db/db.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

namespace hostimpl {

void resetVariables(EditorState& st) {
  st.vars["OSMODE"] = {Variable::kInt, 35, 0, ""};
  st.vars["PICKBOX"] = {Variable::kReal, 0, 1.0, ""};
  st.vars["CMDECHO"] = {Variable::kInt, 1, 0, ""};
  st.vars["PICKFIRST"] = {Variable::kInt, 1, 0, ""};
  st.vars["FILEDIA"] = {Variable::kInt, 0, 0, ""};
  st.vars["ERRNO"] = {Variable::kInt, 0, 0, ""};
}

double pickTolerance() {
  const Variable& v = state().vars["PICKBOX"];
  return v.r > 0 ? v.r : 1.0;
}

bool intVar(const std::string& name, int*& value) {
  auto it = state().vars.find(upper(name));
  if (it == state().vars.end() || it->second.kind != Variable::kInt) return false;
  value = &it->second.i;
  return true;
}

}  // namespace hostimpl

using hostimpl::state;

int acedGetVar(const char* name, AcEdResBuf* result) {
  if (!name || !result) return AcEd::kError;
  std::string key = hostimpl::upper(name);
  auto setString = [&](const std::string& s) {
    result->type = AcEd::kRtString;
    result->value.string = static_cast<char*>(std::malloc(s.size() + 1));
    std::memcpy(result->value.string, s.c_str(), s.size() + 1);
  };
  if (key == "CLAYER") {
    AcDbDatabase* db = hostimpl::workingDatabase();
    if (!db) return AcEd::kError;
    setString(hostimpl::recordName(db->clayer().stub()));
    return AcEd::kNormal;
  }
  if (key == "DWGNAME") {
    AcApDocument* doc = hostimpl::currentDocument();
    if (!doc) return AcEd::kError;
    setString(doc->fileName());
    return AcEd::kNormal;
  }
  auto it = state().vars.find(key);
  if (it == state().vars.end()) return AcEd::kError;
  const hostimpl::Variable& v = it->second;
  if (v.kind == hostimpl::Variable::kInt) {
    result->type = AcEd::kRtShort;
    result->value.shortValue = static_cast<std::int16_t>(v.i);
  } else if (v.kind == hostimpl::Variable::kReal) {
    result->type = AcEd::kRtReal;
    result->value.real = v.r;
  } else {
    setString(v.s);
  }
  return AcEd::kNormal;
}

int acedSetVar(const char* name, const AcEdResBuf* value) {
  if (!name || !value) return AcEd::kError;
  std::string key = hostimpl::upper(name);
  if (key == "CLAYER") {
    AcDbDatabase* db = hostimpl::workingDatabase();
    if (!db || value->type != AcEd::kRtString || !value->value.string) return AcEd::kError;
    AcDbObjectId id;
    AcDbLayerTable* table = nullptr;
    if (db->getSymbolTable(table, AcDb::kForRead) != AcDb::kOk) return AcEd::kError;
    AcDb::Status es = table->getAt(value->value.string, id);
    table->close();
    return es == AcDb::kOk && db->setClayer(id) == AcDb::kOk ? AcEd::kNormal : AcEd::kError;
  }
  auto it = state().vars.find(key);
  if (it == state().vars.end()) return AcEd::kError;
  hostimpl::Variable& v = it->second;
  double number;
  switch (value->type) {
    case AcEd::kRtShort: number = value->value.shortValue; break;
    case AcEd::kRtLong: number = value->value.longValue; break;
    case AcEd::kRtReal: number = value->value.real; break;
    case AcEd::kRtString:
      if (v.kind != hostimpl::Variable::kString) return AcEd::kError;
      v.s = value->value.string ? value->value.string : "";
      return AcEd::kNormal;
    default:
      return AcEd::kError;
  }
  if (v.kind == hostimpl::Variable::kString || !std::isfinite(number)) return AcEd::kError;
  if (v.kind == hostimpl::Variable::kInt) {
    if (value->type == AcEd::kRtReal || number < 0 || number > 32767) return AcEd::kError;
    v.i = static_cast<int>(number);
  } else {
    if (number <= 0) return AcEd::kError;
    v.r = number;
  }
  return AcEd::kNormal;
}
