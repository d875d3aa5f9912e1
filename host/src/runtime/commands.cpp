// The command stack, functions callable from the host's language, and the
// window-message filter list.
//
// Commands are kept per group in order of adding; groups are searched from
// the most recently added. Each command remembers the plug-in module that
// was running when it was added, so unloading a plug-in removes whatever it
// left behind and no handler of an unloaded library can be called.
#include <algorithm>
#include <memory>

#include "db/db.h"
#include "editor/editor.h"
#include "runtime/runtime.h"
#include "rx/rx.h"

struct AcEdCommand::Impl {
  std::string group, global, local;
  int flags = 0;
  AcRxFunctionPtr fn = nullptr;
  AcEdUIContext* context = nullptr;
  int functionCode = -1;
  HINSTANCE resource = nullptr;
  hostimpl::Module* module = nullptr;
};

HOST_DEFINE_MEMBERS(AcEdUIContext, AcRxObject)
HOST_DEFINE_MEMBERS(AcEdCommand, AcRxObject)
HOST_DEFINE_MEMBERS(AcEdCommandStack, AcRxObject)

AcEdCommand::AcEdCommand(Impl* impl) : impl_(impl) {}
AcEdCommand::~AcEdCommand() { delete impl_; }
const char* AcEdCommand::groupName() const { return impl_->group.c_str(); }
const char* AcEdCommand::globalName() const { return impl_->global.c_str(); }
const char* AcEdCommand::localName() const { return impl_->local.c_str(); }
int AcEdCommand::commandFlags() const { return impl_->flags; }
AcRxFunctionPtr AcEdCommand::functionAddr() const { return impl_->fn; }
AcEdUIContext* AcEdCommand::UIContext() const { return impl_->context; }
int AcEdCommand::functionCode() const { return impl_->functionCode; }
HINSTANCE AcEdCommand::resourceHandle() const { return impl_->resource; }

namespace hostimpl {
namespace {

struct Group {
  std::string name;
  std::vector<std::unique_ptr<AcEdCommand>> commands;
};

struct CommandTable {
  std::vector<Group> groups;
  AcEdCommand* active = nullptr;
  // Commands removed while running are kept until the host is idle.
  std::vector<std::unique_ptr<AcEdCommand>> retired;
};

CommandTable& table() {
  static CommandTable* t = new CommandTable;
  return *t;
}

Group* findGroup(const char* name) {
  for (Group& g : table().groups)
    if (equalNoCase(g.name, name)) return &g;
  return nullptr;
}

void retire(std::unique_ptr<AcEdCommand> cmd) { table().retired.push_back(std::move(cmd)); }

// The host's own commands: a group that plug-ins can neither add to nor remove, searched
// before theirs, as an editor's built-in commands come before those of its add-ons.
Group& hostGroup() {
  static Group* const group = [] {
    auto* g = new Group{kHostCommandGroup, {}};
    for (const HostCommandEntry& entry : hostCommandEntries()) {
      auto* impl = new AcEdCommand::Impl;
      impl->group = g->name;
      impl->global = impl->local = entry.name;
      impl->flags = entry.flags;
      impl->fn = entry.handler;
      impl->module = hostModule();
      g->commands.push_back(std::make_unique<AcEdCommand>(impl));
    }
    return g;
  }();
  return *group;
}

}  // namespace

bool isHostCommand(const AcEdCommand* cmd) {
  for (const auto& c : hostGroup().commands)
    if (c.get() == cmd) return true;
  return false;
}

std::vector<drawhost::CommandInfo> hostCommandList() {
  std::vector<drawhost::CommandInfo> out;
  for (const auto& c : hostGroup().commands)
    out.push_back({kHostCommandGroup, c->impl_->global, c->impl_->local, c->impl_->flags});
  return out;
}

void setActiveCommand(AcEdCommand* cmd) {
  table().active = cmd;
  if (!cmd) table().retired.clear();
}

AcEdCommand* findCommand(const std::string& typed) {
  if (typed.empty()) return nullptr;
  bool globalOnly = typed[0] == '_';
  std::string name = globalOnly ? typed.substr(1) : typed;
  for (auto& c : hostGroup().commands)
    if (equalNoCase(c->impl_->global, name)) return c.get();
  auto& groups = table().groups;
  if (!globalOnly)
    for (auto g = groups.rbegin(); g != groups.rend(); ++g)
      for (auto& c : g->commands)
        if (equalNoCase(c->impl_->local, name)) return c.get();
  for (auto g = groups.rbegin(); g != groups.rend(); ++g)
    for (auto& c : g->commands)
      if (equalNoCase(c->impl_->global, name) ||
          (globalOnly && equalNoCase(c->impl_->global, typed)))
        return c.get();
  return nullptr;
}

Module* commandModule(AcEdCommand* cmd) { return cmd ? cmd->impl_->module : nullptr; }

void dropCommandsOf(Module* m) {
  for (Group& g : table().groups) {
    auto& cmds = g.commands;
    for (auto it = cmds.begin(); it != cmds.end();) {
      if ((*it)->impl_->module == m) {
        retire(std::move(*it));
        it = cmds.erase(it);
      } else {
        ++it;
      }
    }
  }
  auto& groups = table().groups;
  groups.erase(std::remove_if(groups.begin(), groups.end(),
                              [](const Group& g) { return g.commands.empty(); }),
               groups.end());
}

std::vector<drawhost::CommandInfo> commandList() {
  std::vector<drawhost::CommandInfo> out;
  for (const Group& g : table().groups)
    for (const auto& c : g.commands)
      out.push_back({g.name, c->impl_->global, c->impl_->local, c->impl_->flags});
  return out;
}

}  // namespace hostimpl

using hostimpl::table;

AcDb::Status AcEdCommandStack::addCommand(const char* groupName, const char* globalName,
                                          const char* localName, int flags,
                                          AcRxFunctionPtr handler, AcEdUIContext* context,
                                          int functionCode, HINSTANCE resourceHandle,
                                          AcEdCommand** commandCreated) {
  if (commandCreated) *commandCreated = nullptr;
  if (!groupName || !*groupName || !globalName || !*globalName || !localName || !*localName ||
      !handler)
    return AcDb::kInvalidInput;
  hostimpl::Group* group = hostimpl::findGroup(groupName);
  if (group)
    for (auto& c : group->commands)
      if (hostimpl::equalNoCase(c->impl_->global, globalName) ||
          hostimpl::equalNoCase(c->impl_->local, localName))
        return AcDb::kDuplicateKey;
  if (!group) {
    table().groups.push_back({groupName, {}});
    group = &table().groups.back();
  }
  auto* impl = new AcEdCommand::Impl;
  impl->group = group->name;
  impl->global = globalName;
  impl->local = localName;
  impl->flags = flags;
  impl->fn = handler;
  impl->context = context;
  impl->functionCode = functionCode;
  impl->resource = resourceHandle;
  impl->module = hostimpl::activeModule();
  group->commands.push_back(std::make_unique<AcEdCommand>(impl));
  if (commandCreated) *commandCreated = group->commands.back().get();
  return AcDb::kOk;
}

AcDb::Status AcEdCommandStack::removeCmd(const char* groupName, const char* globalName) {
  hostimpl::Group* group = groupName ? hostimpl::findGroup(groupName) : nullptr;
  if (!group || !globalName) return AcDb::kKeyNotFound;
  auto& cmds = group->commands;
  for (auto it = cmds.begin(); it != cmds.end(); ++it)
    if (hostimpl::equalNoCase((*it)->impl_->global, globalName)) {
      hostimpl::retire(std::move(*it));
      cmds.erase(it);
      if (cmds.empty()) removeGroup(groupName);
      return AcDb::kOk;
    }
  return AcDb::kKeyNotFound;
}

AcDb::Status AcEdCommandStack::removeGroup(const char* groupName) {
  auto& groups = table().groups;
  for (auto it = groups.begin(); it != groups.end(); ++it)
    if (hostimpl::equalNoCase(it->name, groupName ? groupName : "")) {
      for (auto& c : it->commands) hostimpl::retire(std::move(c));
      groups.erase(it);
      return AcDb::kOk;
    }
  return AcDb::kKeyNotFound;
}

AcEdCommand* AcEdCommandStack::lookupGlobalCmd(const char* globalName) const {
  if (!globalName) return nullptr;
  for (auto g = table().groups.rbegin(); g != table().groups.rend(); ++g)
    for (auto& c : g->commands)
      if (hostimpl::equalNoCase(c->impl_->global, globalName)) return c.get();
  return nullptr;
}

AcEdCommand* AcEdCommandStack::lookupLocalCmd(const char* localName) const {
  if (!localName) return nullptr;
  for (auto g = table().groups.rbegin(); g != table().groups.rend(); ++g)
    for (auto& c : g->commands)
      if (hostimpl::equalNoCase(c->impl_->local, localName)) return c.get();
  return nullptr;
}

AcEdCommand* AcEdCommandStack::lookupCmd(const char* typed) const {
  return typed ? hostimpl::findCommand(typed) : nullptr;
}

int AcEdCommandStack::numCommands() const {
  int n = 0;
  for (const auto& g : table().groups) n += static_cast<int>(g.commands.size());
  return n;
}

AcEdCommand* AcEdCommandStack::activeCommand() const { return table().active; }

AcEdCommandStack* acedRegCmds() {
  static AcEdCommandStack* const stack = new AcEdCommandStack;
  return stack;
}

// --- functions of the host's language -----------------------------------------------------------

namespace {
struct LanguageFunction {
  std::string name;
  short code;
  int (*fn)() = nullptr;
  hostimpl::Module* module;
};
std::vector<LanguageFunction>& languageFunctions() {
  static std::vector<LanguageFunction> fns;
  return fns;
}
int gInvokedCode = -1;
}  // namespace

int acedDefun(const char* name, short funcCode) {
  if (!name || !*name || funcCode < 0) return AcEd::kError;
  for (auto& f : languageFunctions())
    if (f.module == hostimpl::activeModule() && f.code == funcCode) {
      f.name = name;
      return AcEd::kNormal;
    }
  languageFunctions().push_back({name, funcCode, nullptr, hostimpl::activeModule()});
  return AcEd::kNormal;
}

int acedUndef(const char* name, short funcCode) {
  auto& fns = languageFunctions();
  for (auto it = fns.begin(); it != fns.end(); ++it)
    if (it->module == hostimpl::activeModule() && it->code == funcCode &&
        hostimpl::equalNoCase(it->name, name ? name : "")) {
      fns.erase(it);
      return AcEd::kNormal;
    }
  return AcEd::kError;
}

int acedRegFunc(int (*fn)(), int funcCode) {
  for (auto& f : languageFunctions())
    if (f.module == hostimpl::activeModule() && f.code == funcCode) {
      f.fn = fn;
      return AcEd::kNormal;
    }
  return AcEd::kError;
}

int acedGetFunCode() { return gInvokedCode; }
AcEdResBuf* acedGetArgs() { return nullptr; }
int acedRetVoid() { return AcEd::kNormal; }

namespace hostimpl {
void dropFunctionsOf(Module* m) {
  auto& fns = languageFunctions();
  fns.erase(std::remove_if(fns.begin(), fns.end(),
                           [m](const LanguageFunction& f) { return f.module == m; }),
            fns.end());
}
int languageFunctionCount() { return static_cast<int>(languageFunctions().size()); }
void setInvokedCode(int code) { gInvokedCode = code; }
}  // namespace hostimpl

// --- window messages ------------------------------------------------------------------------------

namespace {
std::vector<AcedFilterWinMsgFn>& filters() {
  static std::vector<AcedFilterWinMsgFn> f;
  return f;
}
}  // namespace

bool acedRegisterFilterWinMsg(AcedFilterWinMsgFn fn) {
  if (!fn || std::find(filters().begin(), filters().end(), fn) != filters().end()) return false;
  filters().push_back(fn);
  return true;
}

bool acedRemoveFilterWinMsg(AcedFilterWinMsgFn fn) {
  auto it = std::find(filters().begin(), filters().end(), fn);
  if (it == filters().end()) return false;
  filters().erase(it);
  return true;
}

HWND adsw_acadMainWnd() {
  static int mainWindow;
  return reinterpret_cast<HWND>(&mainWindow);
}
