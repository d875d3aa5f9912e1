// The command stack: commands registered by group, with a global name (the
// same in every language version) and a local name (what the user types).
//
// The stack is the "ACAD_REGISTERED_COMMANDS" entry of acrxSysRegistry.
// The user's input is matched without regard to case against local names
// first, then global names; "_NAME" matches only global names. Groups added
// later are searched first.
#pragma once

#include "hostapi/database.h"
#include "hostapi/winshim.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

typedef void (*AcRxFunctionPtr)();

// Command flags.
namespace AcEdCommandFlags {
constexpr int kModal = 0;
constexpr int kTransparent = 1;   // may run while another command waits for input
constexpr int kUsePickSet = 2;    // sees the pickfirst set through acedSSGet("I")
constexpr int kRedraw = 4;        // keeps the pickfirst set and grips afterwards
constexpr int kNoResourceModule = 0x200000;  // the host does not switch resources
}  // namespace AcEdCommandFlags

class AcEdUIContext : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcEdUIContext)
};

class AcEdCommand : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcEdCommand)
  const char* groupName() const;
  const char* globalName() const;
  const char* localName() const;
  int commandFlags() const;
  AcRxFunctionPtr functionAddr() const;
  AcEdUIContext* UIContext() const;
  int functionCode() const;
  HINSTANCE resourceHandle() const;

  // Host-internal.
  struct Impl;
  explicit AcEdCommand(Impl* impl);
  ~AcEdCommand() override;
  Impl* impl_;
};

class AcEdCommandStack : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcEdCommandStack)
  // kDuplicateKey when the group already has the global or local name,
  // kInvalidInput for empty names or a null handler.
  AcDb::Status addCommand(const char* groupName, const char* globalName, const char* localName,
                          int flags, AcRxFunctionPtr handler, AcEdUIContext* context = nullptr,
                          int functionCode = -1, HINSTANCE resourceHandle = nullptr,
                          AcEdCommand** commandCreated = nullptr);
  AcDb::Status removeCmd(const char* groupName, const char* globalName);
  AcDb::Status removeGroup(const char* groupName);
  AcEdCommand* lookupGlobalCmd(const char* globalName) const;
  AcEdCommand* lookupLocalCmd(const char* localName) const;
  // As the command line does: local names, then global, "_" for global only.
  AcEdCommand* lookupCmd(const char* typed) const;
  int numCommands() const;
  // The command that runs now (innermost when transparent), or null.
  AcEdCommand* activeCommand() const;
};
AcEdCommandStack* acedRegCmds();

// Command-line window messages filter (kept for plug-ins that install one;
// this host has no window messages and never calls it).
typedef bool (*AcedFilterWinMsgFn)(void* msg);
bool acedRegisterFilterWinMsg(AcedFilterWinMsgFn fn);
bool acedRemoveFilterWinMsg(AcedFilterWinMsgFn fn);
// The host's main window (a stand-in handle, never null).
HWND adsw_acadMainWnd();

#pragma GCC visibility pop
