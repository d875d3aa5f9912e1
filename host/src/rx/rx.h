// The runtime-class layer under everything else: every host class has one
// descriptor, made on first use of desc(), registered in "ClassDictionary"
// under its name and never freed; a class's parent descriptor exists before
// its own. Classes made by plug-ins (newAcRxClass) are the only ones that
// can be deleted again.
#pragma once

#include "hostapi/rxclass.h"

namespace hostimpl {
// Registers a class in "ClassDictionary" and returns it.
AcRxClass* registerClass(AcRxClass* cls);
// Whether a walk that recurses once per level of block nesting may go one level deeper: true
// while the thread's stack has room to spare. Deeper content is left out, never overflowing.
bool stackHasRoom();
// Makes every host class's descriptor, so that the dictionary lists them all
// before anyone looks a parent up by name.
void ensureHostClasses();
}  // namespace hostimpl

// Defines desc() and isA() of a host class.
#define HOST_DEFINE_MEMBERS(CLASS, PARENT)                                            \
  AcRxClass* CLASS::desc() {                                                          \
    static AcRxClass* const cls = hostimpl::registerClass(new AcRxClass(#CLASS, PARENT::desc())); \
    return cls;                                                                       \
  }                                                                                   \
  AcRxClass* CLASS::isA() const { return CLASS::desc(); }
