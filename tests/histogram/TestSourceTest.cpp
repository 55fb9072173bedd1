#include <gtest/gtest.h>

#include <vector>

#include "histogram/Accumulation.h"
#include "histogram/TestSource.h"
#include "support/TestSystem.h"

namespace sorvant {
namespace {

bool histogramEmpty(const DisplayState& st) {
  for (int i = 1; i <= 360; ++i)
    if (st.BEARING_COUNT[i] != 0 || st.SECTOR_SUM[i] != 0) return false;
  return true;
}

TEST(TestSource, TableIsTheSameAtEveryStartAndHoldsOnlyBearings) {
  test::TestSystem first, second;
  EXPECT_EQ(first.sys.st.SIMULATE_BEARING, second.sys.st.SIMULATE_BEARING);
  for (int i = 1; i <= 5000; ++i) {
    ASSERT_GE(first.sys.st.SIMULATE_BEARING[i], 0) << i;
    ASSERT_LE(first.sys.st.SIMULATE_BEARING[i], 359) << i;
  }
}

TEST(TestSource, PlaybackWrapsPastTheLastEntryAndTheTotalSaturates) {
  test::TestSystem t;
  DisplayState& st = t.sys.st;
  st.BEARING_COUNT.fill(0);
  st.SIMULATE_COUNT = 4997;
  st.SIMULATE_BEARING[4998] = 0;
  std::vector<int> played;
  for (int k = 0; k < 4; ++k) {
    playSimulatedBearing(t.sys);
    played.push_back(st.SIMULATE_COUNT);
  }
  EXPECT_EQ(played, (std::vector<int>{4998, 4999, 1, 2}));
  EXPECT_GE(st.BEARING_COUNT[360], 1);
  st.INCOUNT = 32766;
  playSimulatedBearing(t.sys);
  playSimulatedBearing(t.sys);
  EXPECT_EQ(st.INCOUNT, 32767);
  EXPECT_EQ(t.sys.main.Label_TOTAL_BRG.caption, "TOTAL BRG :  32767");
}

TEST(TestSource, SwitchesGiveTheFourStatesAndTwoTestClicksStartAfresh) {
  test::TestSystem t;
  const DisplayState& st = t.sys.st;
  auto running = [&](bool simulate, bool df, bool portAndWatchdog) {
    EXPECT_EQ(st.SIMULATE_TIMER, simulate);
    EXPECT_EQ(st.DF_TIMER, df);
    EXPECT_EQ(st.COM_TIMEOUT_TIMER, portAndWatchdog);
    EXPECT_EQ(t.port.portOpen(), portAndWatchdog);
  };
  for (int k = 0; k < 20; ++k) t.tick();
  CmdButton_TEST_Click(t.sys);
  running(false, true, true);
  CmdButton_TEST_Click(t.sys);
  running(true, true, false);
  EXPECT_EQ(t.sys.main.Label_SOURCE.caption, kSourceTest);
  EXPECT_TRUE(histogramEmpty(st));
  EXPECT_EQ(st.INCOUNT, 0);
  EXPECT_EQ(t.sys.main.Label_TOTAL_TIME.caption, kTotalTimeZero);

  CmdButton_ACQUIRE_Click(t.sys);
  running(false, false, false);
  CmdButton_TEST_Click(t.sys);
  running(false, false, false);
  CmdButton_ACQUIRE_Click(t.sys);
  running(false, true, true);
}

TEST(TestSource, ResumingClearsARecalledMemoryOnlyForTheReceiver) {
  test::TestSystem t;
  DisplayState& st = t.sys.st;
  for (int k = 0; k < 5; ++k) t.tick();
  CmdButton_ACQUIRE_Click(t.sys);
  const int stoppedAt = st.SIMULATE_COUNT;
  t.tick();
  t.sys.main.Label_SOURCE.caption = "SOURCE : MEM3";
  CmdButton_ACQUIRE_Click(t.sys);
  EXPECT_FALSE(histogramEmpty(st));
  t.tick();
  EXPECT_EQ(st.SIMULATE_COUNT, stoppedAt + 1);

  CmdButton_ACQUIRE_Click(t.sys);
  CmdButton_TEST_Click(t.sys);
  countBearing(t.sys, 120);
  t.sys.main.Label_SOURCE.caption = "SOURCE : MEM3";
  CmdButton_ACQUIRE_Click(t.sys);
  EXPECT_TRUE(histogramEmpty(st));
  EXPECT_EQ(st.MAXVECTOR, 0);
  EXPECT_EQ(t.sys.main.Label_SOURCE.caption, kSourceDf);
}

TEST(TestSource, PortThatWillNotOpenShowsTheTimeOutUntilListeningStops) {
  test::TestSystem t;
  t.port.failOpen = true;
  CmdButton_TEST_Click(t.sys);
  EXPECT_TRUE(t.port.portOpen());  // open for the rules, its device waited for
  EXPECT_FALSE(t.port.deviceOpen);
  t.tick(4.9);
  EXPECT_FALSE(t.sys.main.Label_COM_TIMEOUT.visible);
  t.tick(0.7);
  EXPECT_TRUE(t.sys.main.Label_COM_TIMEOUT.visible);
  CmdButton_ACQUIRE_Click(t.sys);
  EXPECT_FALSE(t.sys.main.Label_COM_TIMEOUT.visible);
  EXPECT_TRUE(t.sys.main.Frame_TOP_LEFT.visible);

  CmdButton_ACQUIRE_Click(t.sys);
  EXPECT_EQ(t.port.openCalls, 2);
  EXPECT_TRUE(t.sys.st.COM_TIMEOUT_TIMER);
  CmdButton_TEST_Click(t.sys);
  EXPECT_FALSE(t.sys.st.COM_TIMEOUT_TIMER);
}

}  // namespace
}  // namespace sorvant
