// Result texts of RebarAreaCalculator::analyse, form by form, byte for byte.
#include "RebarTestSupport.h"

namespace {

class AnnotationForms : public ::testing::Test {
 protected:
  RebarAreaCalculator calculator;
};

TEST_F(AnnotationForms, BarGroupRowsAndPieces) {
  EXPECT_TRUE(resultIs(calculator, "4%%13225", "面积： 1963;"));
  EXPECT_TRUE(resultIs(calculator, "2%%13225+2%%13222", "面积： 1742;"));
  EXPECT_TRUE(resultIs(calculator, "2%%13225;4%%13222", "面积： 982; 1521;"));
  EXPECT_TRUE(resultIs(calculator, "2%%13225,4%%13222/2%%13220", "面积： 982; 2149;"));
  // The second piece «2» holds no bar group.
  EXPECT_TRUE(resultIs(calculator, "4%%13225 2/2", "面积： 1963;"));
  // The empty row before a leading separator has no total; trailing ones vanish.
  EXPECT_TRUE(resultIs(calculator, ";4%%13225", "面积： 1963;"));
  EXPECT_TRUE(resultIs(calculator, "4%%13225;;", "面积： 1963;"));
  // A middle empty row is kept by the split but has no pieces either.
  EXPECT_TRUE(resultIs(calculator, "4%%13225;;2%%13225", "面积： 1963; 982;"));
  // The stirrup row of a mixed text totals 0.
  EXPECT_TRUE(resultIs(calculator, "2%%13225;%%13010@100(2)", "面积： 982; 0;"));
  // A stirrup with a leading count is a bar group.
  EXPECT_TRUE(resultIs(calculator, "2%%13010@100", "面积： 157;"));
}

TEST_F(AnnotationForms, BarGroupDiametersAndCounts) {
  // Diameters are at most two digits and an optional decimal.
  EXPECT_TRUE(resultIs(calculator, "4%%13250", "面积： 79;"));
  EXPECT_TRUE(resultIs(calculator, "4%%132100", "面积： 314;"));
  EXPECT_TRUE(resultIs(calculator, "4%%13212.5", "面积： 491;"));
  // Only the first bar group of a piece counts.
  EXPECT_TRUE(resultIs(calculator, "4%%13225 4%%13225", "面积： 1963;"));
  // Every grade symbol form, including the subscript R and the bracket fonts.
  EXPECT_TRUE(resultIs(calculator, "4%%18225", "面积： 1963;"));
  EXPECT_TRUE(resultIs(calculator, "4%%130%%140R%%14125", "面积： 1963;"));
  EXPECT_TRUE(resultIs(calculator, "4[25+4]25;4{25+4}25", "面积： 3927; 3927;"));
  // A count too large for an int saturates instead of wrapping.
  EXPECT_TRUE(resultIs(calculator, "99999999999999999999%%13225", "面积： 1054143570313;"));
}

TEST_F(AnnotationForms, BarGroupWithCandidates) {
  calculator.setShowCandidateBars(1);
  EXPECT_TRUE(resultIs(calculator, "4%%13220",
                       "面积： 1257;\n\n[1257]-可选钢筋:\n3φ25  2φ25+1φ20  1φ25+2φ22  \n"
                       "4φ22  2φ22+2φ18  \n4φ20  2φ20+3φ16  \n5φ18 "));
  // Above 1000 mm² the layouts are for 50 mm² less.
  EXPECT_TRUE(resultIs(calculator, "4%%13225",
                       "面积： 1963;\n\n[1963]-可选钢筋:\n4φ25  2φ25+3φ20  \n6φ22  \n7φ20 "));
  // A last row without layouts loses the colon of its heading.
  EXPECT_TRUE(resultIs(calculator, "2%%13225;x",
                       "面积： 982; 0;\n\n[982]-可选钢筋:\n2φ25  \n3φ22  2φ22+1φ18  "
                       "1φ22+2φ20  \n4φ20  2φ20+2φ16  \n4φ18  \n5φ16  \n[0]-可选钢筋"));
  // On a boundary: r is 3 in exact arithmetic but a little above in doubles,
  // so «2φ18+3φ14» is not proposed.
  EXPECT_TRUE(resultIs(calculator, "2%%13218+3%%13214",
                       "面积： 971;\n\n[971]-可选钢筋:\n2φ25  \n3φ22  2φ22+1φ18  1φ22+2φ20  \n"
                       "4φ20  2φ20+2φ16  \n4φ18  \n5φ16 "));
}

TEST_F(AnnotationForms, StirrupTexts) {
  EXPECT_TRUE(resultIs(calculator, "%%13010@100/200(4)",
                       "面积(1m)\nHPB235：785  / 393  \n箍筋(@100)\nHPB235：314  / 157  \n"));
  EXPECT_TRUE(resultIs(calculator, "%%13110@100/200(4)",
                       "面积(1m)\nHRB335：785  / 393  \nHPB235：1122 / 561  \n箍筋(@100)\n"
                       "HRB335：314  / 157  \nHPB235：449  / 224  "));
  // Two diameters or no legs: per metre only.
  EXPECT_TRUE(resultIs(calculator, "%%13010/8@100", "面积(1m)\nHPB235：644  \n"));
  EXPECT_TRUE(resultIs(calculator, "%%13010/8@100(4)", "面积(1m)\nHPB235：644  \n"));
  EXPECT_TRUE(resultIs(calculator, "%%13010-100", "面积(1m)\nHPB235：785  \n"));
  // Occurrences follow each other in every text.
  EXPECT_TRUE(resultIs(calculator, "%%13010@100(4),%%1328@200(2)",
                       "面积(1m)\nHPB235：785  ,HRB400：251  \nHPB235：785  ,HPB235：431  \n"
                       "箍筋(@100)\nHPB235：314  ,HRB400：50   \nHPB235：314  ,HPB235：86   "));
}

TEST_F(AnnotationForms, StirrupGradeClasses) {
  // «}» and «{» are easy to swap: «}» is HRB400, «{» RRB400.
  EXPECT_TRUE(resultIs(calculator, "[10@100", "面积(1m)\nHPB235：785  \n"));
  EXPECT_TRUE(resultIs(calculator, "]10@100", "面积(1m)\nHRB335：785  \nHPB235：1122 \n"));
  EXPECT_TRUE(resultIs(calculator, "}10@100", "面积(1m)\nHRB400：785  \nHPB235：1346 \n"));
  EXPECT_TRUE(resultIs(calculator, "{10@100", "面积(1m)\nRRB400：785  \nHPB235：1346 \n"));
  EXPECT_TRUE(isNoAnnotation(calculator, "%%133"));  // a symbol without a diameter
  EXPECT_TRUE(resultIs(calculator, "%%18310@100", "面积(1m)\nRRB400：785  \nHPB235：1346 \n"));
  EXPECT_TRUE(resultIs(calculator, "%%132%%140R%%14110@100",
                       "面积(1m)\nRRB400：785  \nHPB235：1346 \n"));
  // An unknown class (R after grade 1 or 3) contributes nothing.
  EXPECT_TRUE(resultIs(calculator, "%%131%%140R%%14110@100(2)", "面积(1m)\n"));
  EXPECT_TRUE(resultIs(calculator, "%%133%%140R%%14110@100,%%13010@100",
                       "面积(1m)\nHPB235：785  \n"));
}

TEST_F(AnnotationForms, StirrupMatchesGbkBytesNotCharacters) {
  // The trail byte of «謁» (D6 5D) is «]», so the text reads as an HRB335 stirrup.
  EXPECT_TRUE(resultIs(calculator, "謁10@100", "面积(1m)\nHRB335：785  \nHPB235：1122 \n"));
  // «謠» ends in «{»: RRB400.
  EXPECT_TRUE(resultIs(calculator, "箍筋謠8@200", "面积(1m)\nRRB400：251  \nHPB235：431  \n"));
}

TEST_F(AnnotationForms, StirrupSpacingZeroPrintsDashes) {
  EXPECT_TRUE(resultIs(calculator, "%%13010@0(4)", "面积(1m)\nHPB235：--   \n箍筋(@100)\nHPB235：--   \n"));
  // A second spacing of 0 counts as absent.
  EXPECT_TRUE(resultIs(calculator, "%%13110@100/0",
                       "面积(1m)\nHRB335：785  \nHPB235：1122 \n"));
  // Diameter 0 over spacing 0 is 0/0, not a number either.
  EXPECT_TRUE(resultIs(calculator, "%%1300@0", "面积(1m)\nHPB235：--   \n"));
  // A spacing too long for a double reads as infinity and the area as 0.
  EXPECT_TRUE(resultIs(calculator, "%%13010@" + std::string(400, '9'),
                       "面积(1m)\nHPB235：0    \n"));
}

TEST_F(AnnotationForms, StirrupDemand) {
  const char* schemes100 =
      "可选箍筋：\n按@100-@200计算：φ12(2)  φ8(4)  \n按@100-@150计算 ：φ10(2)  φ8(4)  \n"
      "按全长@100计算  ：φ10(2)  φ8(4)  \n按全长@150计算  ：φ12(2)  φ10(4)  \n"
      "按全长@200计算  ：φ14(2)  φ10(4)  ";
  EXPECT_TRUE(resultIs(calculator, "G1.5-1.0", std::string("G1.5-1.0(@100)") + schemes100));
  EXPECT_TRUE(resultIs(calculator, "G1.5=1.0", std::string("G1.5=1.0(@100)") + schemes100));
  // When the first leg count finds nothing, a scheme may collect three hits.
  EXPECT_TRUE(resultIs(calculator, "G5.0-1.0",
                       "G5.0-1.0(@100)可选箍筋：\n按@100-@200计算：φ14(4)  φ12(6)  φ10(8)  \n"
                       "按@100-@150计算 ：φ14(4)  φ12(6)  φ10(8)  \n"
                       "按全长@100计算  ：φ14(4)  φ12(6)  φ10(8)  \n"
                       "按全长@150计算  ：φ16(4)  φ14(6)  φ12(8)  \n"
                       "按全长@200计算  ：φ16(6)  φ14(8)  "));
  // Demands beyond every stirrup leave the schemes empty.
  EXPECT_TRUE(resultIs(calculator, "G99.0-99.0",
                       "G99.0-99.0(@100)可选箍筋：\n按@100-@200计算：\n按@100-@150计算 ：\n"
                       "按全长@100计算  ：\n按全长@150计算  ：\n按全长@200计算  ："));
  // The reference spacing scales the limits and the label.
  calculator.setReferenceSpacing(150);
  EXPECT_TRUE(resultIs(calculator, "G1.5-1.0",
                       "G1.5-1.0(@150)可选箍筋：\n按@100-@200计算：φ10(2)  φ8(4)  \n"
                       "按@100-@150计算 ：φ8(2)  φ6(4)  \n按全长@100计算  ：φ8(2)  φ6(4)  \n"
                       "按全长@150计算  ：φ10(2)  φ8(4)  \n按全长@200计算  ：φ12(2)  φ8(4)  "));
}

TEST_F(AnnotationForms, StirrupDemandNeedsTheWholeText) {
  // Neither is a demand, and neither holds an area triple.
  EXPECT_TRUE(isNoAnnotation(calculator, "G1.5-1.0 "));
  EXPECT_TRUE(isNoAnnotation(calculator, "G15-10"));
  EXPECT_TRUE(isNoAnnotation(calculator, "xG1.5-1.0"));
}

TEST_F(AnnotationForms, AreaTriple) {
  const char* layouts1200 =
      "可选纵筋(按最大值计算)：\n3φ25  2φ25+1φ20  1φ25+2φ22  \n4φ22  2φ22+2φ18  \n"
      "4φ20  2φ20+3φ16  \n5φ18  \n6φ16  ";
  EXPECT_TRUE(resultIs(calculator, "12-8-12", layouts1200));
  EXPECT_TRUE(resultIs(calculator, "8=12-3", layouts1200));
  EXPECT_TRUE(resultIs(calculator, "KL1 12-8-12 x", layouts1200));
  // For 20 mm, v is exactly 2: «3φ20+%.fφ18» prints 2.5, which rounds away
  // from zero to 3.
  EXPECT_TRUE(resultIs(calculator, "15-0-0",
                       "可选纵筋(按最大值计算)：\n3φ25  \n4φ22  2φ22+3φ18  \n"
                       "5φ20  2φ20+4φ18  3φ20+3φ18  \n6φ18  "));
  // Below 0.1 mm² there is nothing to propose: false, no tooltip.
  std::string result;
  EXPECT_FALSE(calculator.analyse("0-0-0", result));
}

TEST_F(AnnotationForms, NoAnnotation) {
  EXPECT_TRUE(isNoAnnotation(calculator, ""));
  EXPECT_TRUE(isNoAnnotation(calculator, "KL1(2) 300x600"));
  EXPECT_TRUE(isNoAnnotation(calculator, "会议室"));
  EXPECT_TRUE(isNoAnnotation(calculator, "12-8"));
  EXPECT_TRUE(isNoAnnotation(calculator, "%%13025"));
}

TEST_F(AnnotationForms, OverlongTextsAreNoAnnotation) {
  std::string text = "4%%13225 ";
  text.resize(RebarAreaCalculator::kLongestAnnotation, '1');
  EXPECT_TRUE(resultIs(calculator, text, "面积： 1963;"));
  EXPECT_TRUE(isNoAnnotation(calculator, text + "1"));
}

TEST_F(AnnotationForms, EmbeddedNulBytesAreText) {
  std::string result;
  ASSERT_TRUE(calculator.analyse(std::string("4%%13225\0;2%%13225", 18), result));
  EXPECT_EQ(result, toGbk("面积： 1963; 982;"));
}

}  // namespace

namespace {

// The annotation patterns stay far below the matcher's limit, even on long and hostile texts:
// a limit 200 times lower abandons nothing.
TEST(AnnotationPatterns, NeverComeNearTheMatchLimit) {
  RebarAreaCalculator calculator;
  const unsigned long long before = regex::abandonedCalls();
  regex::setMatchLimit(regex::kDefaultMatchLimit / 200);
  std::vector<std::string> texts = {"4%%13225", "%%13010@100/200(4)", "G1.5-1.0", "12-8-12",
                                    "2%%13225+2%%13222;4%%13222/2%%13220", "%%13010@100(2)"};
  std::string longRow;
  for (int i = 0; i < 300; ++i) longRow += "2%%13225+";
  texts.push_back(longRow);
  texts.push_back(std::string(5000, '%'));
  texts.push_back(std::string(5000, '1'));
  std::string mixed;
  for (int i = 0; i < 800; ++i) mixed += "@1-/(";
  texts.push_back(mixed);
  for (const std::string& text : texts) {
    std::string result;
    calculator.analyse(text, result);
  }
  regex::setMatchLimit(regex::kDefaultMatchLimit);
  EXPECT_EQ(regex::abandonedCalls(), before);
}

}  // namespace
