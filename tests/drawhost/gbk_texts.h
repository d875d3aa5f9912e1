// GBK texts of the drawing tests, as bytes, each with its readable text beside it.
#pragma once

namespace gbk {
inline constexpr const char* kLivingRoom = "\xBF\xCD\xCC\xFC";              // 客厅
inline constexpr const char* kBedroom = "\xCE\xD4\xCA\xD2";                 // 卧室
inline constexpr const char* kStairs = "\xC2\xA5\xCC\xDD\xBC\xE4";          // 楼梯间
inline constexpr const char* kTitle =
    "\xB6\xFE\xB2\xE3\xBD\xE1\xB9\xB9\xC6\xBD\xC3\xE6\xCD\xBC";              // 二层结构平面图
inline constexpr const char* kNotes = "\xCB\xB5\xC3\xF7\xA3\xBA";           // 说明：
inline constexpr const char* kRebar = "\xB8\xD6\xBD\xEE";                   // 钢筋
inline constexpr const char* kBackslashTrail = "\x81\x5C";                  // 乗 (second byte '\')
inline constexpr const char* kCaretTrail = "\x81\x5E";                      // 乛 (second byte '^')
inline constexpr const char* kTrailUpperA = "\x81\x41";                     // 丄 (second byte 'A')
inline constexpr const char* kTrailLowerA = "\x81\x61";                     // 乤 (second byte 'a')
}  // namespace gbk
