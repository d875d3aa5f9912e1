// Per-document records as the plug-ins rely on them: created on first
// lookup, erased with their drawing only, and a manager that stops
// listening when it is destroyed.
#include <gtest/gtest.h>

#include "drawhost/host.h"
#include "hostapi/hostapi.h"

namespace {

struct Record {
  int value = 0;
};

struct DataManagerTest : ::testing::Test {
  void SetUp() override { drawhost::reset(); }
  void TearDown() override { drawhost::reset(); }
};

TEST_F(DataManagerTest, RecordsAreCreatedOnFirstLookupPerDrawing) {
  AcApDataManager<Record> manager;
  AcApDocument* first = drawhost::newDocument();
  AcApDocument* second = drawhost::newDocument();
  EXPECT_FALSE(manager.hasDocData(first));

  EXPECT_EQ(manager.docData().value, 0) << "current drawing, value-initialised";
  manager.docData().value = 7;
  EXPECT_EQ(manager.docData(second).value, 7);
  EXPECT_FALSE(manager.hasDocData(first));
  EXPECT_EQ(manager.docData(first).value, 0);
}

TEST_F(DataManagerTest, ClosingADrawingErasesItsRecordOnly) {
  AcApDataManager<Record> manager;
  AcApDocument* kept = drawhost::newDocument();
  AcApDocument* closed = drawhost::newDocument();
  manager.docData(kept).value = 1;
  manager.docData(closed).value = 2;
  ASSERT_TRUE(drawhost::closeDocument(closed).ok);
  EXPECT_FALSE(manager.hasDocData(closed));
  ASSERT_TRUE(manager.hasDocData(kept));
  EXPECT_EQ(manager.docData(kept).value, 1);
}

TEST_F(DataManagerTest, DestroyedManagerIsNoLongerCalled) {
  AcApDocument* doc = drawhost::newDocument();
  {
    AcApDataManager<Record> manager;
    manager.docData(doc).value = 3;
  }
  // A manager still registered would be called here after its destruction.
  ASSERT_TRUE(drawhost::closeDocument(doc).ok);
}

}  // namespace
