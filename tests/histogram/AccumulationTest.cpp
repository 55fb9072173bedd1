#include <gtest/gtest.h>

#include <vector>

#include "histogram/Accumulation.h"
#include "support/TestSystem.h"

namespace sorvant {
namespace {

// A running system with the test source stopped and an empty histogram, so every count is the test's.
struct QuietSystem : test::TestSystem {
  QuietSystem() {
    sys.st.SIMULATE_TIMER = false;
    sys.st.BEARING_COUNT.fill(0);
    sys.st.SECTOR_SUM.fill(0);
    sys.st.MAXVECTOR = 0;
    sys.st.NEWSECTOR = false;
  }
  std::vector<int> binsHolding(Single value) const {
    std::vector<int> bins;
    for (int j = 1; j <= 360; ++j)
      if (sys.st.SECTOR_SUM[j] == value) bins.push_back(j);
    return bins;
  }
};

TEST(Accumulation, CountingWrapsTheSectorAcrossNorthAndSummingAgrees) {
  QuietSystem q;
  countBearing(q.sys, 0);
  EXPECT_EQ(q.sys.st.BEARING_COUNT[360], 1);
  EXPECT_EQ(q.binsHolding(1), (std::vector<int>{1, 2, 358, 359, 360}));
  EXPECT_EQ(q.sys.st.MAXVECTOR, 1);

  q.sys.st.SECTOR_WIDTH = 108;
  q.sys.st.BEARING_COUNT[360] = 0;
  q.sys.st.BEARING_COUNT[330] = 2;
  SUMMING(q.sys);
  const std::vector<int> bins = q.binsHolding(2);
  ASSERT_EQ(bins.size(), 109u);
  EXPECT_EQ(bins[23], 24);
  EXPECT_EQ(bins[24], 276);
  EXPECT_EQ(q.sys.st.MAXVECTOR, 2);
}

TEST(Accumulation, SectorCommandStepsThroughTheWidthsAndRecomputes) {
  QuietSystem q;
  q.sys.st.SECTOR_WIDTH = 108;
  countBearing(q.sys, 90);
  CmdButton_SECTOR_Click(q.sys);
  EXPECT_EQ(q.sys.main.CmdButton_SECTOR.caption, "S:SECTOR     4 DEG");
  EXPECT_EQ(q.binsHolding(1).size(), 5u);
  CmdButton_SECTOR_Click(q.sys);
  EXPECT_EQ(q.sys.st.SECTOR_WIDTH, 6);
  EXPECT_EQ(q.binsHolding(1).size(), 7u);
  q.sys.st.SECTOR_WIDTH = 5;  // not a width of the table: left alone
  CmdButton_SECTOR_Click(q.sys);
  EXPECT_EQ(q.sys.st.SECTOR_WIDTH, 5);
}

TEST(Accumulation, DecayScalesOncePerPeriodWithTheFractionInForce) {
  QuietSystem q;
  q.sys.st.BEARING_COUNT[100] = q.sys.st.SECTOR_SUM[100] = 10;
  q.clock.runTo(36000.6);  // the switch-on stamp rounds up to 36001
  CmdButton_DECAY_Click(q.sys);
  const double on = q.clock.now;
  while (q.sys.st.BEARING_COUNT[100] == 10 && q.clock.now < on + 10) q.tick();
  EXPECT_GE(q.clock.now - on, 4.5);
  EXPECT_LE(q.clock.now - on, 5.5);
  EXPECT_FLOAT_EQ(q.sys.st.MAXVECTOR, 9);
  q.tick(4.9);
  EXPECT_FLOAT_EQ(q.sys.st.BEARING_COUNT[100], 9);
  q.tick(0.2);
  EXPECT_FLOAT_EQ(q.sys.st.SECTOR_SUM[100], 8.1f);
  q.sys.opt.CmdButton_FRAC.tag = "0.5";
  q.tick(5.0);
  EXPECT_FLOAT_EQ(q.sys.st.BEARING_COUNT[100], 4.05f);
  CmdButton_DECAY_Click(q.sys);
  q.tick(30);
  EXPECT_FLOAT_EQ(q.sys.st.BEARING_COUNT[100], 4.05f);
}

TEST(Accumulation, ReduceRemovesOneRingAndClearEmptiesEverything) {
  QuietSystem q;
  DisplayState& st = q.sys.st;
  st.RINGCOUNT = 3;
  st.BEARING_COUNT[10] = st.SECTOR_SUM[10] = 2;
  st.BEARING_COUNT[11] = st.SECTOR_SUM[11] = 7;
  CmdButton_REDUCE_Click(q.sys);
  EXPECT_EQ(st.BEARING_COUNT[10], 0);
  EXPECT_EQ(st.SECTOR_SUM[11], 4);
  EXPECT_EQ(st.MAXVECTOR, 4);

  st.INCOUNT = 12;
  CmdButton_CLEAR_Click(q.sys);
  EXPECT_EQ(q.binsHolding(0).size(), 360u);
  EXPECT_EQ(st.BEARING_COUNT[11], 0);
  EXPECT_EQ(st.MAXVECTOR, 0);
  EXPECT_EQ(st.INCOUNT, 0);
}

}  // namespace
}  // namespace sorvant
