// The Chinese texts of the rebar results, as GBK bytes.
//
// Every non-ASCII byte the calculator writes comes from here; each literal
// carries its readable text beside it. A \x escape takes every hex digit
// after it, so no escape here is followed by a digit or a letter a-f.
#pragma once

namespace rebarcalc::gbk {

// "φ" (the bar diameter sign)
inline constexpr char kPhi[] = "\xa6\xd5";
// "面积：" (area:)
inline constexpr char kArea[] = "\xc3\xe6\xbb\xfd\xa3\xba";
// "-可选钢筋:" (candidate bars), after "[total]"
inline constexpr char kCandidateBars[] = "-\xbf\xc9\xd1\xa1\xb8\xd6\xbd\xee:";
// "面积(1m)\n" (area per metre)
inline constexpr char kAreaPerMetre[] = "\xc3\xe6\xbb\xfd(1m)\n";
// "箍筋" (stirrups)
inline constexpr char kStirrups[] = "\xb9\xbf\xbd\xee";
// "可选箍筋：" (candidate stirrups:)
inline constexpr char kCandidateStirrups[] = "\xbf\xc9\xd1\xa1\xb9\xbf\xbd\xee\xa3\xba";
// "可选纵筋(按最大值计算)：" (candidate longitudinal bars, by the largest value:)
inline constexpr char kCandidateLongitudinal[] =
    "\xbf\xc9\xd1\xa1\xd7\xdd\xbd\xee(\xb0\xb4\xd7\xee\xb4\xf3\xd6\xb5\xbc\xc6\xcb\xe3)\xa3\xba";

// Grade labels: ASCII comma, grade name, full-width colon "："
inline constexpr char kLabelHPB235[] = ",HPB235\xa3\xba";
inline constexpr char kLabelHRB335[] = ",HRB335\xa3\xba";
inline constexpr char kLabelHRB400[] = ",HRB400\xa3\xba";
inline constexpr char kLabelRRB400[] = ",RRB400\xa3\xba";

// Stirrup-demand scheme headings.
// "\n按@100-@200计算："
inline constexpr char kScheme100And200[] =
    "\n\xb0\xb4@100-@200\xbc\xc6\xcb\xe3\xa3\xba";
// "\n按@100-@150计算 ："
inline constexpr char kScheme100And150[] =
    "\n\xb0\xb4@100-@150\xbc\xc6\xcb\xe3 \xa3\xba";
// "\n按全长@100计算  ："
inline constexpr char kSchemeAll100[] =
    "\n\xb0\xb4\xc8\xab\xb3\xa4@100\xbc\xc6\xcb\xe3  \xa3\xba";
// "\n按全长@150计算  ："
inline constexpr char kSchemeAll150[] =
    "\n\xb0\xb4\xc8\xab\xb3\xa4@150\xbc\xc6\xcb\xe3  \xa3\xba";
// "\n按全长@200计算  ："
inline constexpr char kSchemeAll200[] =
    "\n\xb0\xb4\xc8\xab\xb3\xa4@200\xbc\xc6\xcb\xe3  \xa3\xba";

}  // namespace rebarcalc::gbk
