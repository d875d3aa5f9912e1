// Editor input and object selection.
//
// Every input function takes the user's next action (in this host: the
// next action of the input script) and returns an AcEd::Status: kNormal
// when it got what it asked for, kCancel on Esc, kNone on Enter where empty
// input is allowed, kError when a pick found nothing. Prompts go to the
// transcript.
//
// Selection sets are named by an AcEdName; the caller frees every set it
// gets with acedSSFree. Sets hold top-level entities of model space, except
// one made by acedSSAdd from a nested pick.
#pragma once

#include "hostapi/resbuf.h"

// The host library exports what this header declares; the rest of it is hidden.
#pragma GCC visibility push(default)

// Object selection.
//   mode null        interactive selection: picks, boxes, window, crossing,
//                    fence, all, previous, until Enter
//   "I"              the implied (pickfirst) set of the running command
//   "W", "C"         window (wholly inside) / crossing (touching) between
//                    the points pt1 and pt2 (AcEdPoint)
//   "F"              fence: pt1 is a chain of kRtPoint3d elements
//   "A"              every entity of model space not on a frozen layer
//                    (invisible ones and those on off layers included)
//   "P"              the previous selection
// "W", "C", "F" and picks find only displayed entities: visible, on layers
// that are on and thawed. filter is a result-buffer chain (DXF groups with
// wildcard strings, -4 operators) or null. Filtered by group 62 an entity
// by layer has 256; by group 6, "BYLAYER". The result: kNormal with a set
// in ss, or kError (nothing selected) / kCancel with ss untouched.
int acedSSGet(const char* mode, const void* pt1, const void* pt2, const AcEdResBuf* filter,
              AcEdName ss);
// Adds ent to the set ss and names the result in result. With ent null
// and ss null: a new empty set. With ss null: a new set of ent. Otherwise
// ent joins ss (result names ss).
int acedSSAdd(const AcEdName ent, const AcEdName ss, AcEdName result);
int acedSSDel(const AcEdName ent, const AcEdName ss);
int acedSSFree(const AcEdName ss);
int acedSSLength(const AcEdName ss, std::int32_t* length);
int acedSSName(const AcEdName ss, std::int32_t index, AcEdName entity);
// Sets the pickfirst set of the current document (null clears it).
int acedSSSetFirst(const AcEdName pickfirst, const AcEdName unused = nullptr);

// A pick of one top-level entity (a block reference rather than what is
// inside it). Null prompt: the host's "\nSelect object: ".
int acedEntSel(const char* prompt, AcEdName entity, AcEdPoint point);
// A pick that descends into block references: entity is the innermost
// entity under the pick box; xform maps its block's space to the world;
// containers (when not null) receives the chain of block references,
// innermost first (kRtEntityName elements; release with acutRelRb).
int acedNEntSelP(const char* prompt, AcEdName entity, AcEdPoint point, int pickFlag,
                 AcEdMatrix xform, AcEdResBuf** containers);

int acedGetPoint(const AcEdPoint base, const char* prompt, AcEdPoint result);
int acedGetCorner(const AcEdPoint base, const char* prompt, AcEdPoint result);
int acedGetString(int allowSpaces, const char* prompt, char* result, std::size_t bufferSize);
int acedGetInt(const char* prompt, int* result);
int acedGetReal(const char* prompt, double* result);
// Options for the next input function (bit 1: no empty input, 32: dashed
// rubber band, ...); keywords separated by spaces.
int acedInitGet(int flags, const char* keywords);
// Text of the last keyword answer.
int acedGetInput(char* result, std::size_t bufferSize);

// Reads one input event. Event types (the value in *type):
//   3   a point was picked (result: kRtPoint3d)
//   5   the pointer moved or was dragged (result: kRtPoint3d, the press
//       point of a box drag)
//   2   a key (result: kRtShort with the character code; Enter is 13)
//   12  the secondary button with the pointer position (kRtPoint3d)
//   13  a pointer event announcing another (the caller reads again)
// track: bit 1 report pointer movement, 2 all keys, 4 use cursorType,
// 8 no console-break message. The result chain is the one element result.
int acedGrRead(int track, int* type, AcEdResBuf* result, int cursorType = 0);
namespace AcEd {
enum GrReadEvent { kGrKey = 2, kGrPick = 3, kGrDrag = 5, kGrSecondary = 12, kGrAnnounce = 13 };
}

// System variables of the host ("OSMODE", "PICKBOX", "CLAYER", ...).
// acedGetVar fills result (no chain); acedSetVar takes a short value
// (kRtShort), a long, a real or a string as the variable needs. kError for unknown names or wrong kinds.
int acedGetVar(const char* name, AcEdResBuf* result);
int acedSetVar(const char* name, const AcEdResBuf* value);

// Sends host commands, given as (type, value) pairs ended by 0:
// acedCommand(AcEd::kRtString, "REGEN", AcEd::kRtString, "", 0) regenerates;
// acedCommand(AcEd::kRtString, "select", AcEd::kRtPickSet, ss,
//             AcEd::kRtString, "", 0) makes ss the previous selection.
// Unknown commands give kError.
int acedCommand(int type, ...);
int acedCmd(const AcEdResBuf* args);

// Draws what is queued and updates the display.
void acedUpdateDisplay();
int acedRedraw(const AcEdName ent, int mode);

#pragma GCC visibility pop
