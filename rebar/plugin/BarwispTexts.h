// The texts the rebar plug-in shows, as GBK bytes.
//
// Every non-ASCII byte the plug-in prints comes from here; each literal
// carries its readable text beside it. A \x escape takes every hex digit
// after it, so no escape here is followed by a digit or a letter a-f.
#pragma once

namespace barwisp::text {

// The version message: welcome, author, what the program does, its version,
// and where newer versions are published. Holds no '%'.
// "欢迎使用structkit的实时显示钢筋标注面积程序，您当前使用的程序版本是V0.44。\n"
// "最新版本请关注：https://structkit.example.org。"
inline constexpr char kVersionMessage[] =
    "\xbb\xb6\xd3\xad\xca\xb9\xd3\xc3"  // 欢迎使用
    "structkit"
    // 的实时显示钢筋标注面积程序，您当前使用的程序版本是V0.44。
    "\xb5\xc4\xca\xb5\xca\xb1\xcf\xd4\xca\xbe\xb8\xd6\xbd\xee\xb1\xea\xd7\xa2\xc3\xe6\xbb\xfd"
    "\xb3\xcc\xd0\xf2\xa3\xac\xc4\xfa\xb5\xb1\xc7\xb0\xca\xb9\xd3\xc3\xb5\xc4\xb3\xcc\xd0\xf2"
    "\xb0\xe6\xb1\xbe\xca\xc7V0.44\xa1\xa3\n"
    "\xd7\xee\xd0\xc2\xb0\xe6\xb1\xbe\xc7\xeb\xb9\xd8\xd7\xa2\xa3\xba"  // 最新版本请关注：
    "https://structkit.example.org"
    "\xa1\xa3";  // 。

// Shown once at load when the settings file cannot be read.
inline constexpr char kConfigNotLoaded[] = "can not load xml config file";

// The plug-in's module and settings file names.
inline constexpr char kModuleName[] = "kvbarwisp.arx";
inline constexpr char kConfigFileName[] = "KVBarwisp.xml";

}  // namespace barwisp::text
