// Selection modes on a small drawing: windows, crossings, fences, "all",
// "previous", and which entities each mode may see.
#include <cmath>

#include "fixture.h"

namespace hosttest {
namespace {

class SelectionTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    off_ = addLayer("OFF");
    frozen_ = addLayer("FROZEN");
    inside_ = addLine(1, 1, 4, 1);        // wholly inside the 0..10 box
    across_ = addLine(5, 5, 15, 5);       // crosses its right edge
    outside_ = addLine(20, 20, 30, 20);   // far away
    circle_ = appendTo(ACDB_MODEL_SPACE, new AcDbCircle({5, 5, 0}, 20));  // encloses the box
    onOff_ = addLine(2, 2, 3, 3, "OFF");
    onFrozen_ = addLine(2, 3, 3, 4, "FROZEN");
    setLayer(off_, [](AcDbLayerTableRecord* r) { r->setIsOff(true); });
    setLayer(frozen_, [](AcDbLayerTableRecord* r) { r->setIsFrozen(true); });
  }
  template <typename F>
  void setLayer(AcDbObjectId id, F change) {
    Opened<AcDbLayerTableRecord> rec(id, AcDb::kForWrite);
    change(rec.ptr);
  }
  std::vector<AcDbObjectId> select(const char* mode, const void* p1 = nullptr,
                                   const void* p2 = nullptr) {
    AcEdName ss;
    if (acedSSGet(mode, p1, p2, nullptr, ss) != AcEd::kNormal) return {};
    std::vector<AcDbObjectId> ids = idsOfSet(ss);
    acedSSFree(ss);
    return ids;
  }
  AcDbObjectId off_, frozen_, inside_, across_, outside_, circle_, onOff_, onFrozen_;
};

using Ids = std::vector<AcDbObjectId>;

TEST_F(SelectionTest, WindowTakesWhatLiesWhollyInside) {
  AcEdPoint a = {0, 0, 0}, b = {10, 10, 0};
  EXPECT_EQ(select("W", a, b), (Ids{inside_}));
  // Corner order does not matter for "W".
  EXPECT_EQ(select("W", b, a), (Ids{inside_}));
}

TEST_F(SelectionTest, CrossingTakesWhatTouchesTheBox) {
  AcEdPoint a = {0, 0, 0}, b = {10, 10, 0};
  // The circle encloses the box without touching it: not selected.
  EXPECT_EQ(select("C", a, b), (Ids{inside_, across_}));
  AcEdPoint c = {-16, 4, 0}, d = {-14, 6, 0};  // on the circle's left edge
  EXPECT_EQ(select("C", c, d), (Ids{circle_}));
}

TEST_F(SelectionTest, FenceTakesWhatItCrosses) {
  const double p0[3] = {14, 0, 0}, p1[3] = {14, 10, 0}, p2[3] = {30, 30, 0};
  AcEdResBuf* fence =
      acutBuildList(AcEd::kRtPoint3d, p0, AcEd::kRtPoint3d, p1, AcEd::kRtPoint3d, p2, 0);
  EXPECT_EQ(select("F", fence), (Ids{across_, outside_, circle_}));
  acutRelRb(fence);
  EXPECT_TRUE(select("F", nullptr).empty());
}

TEST_F(SelectionTest, AllSkipsFrozenButKeepsOffAndInvisible) {
  {
    Opened<AcDbEntity> e(inside_, AcDb::kForWrite);
    e->setVisibility(AcDb::kInvisible);
  }
  EXPECT_EQ(select("A"), (Ids{inside_, across_, outside_, circle_, onOff_}));
  // Boxes see only what is displayed.
  AcEdPoint a = {0, 0, 0}, b = {10, 10, 0};
  EXPECT_EQ(select("W", a, b), Ids{});
}

TEST_F(SelectionTest, EditsAfterASelectionAreSeenByTheNext) {
  AcEdPoint a = {0, 0, 0}, b = {10, 10, 0};
  EXPECT_EQ(select("W", a, b), (Ids{inside_}));
  {
    Opened<AcDbLine> line(across_, AcDb::kForWrite);
    line->setEndPoint({9, 5, 0});
  }
  EXPECT_EQ(select("W", a, b), (Ids{inside_, across_}));
  AcDbObjectId added = addLine(2, 8, 3, 8);
  EXPECT_EQ(select("W", a, b), (Ids{inside_, across_, added}));
}

TEST_F(SelectionTest, ErasedEntitiesAreNeverSelected) {
  {
    Opened<AcDbEntity> e(outside_, AcDb::kForWrite);
    e->erase();
  }
  EXPECT_EQ(select("A").size(), 4u);
}

TEST_F(SelectionTest, PreviousComesFromTheSelectCommand) {
  EXPECT_TRUE(select("P").empty());
  AcEdName ss;
  ASSERT_EQ(acedSSAdd(nullptr, nullptr, ss), AcEd::kNormal);
  AcEdName ent;
  acdbGetAdsName(ent, across_);
  ASSERT_EQ(acedSSAdd(ent, ss, ss), AcEd::kNormal);
  ASSERT_EQ(acedSSAdd(ent, ss, ss), AcEd::kNormal);  // no duplicates
  std::int32_t n = 0;
  acedSSLength(ss, &n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(acedCommand(AcEd::kRtString, "select", AcEd::kRtPickSet, ss, AcEd::kRtString, "", 0),
            AcEd::kNormal);
  acedSSFree(ss);
  EXPECT_EQ(select("P"), (Ids{across_}));
  AcEdResBuf* filter = acutBuildList(8, "NOPE", 0);
  AcEdName none;
  EXPECT_EQ(acedSSGet("P", nullptr, nullptr, filter, none), AcEd::kError);
  acutRelRb(filter);
}

TEST_F(SelectionTest, ImpliedSelectionNeedsACommandThatAsksForIt) {
  EXPECT_TRUE(select("I").empty());
}

TEST_F(SelectionTest, SetNamesAreCheckedNotTrusted) {
  AcEdName bogus = {999, 1};
  std::int32_t n = -1;
  EXPECT_EQ(acedSSLength(bogus, &n), AcEd::kError);
  EXPECT_EQ(acedSSFree(bogus), AcEd::kError);
  AcEdName ss;
  ASSERT_EQ(acedSSGet("A", nullptr, nullptr, nullptr, ss), AcEd::kNormal);
  AcEdName ent;
  EXPECT_EQ(acedSSName(ss, 99, ent), AcEd::kError);
  EXPECT_EQ(acedSSFree(ss), AcEd::kNormal);
  EXPECT_EQ(acedSSFree(ss), AcEd::kError);
}

TEST_F(SelectionTest, UnknownModeIsRejected) {
  AcEdName ss;
  EXPECT_EQ(acedSSGet("Q", nullptr, nullptr, nullptr, ss), AcEd::kRejected);
}

}  // namespace
}  // namespace hosttest
