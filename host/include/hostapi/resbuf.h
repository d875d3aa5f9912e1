// Result buffers, entity and selection-set names, and the functions that
// build, read and release them: entity data (acdbEntGet), selection
// filters (acutBuildList), host functions callable from the host's
// language (acedDefun ...), command-line output.
//
// A result buffer chain is a singly linked list; each element holds a type
// code and a value. For entity data and selection filters the type code is a
// DXF group code and the value kind follows from it:
//   -1..-2, 330..369   entity name (AcEdName)
//   0..9, 100..102, 300..309, 390..399, 410..419, 999..1009   string
//   10..39, 210..239, 1010..1019   point (3 doubles)
//   40..59, 140..149, 1040..1042   real
//   60..79, 170..179, 270..289, 370..389, 1070   short
//   90..99, 1071   long (32 bits)
//   -4   string (filter operator: "<AND", "AND>", "<OR", "OR>", "<NOT",
//        "NOT>", "<XOR", "XOR>", and the relational "=", "!=", "<", "<=",
//        ">", ">=", "*" that apply to the next test)
// The other type codes (AcEd::kRt...) are value kinds for host results.
#pragma once

#include <cstdint>

#include "hostapi/database.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

// Two-word name of an entity or a selection set. A set name whose two words
// are both zero holds no set.
typedef std::int64_t AcEdName[2];
// A point as three doubles.
typedef double AcEdPoint[3];
// Transformation matrix of a nested pick (block space to world).
typedef double AcEdMatrix[4][4];

namespace AcEd {
// Status codes of the editor functions.
enum Status : int {
  kNormal = 5100,   // completed
  kNone = 5000,     // Enter on a prompt that accepts empty input
  kError = -5001,   // failed; also: a pick or selection found nothing
  kCancel = -5002,  // the user pressed Esc (or the script ended)
  kRejected = -5003,
  kFail = -5004,
  kKeyword = -5005  // a keyword was given (read it with acedGetInput)
};

// Value kinds of result buffers that are not DXF groups.
enum ResultType : int {
  kRtNone = 5000,
  kRtReal = 5001,
  kRtPoint2d = 5002,
  kRtAngle = 5004,
  kRtString = 5005,
  kRtEntityName = 5006,
  kRtPickSet = 5007,
  kRtOrient = 5008,
  kRtPoint3d = 5009,
  kRtShort = 5010,
  kRtLong = 5011,
  kRtVoid = 5014,
  kRtListBegin = 5016,
  kRtListEnd = 5017,
  kRtNil = 5019,
  kRtT = 5021
};
}  // namespace AcEd

struct AcEdResBuf {
  AcEdResBuf* next = nullptr;
  int type = 0;
  union Value {
    double real;
    double point[3];
    std::int16_t shortValue;
    std::int32_t longValue;
    char* string;  // owned by the element (malloc), freed by acutRelRb
    std::int64_t name[2];
  } value{};
};

// Kind of value a type code carries.
enum class AcEdValueKind { kNone, kString, kPoint, kReal, kShort, kLong, kName };
AcEdValueKind acutValueKind(int type);

// A new element of the given type with a zero value (strings null).
AcEdResBuf* acutNewRb(int type);
// Frees a whole chain, strings included. Null is fine.
int acutRelRb(AcEdResBuf* chain);
// Builds a chain from (type, value) pairs ended by a 0 type. Values by kind:
// string const char*, point const double* (3), real double, short int,
// long int, name const std::int64_t* (an AcEdName). A 0 that should be a
// group code (entity type) is given as AcEd::kRtDxf0 instead.
AcEdResBuf* acutBuildList(int type, ...);
namespace AcEd {
constexpr int kRtDxf0 = 5020;  // stands for group 0 inside acutBuildList
}
// Copies a chain.
AcEdResBuf* acutCopyRb(const AcEdResBuf* chain);

// Entity data of a named entity: -1 name, 0 type, 330 owner, 5 handle,
// 8 layer, 6 linetype (only when not by layer), 62 colour (only when not by
// layer), 370 lineweight (only when not by layer), 60 1 (only when
// invisible), then the geometry groups of the type. Null when the name
// names no live entity. Release with acutRelRb.
AcEdResBuf* acdbEntGet(const AcEdName ent);
// The id of a named entity; the name of an id.
AcDb::Status acdbGetObjectId(AcDbObjectId& id, const AcEdName ent);
AcDb::Status acdbGetAdsName(AcEdName ent, AcDbObjectId id);
// Next entity of model space after ent (first when ent is null): kNormal or kError.
int acdbEntNext(const AcEdName ent, AcEdName result);
// The last entity of model space.
int acdbEntLast(AcEdName result);
// Erases a live entity or restores an erased one.
int acdbEntDel(const AcEdName ent);
int acdbNameClear(AcEdName name);
bool acdbNameNil(const AcEdName name);
int acdbNameSet(const AcEdName from, AcEdName to);

// Prints to the command-line transcript (printf format, GBK text).
int acutPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A modal alert: printed to the transcript and kept in the message log.
int acedAlert(const char* text);

// Functions callable from the host's language.
int acedDefun(const char* name, short funcCode);
int acedUndef(const char* name, short funcCode);
int acedRegFunc(int (*fn)(), int funcCode);
// Code of the function being invoked (during a kInvkSubrMsg), else -1.
int acedGetFunCode();
// Arguments of the function being invoked (null when none).
AcEdResBuf* acedGetArgs();
int acedRetVoid();

#pragma GCC visibility pop
