// Reading the two settings from the settings file.
#include <cstdio>
#include <fstream>

#include "RebarTestSupport.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  std::string write(const std::string& content) {
    std::string path = ::testing::TempDir() + "rebar-settings-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xml";
    std::ofstream(path, std::ios::binary) << content;
    paths_.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const std::string& path : paths_) std::remove(path.c_str());
  }

 private:
  std::vector<std::string> paths_;
};

void expectSettings(const RebarAreaCalculator& calculator, int spacing, int candidates) {
  EXPECT_EQ(calculator.referenceSpacing(), spacing);
  EXPECT_EQ(calculator.showCandidateBars(), candidates);
}

TEST_F(Settings, DefaultsWithoutAFile) {
  RebarAreaCalculator calculator;
  EXPECT_FALSE(calculator.configLoaded());
  expectSettings(calculator, 100, 0);
}

TEST_F(Settings, BothSettingsInOrder) {
  RebarAreaCalculator calculator(write(
      "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<!-- settings -->\n<rsbarea>\n"
      "  <spacingofstirrup>150</spacingofstirrup>\n  <other>7</other>\n"
      "  <lsbunderarea>1</lsbunderarea>\n</rsbarea>\n"));
  EXPECT_TRUE(calculator.configLoaded());
  expectSettings(calculator, 150, 1);
  // The settings take effect on the results.
  EXPECT_TRUE(resultIs(calculator, "%%13010@150(2)", "面积(1m)\nHPB235：524  \n箍筋(@150)\nHPB235：157  \n"));
}

TEST_F(Settings, MissingFileKeepsDefaultsAndReportsFailure) {
  RebarAreaCalculator calculator(::testing::TempDir() + "no-such-dir/KVBarwisp.xml");
  EXPECT_FALSE(calculator.configLoaded());
  expectSettings(calculator, 100, 0);
  EXPECT_TRUE(resultIs(calculator, "4%%13225", "面积： 1963;"));
}

TEST_F(Settings, IllFormedFileIsAFailure) {
  RebarAreaCalculator calculator(write("<rsbarea><spacingofstirrup>150</rsbarea>"));
  EXPECT_FALSE(calculator.configLoaded());
  expectSettings(calculator, 100, 0);
  RebarAreaCalculator empty(write(""));
  EXPECT_FALSE(empty.configLoaded());
}

TEST_F(Settings, ElementsAreFoundForwardOnly) {
  RebarAreaCalculator calculator(write(
      "<rsbarea><lsbunderarea>1</lsbunderarea><spacingofstirrup>200</spacingofstirrup>"
      "</rsbarea>"));
  EXPECT_TRUE(calculator.configLoaded());
  expectSettings(calculator, 200, 0);
}

TEST_F(Settings, MissingElementsKeepDefaultsSilently) {
  RebarAreaCalculator noSpacing(write("<rsbarea><lsbunderarea>1</lsbunderarea></rsbarea>"));
  EXPECT_TRUE(noSpacing.configLoaded());
  expectSettings(noSpacing, 100, 0);
  RebarAreaCalculator otherRoot(write(
      "<settings><spacingofstirrup>150</spacingofstirrup><lsbunderarea>1</lsbunderarea>"
      "</settings>"));
  EXPECT_TRUE(otherRoot.configLoaded());
  expectSettings(otherRoot, 100, 0);
  RebarAreaCalculator nested(write(
      "<rsbarea><group><spacingofstirrup>150</spacingofstirrup></group></rsbarea>"));
  expectSettings(nested, 100, 0);
}

TEST_F(Settings, TextsConvertLikeTheCLibrary) {
  RebarAreaCalculator words(write(
      "<rsbarea><spacingofstirrup>abc</spacingofstirrup><lsbunderarea>yes</lsbunderarea>"
      "</rsbarea>"));
  expectSettings(words, 0, 0);
  RebarAreaCalculator prefixes(write(
      "<rsbarea><spacingofstirrup> +120mm</spacingofstirrup><lsbunderarea>-1</lsbunderarea>"
      "</rsbarea>"));
  expectSettings(prefixes, 120, -1);
  RebarAreaCalculator huge(write(
      "<rsbarea><spacingofstirrup>99999999999</spacingofstirrup></rsbarea>"));
  expectSettings(huge, 2147483647, 0);
}

TEST_F(Settings, SpacingZeroMakesReferenceAreasZero) {
  RebarAreaCalculator calculator(write(
      "<rsbarea><spacingofstirrup>0</spacingofstirrup></rsbarea>"));
  EXPECT_TRUE(resultIs(calculator, "%%13010@100(4)",
                       "面积(1m)\nHPB235：785  \n箍筋(@0)\nHPB235：0    \n"));
  EXPECT_TRUE(resultIs(calculator, "G0.1-0.1",
                       "G0.1-0.1(@0)可选箍筋：\n按@100-@200计算：\n按@100-@150计算 ：\n"
                       "按全长@100计算  ：\n按全长@150计算  ：\n按全长@200计算  ："));
}

TEST_F(Settings, ReloadingKeepsValuesTheFileDoesNotGive) {
  RebarAreaCalculator calculator;
  calculator.setShowCandidateBars(1);
  EXPECT_TRUE(calculator.loadSettings(write("<rsbarea><spacingofstirrup>120</spacingofstirrup></rsbarea>")));
  expectSettings(calculator, 120, 1);
  EXPECT_FALSE(calculator.loadSettings(::testing::TempDir() + "missing.xml"));
  EXPECT_FALSE(calculator.configLoaded());
  expectSettings(calculator, 120, 1);
}

}  // namespace
