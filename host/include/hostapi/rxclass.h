// Runtime classes, the system registry and the dynamic linker.
//
// Every host object derives from AcRxObject and answers desc() (its class
// descriptor, static) and isA() (the descriptor of its dynamic class).
// isKindOf walks the parent chain of isA(). The system registry
// (acrxSysRegistry) is a dictionary from service name to object; the host
// puts "DynamicLinker", "ACAD_REGISTERED_COMMANDS" and "ClassDictionary" in it.
#pragma once

#include <cstdint>

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

class AcRxClass;

class AcRxObject {
 public:
  virtual ~AcRxObject();
  static AcRxClass* desc();
  virtual AcRxClass* isA() const;
  bool isKindOf(const AcRxClass* someClass) const;
  static AcRxObject* cast(const AcRxObject* obj) { return const_cast<AcRxObject*>(obj); }
};

// Declares desc(), isA() and cast() of a class derived from AcRxObject.
#define ACRX_DECLARE_MEMBERS(CLASS)                                   \
  static AcRxClass* desc();                                           \
  AcRxClass* isA() const override;                                    \
  static CLASS* cast(const AcRxObject* obj) {                         \
    return obj && obj->isKindOf(CLASS::desc()) ? const_cast<CLASS*>(  \
                                                     static_cast<const CLASS*>(obj)) \
                                               : nullptr;             \
  }

class AcRxClass : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxClass)
  AcRxClass(const char* name, AcRxClass* parent);
  ~AcRxClass() override;
  const char* name() const { return name_; }
  AcRxClass* myParent() const { return parent_; }
  bool isDerivedFrom(const AcRxClass* other) const;

 private:
  char name_[64];
  AcRxClass* parent_;
};

// A dictionary from name to object. Names compare exactly (case matters).
// The dictionary does not own what it holds.
class AcRxDictionary : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxDictionary)
  AcRxDictionary();
  ~AcRxDictionary() override;
  AcRxObject* at(const char* key) const;
  // Stores obj under key and returns what was stored there before, or null.
  AcRxObject* atPut(const char* key, AcRxObject* obj);
  // Removes key and returns what was stored, or null.
  AcRxObject* remove(const char* key);
  bool has(const char* key) const { return at(key) != nullptr; }
  int numEntries() const;

 private:
  struct Impl;
  Impl* impl_;
};

AcRxDictionary* acrxSysRegistry();
// The "ClassDictionary" service: every registered runtime class by name.
AcRxDictionary* acrxClassDictionary();

// A class for a plug-in's custom objects, registered in "ClassDictionary".
// parentName must name a registered class; null parent means AcRxObject.
AcRxClass* newAcRxClass(const char* className, const char* parentName);
// Removes a class made by newAcRxClass from "ClassDictionary" and frees it.
void deleteAcRxClass(AcRxClass* someClass);
// Rebuilds the parent links of classes registered since the last call.
void acrxBuildClassHierarchy();

namespace AcRx {
// Life-cycle messages sent to a plug-in's acrxEntryPoint. The underlying
// type is int, so codes outside the list are valid values too.
enum AppMsgCode : int {
  kNullMsg = 0,
  kInitAppMsg = 1,
  kUnloadAppMsg = 2,
  kLoadDwgMsg = 3,
  kUnloadDwgMsg = 4,
  kInvkSubrMsg = 5,
  kCfgMsg = 6,
  kEndMsg = 7,
  kQuitMsg = 8,
  kSaveMsg = 9,
  kDependencyMsg = 10,
  kNoDependencyMsg = 11,
  kOleUnloadAppMsg = 12,
  kPreQuitMsg = 13,
  kInitDialogMsg = 14,
  kEndDialogMsg = 15
};
enum AppRetCode : int { kRetOK = 0, kRetError = 3 };

// Version of the plug-in interface this host implements; a plug-in's
// acrxGetApiVersion must return it.
constexpr int kApiVersion = 0x100000;
}  // namespace AcRx

// The "DynamicLinker" service. appId is the packet of the initialise message.
class AcRxDynamicLinker : public AcRxObject {
 public:
  ACRX_DECLARE_MEMBERS(AcRxDynamicLinker)
  // Marks the application as unloadable. Without it the host keeps the
  // plug-in loaded until it shuts down.
  bool unlockApplication(void* appId) const;
  bool lockApplication(void* appId) const;
  bool isApplicationLocked(const char* appName) const;
  // Marks the application as able to work with several open drawings.
  bool registerAppMDIAware(void* appId) const;
  bool registerAppNotMDIAware(void* appId) const;
};
AcRxDynamicLinker* acrxDynamicLinker();

// Exported by every plug-in. ACRX_ENTRY_EXPORT gives C linkage and default
// visibility, so the names survive a hidden-visibility build.
#define ACRX_ENTRY_EXPORT extern "C" __attribute__((visibility("default")))
typedef AcRx::AppRetCode (*AcRxEntryPointFunc)(AcRx::AppMsgCode msg, void* pkt);
typedef int (*AcRxGetApiVersionFunc)();

#pragma GCC visibility pop
