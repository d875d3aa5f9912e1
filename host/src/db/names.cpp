// Names and look-ups: case folding of record names, databases by serial,
// entity names to stubs and back, the working database.
//
// An entity name is (handle, database serial). Both words are checked
// against the tables before anything is touched, so a stale or forged name
// gives a status, never a crash.
#include <cctype>
#include <vector>

#include "db/db.h"

namespace {
std::vector<AcDbDatabase*>& databasesBySerial() {
  static std::vector<AcDbDatabase*> dbs;
  return dbs;
}
AcDbDatabase* gExplicitWorkingDb = nullptr;
}  // namespace

namespace hostimpl {

// Case folding of names: ASCII letters only, and never the trail byte of
// a GBK double-byte character (its range includes the letters).
std::string upper(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); ++i) {
    auto c = static_cast<unsigned char>(out[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < out.size()) {
      ++i;
      continue;
    }
    out[i] = static_cast<char>(std::toupper(c));
  }
  return out;
}

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && upper(a) == upper(b);
}

AcDbDatabase* databaseBySerial(std::uint32_t serial) {
  auto& dbs = databasesBySerial();
  return serial >= 1 && serial <= dbs.size() ? dbs[serial - 1] : nullptr;
}

AcDbStub* stubFromName(const AcEdName name) {
  if (!name || name[1] <= 0 || name[1] > 0xFFFFFFFFll) return nullptr;
  AcDbDatabase* db = databaseBySerial(static_cast<std::uint32_t>(name[1]));
  if (!db || name[0] <= 0 || static_cast<std::uint64_t>(name[0]) > db->impl()->stubs.size())
    return nullptr;
  AcDbStub* stub = &db->impl()->stubs[name[0] - 1];
  return stub->object ? stub : nullptr;
}

void nameFromStub(const AcDbStub* stub, AcEdName name) {
  if (!stub) {
    name[0] = name[1] = 0;
    return;
  }
  name[0] = static_cast<std::int64_t>(stub->handle);
  name[1] = stub->database->impl()->serial;
}

AcDbStub* stubOf(AcDbObjectId id) { return id.stub(); }

const char* recordName(const AcDbStub* stub) {
  auto* rec = stub ? AcDbSymbolTableRecord::cast(stub->object) : nullptr;
  return rec ? rec->name_.c_str() : "";
}

void bumpModifications(AcDbDatabase* db) {
  if (db) ++db->impl()->modifications;
}

std::uint32_t registerDatabaseSerial(AcDbDatabase* db) {
  auto& dbs = databasesBySerial();
  dbs.push_back(db);
  return static_cast<std::uint32_t>(dbs.size());
}

void forgetDatabaseSerial(AcDbDatabase* db) { databasesBySerial()[db->impl()->serial - 1] = nullptr; }

AcDbDatabase* workingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

}  // namespace hostimpl

using hostimpl::stubOf;

// --- application services ----------------------------------------------------------

AcDbDatabase* AcDbHostApplicationServices::workingDatabase() const {
  if (gExplicitWorkingDb) return gExplicitWorkingDb;
  AcApDocument* doc = hostimpl::currentDocument();
  return doc ? doc->database() : nullptr;
}

void AcDbHostApplicationServices::setWorkingDatabase(AcDbDatabase* db) {
  gExplicitWorkingDb = db;
}

AcDbHostApplicationServices* acdbHostApplicationServices() {
  static AcDbHostApplicationServices services;
  return &services;
}

// --- names ---------------------------------------------------------------------------

AcDb::Status acdbGetObjectId(AcDbObjectId& id, const AcEdName ent) {
  AcDbStub* stub = hostimpl::stubFromName(ent);
  if (!stub) return AcDb::kInvalidInput;
  id = AcDbObjectId(stub);
  return AcDb::kOk;
}

AcDb::Status acdbGetAdsName(AcEdName ent, AcDbObjectId id) {
  if (!ent) return AcDb::kInvalidInput;
  AcDbStub* stub = stubOf(id);
  if (!stub || !stub->object || !stub->database) return AcDb::kNullObjectId;
  hostimpl::nameFromStub(stub, ent);
  return AcDb::kOk;
}

int acdbNameClear(AcEdName name) {
  if (name) name[0] = name[1] = 0;
  return AcEd::kNormal;
}
bool acdbNameNil(const AcEdName name) { return !name || (name[0] == 0 && name[1] == 0); }
int acdbNameSet(const AcEdName from, AcEdName to) {
  if (!from || !to) return AcEd::kError;
  to[0] = from[0], to[1] = from[1];
  return AcEd::kNormal;
}
