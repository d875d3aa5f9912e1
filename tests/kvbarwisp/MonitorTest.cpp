// The tooltip monitor called directly, as the host calls it on a cursor
// move, against the calculator's own result for the same text.
#include <gtest/gtest.h>

#include <string>

#include "CDocData.h"
#include "CKvIPM.h"
#include "DrawingBuilder.h"
#include "drawhost/host.h"
#include "rebar/RebarAreaCalculator.h"

namespace {

const std::string kBars = "4%%13225";
const std::string kStirrups = "%%13010@100/200(4)";
const std::string kRoom = "\xbb\xe1\xd2\xe9\xca\xd2";  // 会议室 (meeting room)
const char kUntouched[] = "untouched";

std::string expectedFor(const std::string& text) {
  RebarAreaCalculator calculator;
  std::string result;
  EXPECT_TRUE(calculator.analyse(text, result)) << text;
  return result;
}

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drawhost::reset();
    doc_ = drawhost::newDocument();
  }
  void TearDown() override { drawhost::reset(); }

  // One callback with the given aperture list and nested paths.
  AcEdInputPointResult hover(CKvIPM& monitor, std::initializer_list<AcDbObjectId> aperture,
                             std::initializer_list<std::initializer_list<AcDbObjectId>> nested,
                             bool computed = true) {
    AcEdInputPointData input;
    input.document = doc_;
    input.pointComputed = computed;
    for (AcDbObjectId id : aperture) input.apertureEntities.append(id);
    for (const auto& path : nested) {
      AcDbObjectIdArray ids;
      for (AcDbObjectId id : path) ids.append(id);
      input.nestedApertureEntities.append(ids);
    }
    AcEdInputPointResult output;
    output.additionalTooltipString = kUntouched;
    EXPECT_EQ(monitor.monitorInputPoint(input, output), AcDb::kOk);
    EXPECT_TRUE(output.appendToTooltipStr);
    return output;
  }

  AcApDocument* doc_ = nullptr;
  CKvIPM monitor_{false, nullptr};
};

TEST_F(MonitorTest, TextUnderTheApertureGivesTheCalculatorsResult) {
  AcDbObjectId bars = kvbtest::addText(0, 0, kBars);
  AcDbObjectId stirrups = kvbtest::addText(0, 10, kStirrups);
  EXPECT_STREQ(hover(monitor_, {bars}, {{bars}}).additionalTooltipString,
               expectedFor(kBars).c_str());
  EXPECT_STREQ(hover(monitor_, {stirrups}, {{stirrups}}).additionalTooltipString,
               expectedFor(kStirrups).c_str());
}

TEST_F(MonitorTest, NothingToShowLeavesTheTooltipPointerAlone) {
  AcDbObjectId room = kvbtest::addText(0, 0, kRoom);
  AcDbObjectId mtext = kvbtest::addMText(0, 20, kBars);
  AcDbObjectId bars = kvbtest::addText(0, 40, kBars);
  EXPECT_STREQ(hover(monitor_, {}, {}).additionalTooltipString, kUntouched);
  EXPECT_STREQ(hover(monitor_, {bars}, {{bars}}, false).additionalTooltipString, kUntouched);
  EXPECT_STREQ(hover(monitor_, {room}, {{room}}).additionalTooltipString, kUntouched);
  EXPECT_STREQ(hover(monitor_, {mtext}, {{mtext}}).additionalTooltipString, kUntouched);
  EXPECT_FALSE(monitor_.found());
}

TEST_F(MonitorTest, InnermostEntityOfTheFirstNestedPathIsExamined) {
  AcDbObjectId inner;
  AcDbObjectId block = kvbtest::addBlockWithText("BARTAG", kStirrups, &inner);
  AcDbObjectId ref = kvbtest::addReference(block, 100, 100);
  ASSERT_FALSE(inner.isNull());

  EXPECT_STREQ(hover(monitor_, {ref}, {{ref, inner}}).additionalTooltipString,
               expectedFor(kStirrups).c_str());
  // Only the first path counts.
  AcDbObjectId room = kvbtest::addText(0, 0, kRoom);
  EXPECT_STREQ(hover(monitor_, {room}, {{room}, {ref, inner}}).additionalTooltipString,
               kUntouched);
}

TEST_F(MonitorTest, ApertureAndNestedResultsFollowEachOther) {
  AcDbObjectId bars = kvbtest::addText(0, 0, kBars);
  AcDbObjectId stirrups = kvbtest::addText(0, 10, kStirrups);
  std::string both = expectedFor(kBars) + expectedFor(kStirrups);
  EXPECT_EQ(std::string(hover(monitor_, {bars}, {{bars, stirrups}}).additionalTooltipString),
            both.substr(0, CKvIPM::kTooltipCapacity - 1));
}

TEST_F(MonitorTest, EntitiesAreClosedAndBusyOnesSkipped) {
  AcDbObjectId bars = kvbtest::addText(0, 0, kBars);
  hover(monitor_, {bars}, {{bars}});
  AcDbEntity* entity = nullptr;
  ASSERT_EQ(acdbOpenAcDbEntity(entity, bars, AcDb::kForWrite), AcDb::kOk) << "left open";
  // Open for write elsewhere: cannot be read now, and the callback says nothing new.
  AcEdInputPointResult busy = hover(monitor_, {bars}, {{bars}});
  EXPECT_STREQ(busy.additionalTooltipString, "");
  entity->close();
}

TEST_F(MonitorTest, AttachedMonitorIsRegisteredAndRecordedUntilDestroyed) {
  AcEdInputPointManager* manager = doc_->inputPointManager();
  const int before = manager->numMonitors();
  EXPECT_EQ(monitor_.document(), nullptr);
  EXPECT_EQ(manager->numMonitors(), before);

  auto* monitor = new CKvIPM(true, doc_);
  EXPECT_EQ(manager->numMonitors(), before + 1);
  ASSERT_NE(findDocData(doc_), nullptr);
  EXPECT_EQ(findDocData(doc_)->m_pIPM, monitor);

  delete monitor;
  EXPECT_EQ(manager->numMonitors(), before);
  EXPECT_EQ(findDocData(doc_)->m_pIPM, nullptr);
}

TEST_F(MonitorTest, ErasingTheRecordReleasesTheMonitor) {
  AcEdInputPointManager* manager = doc_->inputPointManager();
  const int before = manager->numMonitors();
  new CKvIPM(true, doc_);
  EXPECT_EQ(manager->numMonitors(), before + 1);
  DocVars.documentToBeDestroyed(doc_);
  EXPECT_EQ(findDocData(doc_), nullptr);
  EXPECT_EQ(manager->numMonitors(), before);
}

}  // namespace
