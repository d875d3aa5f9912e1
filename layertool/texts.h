// Every text the layer tool shows, in one place.
//
// The host's command line works in code page 936, so each Chinese text is kept
// here as its GBK bytes, with the readable text in the comment beside it.  No
// source file relies on the compiler re-encoding literals.
#pragma once

namespace pnstratakit::text {

// \n点取要关闭的图层上图元:
inline constexpr char kPromptOff[] =
    "\n\xB5\xE3\xC8\xA1\xD2\xAA\xB9\xD8\xB1\xD5\xB5\xC4\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA:";
// \n点取要冻结的图层上图元:
inline constexpr char kPromptFreeze[] =
    "\n\xB5\xE3\xC8\xA1\xD2\xAA\xB6\xB3\xBD\xE1\xB5\xC4\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA:";
// \n点取锁定的图层上图元:
inline constexpr char kPromptLock[] =
    "\n\xB5\xE3\xC8\xA1\xCB\xF8\xB6\xA8\xB5\xC4\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA:";
// \n点取解锁的图层上图元:
inline constexpr char kPromptUnlock[] =
    "\n\xB5\xE3\xC8\xA1\xBD\xE2\xCB\xF8\xB5\xC4\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA:";
// \n请选择要显示的图层上图元：
inline constexpr char kPromptShow[] =
    "\n\xC7\xEB\xD1\xA1\xD4\xF1\xD2\xAA\xCF\xD4\xCA\xBE\xB5\xC4\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA\xA3\xBA";
// \n请选择要编辑的图层上图元：
inline constexpr char kPromptEdit[] =
    "\n\xC7\xEB\xD1\xA1\xD4\xF1\xD2\xAA\xB1\xE0\xBC\xAD\xB5\xC4\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA\xA3\xBA";
// \n请点取将变为当前图层上图元：
inline constexpr char kPromptActive[] =
    "\n\xC7\xEB\xB5\xE3\xC8\xA1\xBD\xAB\xB1\xE4\xCE\xAA\xB5\xB1\xC7\xB0\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA\xA3\xBA";
// \n指定对角点:
inline constexpr char kPromptCorner[] = "\n\xD6\xB8\xB6\xA8\xB6\xD4\xBD\xC7\xB5\xE3:";
// \n选取要隐去的图元:
inline constexpr char kPromptHide[] = "\n\xD1\xA1\xC8\xA1\xD2\xAA\xD2\xFE\xC8\xA5\xB5\xC4\xCD\xBC\xD4\xAA:";
// \n请点取目标图层上图元：
inline constexpr char kPromptTarget[] =
    "\n\xC7\xEB\xB5\xE3\xC8\xA1\xC4\xBF\xB1\xEA\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA\xA3\xBA";
// \n选取要改变图层的图元:
inline constexpr char kPromptMove[] =
    "\n\xD1\xA1\xC8\xA1\xD2\xAA\xB8\xC4\xB1\xE4\xCD\xBC\xB2\xE3\xB5\xC4\xCD\xBC\xD4\xAA:";
// \n请点取要清除图层上图元：
inline constexpr char kPromptClear[] =
    "\n\xC7\xEB\xB5\xE3\xC8\xA1\xD2\xAA\xC7\xE5\xB3\xFD\xCD\xBC\xB2\xE3\xC9\xCF\xCD\xBC\xD4\xAA\xA3\xBA";

// 点取参考图元
inline constexpr char kPromptReference[] = "\xB5\xE3\xC8\xA1\xB2\xCE\xBF\xBC\xCD\xBC\xD4\xAA";

// The texts of the layer-split dialog's template.
// 过滤分层
inline constexpr char kCaptionSplit[] = "\xB9\xFD\xC2\xCB\xB7\xD6\xB2\xE3";
// 过滤选择
inline constexpr char kGroupFilter[] = "\xB9\xFD\xC2\xCB\xD1\xA1\xD4\xF1";
// 图层
inline constexpr char kLayer[] = "\xCD\xBC\xB2\xE3";
// 颜色
inline constexpr char kColour[] = "\xD1\xD5\xC9\xAB";
// 线型 and an ideographic space
inline constexpr char kLinetype[] = "\xCF\xDF\xD0\xCD\xA1\xA1";
// 图元
inline constexpr char kEntity[] = "\xCD\xBC\xD4\xAA";
// 加前缀
inline constexpr char kPrefix[] = "\xBC\xD3\xC7\xB0\xD7\xBA";
// 加后缀
inline constexpr char kSuffix[] = "\xBC\xD3\xBA\xF3\xD7\xBA";
// 指定 after two spaces
inline constexpr char kSpecify[] = "  \xD6\xB8\xB6\xA8";
// 前后缀选项
inline constexpr char kGroupAffix[] = "\xC7\xB0\xBA\xF3\xD7\xBA\xD1\xA1\xCF\xEE";
// 分层方式
inline constexpr char kGroupMode[] = "\xB7\xD6\xB2\xE3\xB7\xBD\xCA\xBD";
// 其它:
inline constexpr char kOther[] = "\xC6\xE4\xCB\xFC:";

// Entities a split left on their layers, once per split: the number, then
// each reason with its count ("%s: %d", joined by ", ").
inline constexpr char kSplitLeft[] = "\n%d entities stayed on their layers (%s).";
inline constexpr char kNameTooLong[] = "new layer name longer than 79 bytes";
inline constexpr char kNameRefused[] = "not a valid layer name";

// A cleared layer whose record stays because entities still use it
// (arguments: layer name, number of entities).
inline constexpr char kLayerKept[] = "\nLayer %s kept: %d entities remain on it.";

}  // namespace pnstratakit::text
