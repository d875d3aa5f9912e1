// The host commands plug-ins send through acedCommand and acedCmd:
// "REGEN", and "select" with selection sets or entity names (which makes
// them the previous selection).
#include <cstdarg>

#include "db/db.h"
#include "editor/editor.h"
#include "io/text_encoding.h"
#include "runtime/runtime.h"

namespace {
struct CommandToken {
  int type;
  std::string text;
  std::int64_t name[2] = {0, 0};
};

int runHostCommand(const std::vector<CommandToken>& tokens) {
  size_t i = 0;
  while (i < tokens.size()) {
    const CommandToken& t = tokens[i];
    if (t.type != AcEd::kRtString) return AcEd::kError;
    std::string cmd = hostimpl::upper(t.text);
    while (!cmd.empty() && (cmd[0] == '_' || cmd[0] == '.')) cmd.erase(0, 1);
    ++i;
    if (cmd.empty()) continue;  // Enter between commands
    if (cmd == "REGEN") {
      hostimpl::countRegen();
      hostimpl::print("\nRegenerating drawing.");
      continue;
    }
    if (cmd == "SELECT") {
      std::vector<AcDbStub*> members;
      for (; i < tokens.size() && tokens[i].type != AcEd::kRtString; ++i) {
        if (tokens[i].type == AcEd::kRtPickSet) {
          hostimpl::SelectionSet* set = hostimpl::findSet(tokens[i].name);
          if (!set) return AcEd::kError;
          members.insert(members.end(), set->members().begin(), set->members().end());
        } else if (tokens[i].type == AcEd::kRtEntityName) {
          if (AcDbStub* s = hostimpl::stubFromName(tokens[i].name)) members.push_back(s);
        } else {
          return AcEd::kError;
        }
      }
      if (AcApDocument* doc = hostimpl::currentDocument())
        hostimpl::docState(doc).previous = hostimpl::liveOnly(members);
      continue;
    }
    hostimpl::print("\nUnknown command \"" + t.text + "\".");
    return AcEd::kError;
  }
  return AcEd::kNormal;
}
}  // namespace

int acedCommand(int type, ...) {
  va_list args;
  va_start(args, type);
  std::vector<CommandToken> tokens;
  bool ok = true;
  for (int t = type; t != 0; t = va_arg(args, int)) {
    CommandToken tok{t, {}};
    switch (acutValueKind(t)) {
      case AcEdValueKind::kString: {
        const char* s = va_arg(args, const char*);
        tok.text = s ? s : "";
        break;
      }
      case AcEdValueKind::kName: {
        const std::int64_t* n = va_arg(args, const std::int64_t*);
        if (n) tok.name[0] = n[0], tok.name[1] = n[1];
        break;
      }
      case AcEdValueKind::kPoint:
        va_arg(args, const double*);
        break;
      case AcEdValueKind::kReal:
        va_arg(args, double);
        break;
      case AcEdValueKind::kShort:
      case AcEdValueKind::kLong:
        va_arg(args, int);
        break;
      case AcEdValueKind::kNone:
        ok = false;
        break;
    }
    if (!ok) break;
    tokens.push_back(tok);
  }
  va_end(args);
  return ok ? runHostCommand(tokens) : AcEd::kError;
}

int acedCmd(const AcEdResBuf* args) {
  std::vector<CommandToken> tokens;
  for (; args; args = args->next) {
    CommandToken tok{args->type, {}};
    if (acutValueKind(args->type) == AcEdValueKind::kString)
      tok.text = args->value.string ? args->value.string : "";
    if (acutValueKind(args->type) == AcEdValueKind::kName)
      tok.name[0] = args->value.name[0], tok.name[1] = args->value.name[1];
    tokens.push_back(tok);
  }
  return runHostCommand(tokens);
}
