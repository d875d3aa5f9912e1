// Definition of desc() and isA() for the host's runtime classes.
#pragma once

#include "hostapi/rxclass.h"

namespace hostimpl {
// Registers a class in "ClassDictionary" and returns it.
AcRxClass* registerClass(AcRxClass* cls);
}

#define HOST_DEFINE_MEMBERS(CLASS, PARENT)                                            \
  AcRxClass* CLASS::desc() {                                                          \
    static AcRxClass* const cls = hostimpl::registerClass(new AcRxClass(#CLASS, PARENT::desc())); \
    return cls;                                                                       \
  }                                                                                   \
  AcRxClass* CLASS::isA() const { return CLASS::desc(); }
