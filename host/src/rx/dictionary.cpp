// Dictionaries: objects by name, in name order.
#include <map>
#include <string>

#include "rx/rx.h"

// --- AcRxDictionary -------------------------------------------------------------

struct AcRxDictionary::Impl {
  std::map<std::string, AcRxObject*> entries;
};

HOST_DEFINE_MEMBERS(AcRxDictionary, AcRxObject)

AcRxDictionary::AcRxDictionary() : impl_(new Impl) {}
AcRxDictionary::~AcRxDictionary() { delete impl_; }

AcRxObject* AcRxDictionary::at(const char* key) const {
  if (!key) return nullptr;
  auto it = impl_->entries.find(key);
  return it == impl_->entries.end() ? nullptr : it->second;
}

AcRxObject* AcRxDictionary::atPut(const char* key, AcRxObject* obj) {
  if (!key) return nullptr;
  AcRxObject*& slot = impl_->entries[key];
  AcRxObject* old = slot;
  slot = obj;
  return old;
}

AcRxObject* AcRxDictionary::remove(const char* key) {
  if (!key) return nullptr;
  auto it = impl_->entries.find(key);
  if (it == impl_->entries.end()) return nullptr;
  AcRxObject* old = it->second;
  impl_->entries.erase(it);
  return old;
}

int AcRxDictionary::numEntries() const { return static_cast<int>(impl_->entries.size()); }

