#include <gtest/gtest.h>

#include <vector>

#include "cycle/Cycle.h"
#include "histogram/Accumulation.h"
#include "input/KeyMap.h"
#include "support/TestSystem.h"

namespace sorvant::test {
namespace {

// A system listening to the receiver, armed as TEST off would leave it, without depending on TEST.
void armReceiver(TestSystem& ts) {
  DisplayState& st = ts.sys.st;
  ts.sys.main.CmdButton_TEST.caption = kTestOff;
  st.SIMULATE_TIMER = false;
  st.COM_TIMEOUT_TIMER = true;
  st.LAST_COM_TIME = ts.sys.clockSecondsNow();
  st.GPS_TIME = ts.sys.clockSecondsNow();
}

TEST(Cycle, TotalTimeCaptionFollowsTheClock) {
  struct Case {
    double seconds;
    const char* caption;
  };
  for (const Case& c :
       {Case{9.7, "TOTAL TIME : 0009"}, Case{999.5, "TOTAL TIME : 0999"}, Case{1234, "TOTAL TIME :  1234"}}) {
    TestSystem ts;
    ts.sys.st.ACQTIME = 0;
    stampAcquisitionTime(ts.sys);
    ts.tick(c.seconds);
    EXPECT_EQ(ts.sys.main.Label_TOTAL_TIME.caption, c.caption) << c.seconds;
  }
}

TEST(Cycle, AcquisitionTimeKeepsPaceWithTheClockWhereverTheTicksFall) {
  for (double phase : {0.0, 0.013, 0.037, 0.5}) {
    TestSystem ts;
    ts.clock.runTo(36000.0 + phase);
    stampAcquisitionTime(ts.sys);
    ts.sys.st.ACQTIME = 0;
    for (int i = 0; i < 1200; ++i) ts.tick(0.05);
    EXPECT_NEAR(ts.sys.st.ACQTIME, 60.0, 0.01) << phase;
    EXPECT_EQ(ts.sys.main.Label_TOTAL_TIME.caption.substr(0, 15), "TOTAL TIME : 00");
  }
}

TEST(Cycle, AcquisitionTimeStaysTrueOverAWholeDay) {
  TestSystem ts;
  ts.clock.runTo(0.01);
  ts.sys.st.SIMULATE_TIMER = false;
  stampAcquisitionTime(ts.sys);
  ts.sys.st.ACQTIME = 0;
  for (int i = 0; i < 24 * 3600 * 20; ++i) {  // 24 hours of ticks, midnight included
    ts.clock.advance(0.05);
    TIMERS(ts.sys);
  }
  EXPECT_NEAR(ts.sys.st.ACQTIME, 86400.0, 1.0);
  // CLEAR restarts the count from zero.
  CmdButton_CLEAR_Click(ts.sys);
  ts.tick(2.0);
  EXPECT_NEAR(ts.sys.st.ACQTIME, 2.0, 0.01);
}

TEST(Cycle, AcquisitionTimeStopsWhenPaused) {
  TestSystem ts;
  ts.tick(2);
  ts.sys.st.DF_TIMER = false;
  const float before = ts.sys.st.ACQTIME;
  ts.tick(30);
  EXPECT_EQ(ts.sys.st.ACQTIME, before);
}

TEST(Cycle, SerialTimeoutShowsAfterMoreThanFiveSeconds) {
  TestSystem ts;
  armReceiver(ts);
  MainControls& m = ts.sys.main;
  ts.tick(5.0);
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible);
  EXPECT_TRUE(m.Frame_TOP_LEFT.visible);
  ts.tick(0.01);
  EXPECT_TRUE(m.Label_COM_TIMEOUT.visible);
  EXPECT_FALSE(m.Frame_TOP_LEFT.visible);
  // Data again: the warning goes at the next cycle, the panel comes back unless mode 2 hides it.
  ts.sys.st.SHOW_HIDE = 2;
  ts.sys.st.LAST_COM_TIME = ts.sys.clockSecondsNow();
  ts.tick();
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible);
  EXPECT_FALSE(m.Frame_TOP_LEFT.visible);
}

TEST(Cycle, GpsWatchdogFiresAfterMoreThanTenSecondsOnlyForTheReceiver) {
  TestSystem ts;
  armReceiver(ts);
  ts.sys.st.GPS_TIMER = true;
  MainControls& m = ts.sys.main;
  m.Frame_GPS_SPEED.visible = true;
  ts.tick(10.0);
  EXPECT_FALSE(m.Frame_GPS_FAIL.visible);
  ts.tick(0.05);
  EXPECT_TRUE(m.Frame_GPS_FAIL.visible);
  EXPECT_FALSE(m.Frame_GPS_SPEED.visible);

  TestSystem testSource;  // the test source keeps the watchdog quiet
  testSource.sys.st.GPS_TIMER = true;
  testSource.tick(60);
  EXPECT_FALSE(testSource.sys.main.Frame_GPS_FAIL.visible);

  TestSystem paused;  // so does paused acquisition
  armReceiver(paused);
  paused.sys.st.GPS_TIMER = true;
  paused.sys.main.CmdButton_ACQUIRE.caption = kAcquireOff;
  paused.tick(60);
  EXPECT_FALSE(paused.sys.main.Frame_GPS_FAIL.visible);
}

TEST(Cycle, MidnightChangesNoElapsedTime) {
  TestSystem ts;
  ts.clock.runTo(86390.0);
  armReceiver(ts);
  DisplayState& st = ts.sys.st;
  st.GPS_TIMER = true;
  st.DECAY_TIMER = true;
  st.DECAY_TIME = ts.sys.clockSecondsNow();
  stampAcquisitionTime(ts.sys);
  st.ACQTIME = 0;
  for (int i = 0; i < 200; ++i) ts.tick(0.05);  // ten seconds, across midnight
  EXPECT_LT(ts.clock.now, 1.0);
  EXPECT_NEAR(st.ACQTIME, 10.0, 0.01);
  EXPECT_NEAR(st.DF_TIME, 0, 1);
  EXPECT_NEAR(st.GPS_TIME, -10, 1);
  EXPECT_EQ(st.ROLLOVER, 0);
  // Ten seconds of silence across midnight are ten seconds: both warnings are up.
  EXPECT_TRUE(ts.sys.main.Label_COM_TIMEOUT.visible);
  EXPECT_FALSE(ts.sys.main.Frame_GPS_FAIL.visible);  // exactly ten seconds is not yet too long
  ts.tick(0.05);
  EXPECT_TRUE(ts.sys.main.Frame_GPS_FAIL.visible);
}

TEST(Cycle, MidnightIsSeenEveryDayWhereverTheFirstReadingFalls) {
  TestSystem ts;
  ts.clock.runTo(0.3);  // the rounded stamp would be 0 and hide every later midnight
  Timer1_Timer(ts.sys);
  // Each day's first reading falls later after midnight than the day before's.
  for (double after : {0.1, 0.31, 0.45}) {
    ts.clock.runTo(86399.9);
    stampAcquisitionTime(ts.sys);
    ts.sys.st.ACQTIME = 0;
    Timer1_Timer(ts.sys);
    ts.clock.runTo(after);
    Timer1_Timer(ts.sys);
    EXPECT_GE(ts.sys.st.ACQTIME, 0.0f) << after;
    EXPECT_LT(ts.sys.st.ACQTIME, 1.0f) << after;
    EXPECT_EQ(ts.sys.st.ROLLOVER, 0) << after;
  }
  // A machine that ran from ten in the morning to just after midnight without a tick has passed one.
  ts.clock.runTo(36000);
  Timer1_Timer(ts.sys);
  ts.clock.runTo(0.25);
  Timer1_Timer(ts.sys);
  EXPECT_NEAR(ts.sys.st.ACQTIME, 0.55 + 35999.55 + 50400.25, 0.1);
}

// Laptops step the wall clock: summer time ends, a time sync corrects it, someone sets it, a suspend
// of most of a day ends. With the line silent since just before the step, decay keeps its beat, the
// warnings come 5 and 10 s after the last data, and acquisition time is the time acquired.
TEST(Cycle, WallClockStepsLeaveEveryElapsedTimeAlone) {
  struct Step {
    const char* what;
    double seconds;
  };
  for (const Step& step : {Step{"1 h back", -3600.0}, Step{"4 h back", -4 * 3600.0}, Step{"2 h forward", 2 * 3600.0},
                           Step{"22 h suspend", 22 * 3600.0}}) {
    TestSystem ts;
    armReceiver(ts);  // the last data: now
    DisplayState& st = ts.sys.st;
    MainControls& m = ts.sys.main;
    st.GPS_TIMER = true;
    Form_KeyDown(ts.sys, KeyD, 0);  // decay on, every 5 s
    ASSERT_TRUE(st.DECAY_TIMER);
    st.BEARING_COUNT[100] = 1000;
    stampAcquisitionTime(ts.sys);
    st.ACQTIME = 0;
    const double start = ts.clock.steady;
    ts.tick(1.0);
    ts.clock.stepWall(step.seconds);
    double comTimeout = -1, gpsFail = -1;
    std::vector<double> decays;
    Single count = st.BEARING_COUNT[100];
    while (ts.clock.steady - start < 21.0) {
      ts.tick(0.05);
      const double t = ts.clock.steady - start;
      if (comTimeout < 0 && m.Label_COM_TIMEOUT.visible) comTimeout = t;
      if (gpsFail < 0 && m.Frame_GPS_FAIL.visible) gpsFail = t;
      if (st.BEARING_COUNT[100] != count) {
        decays.push_back(t);
        count = st.BEARING_COUNT[100];
      }
    }
    EXPECT_NEAR(comTimeout, 5.0, 0.1) << step.what;
    EXPECT_NEAR(gpsFail, 10.0, 0.1) << step.what;
    ASSERT_EQ(decays.size(), 4u) << step.what;
    for (std::size_t i = 0; i < decays.size(); ++i) EXPECT_NEAR(decays[i], 5.0 * (i + 1), 0.1) << step.what;
    EXPECT_NEAR(st.ACQTIME, 21.0, 0.1) << step.what;
    EXPECT_EQ(m.Label_TOTAL_TIME.caption, "TOTAL TIME : 0021") << step.what;
    // The operator still reads the wall clock.
    EXPECT_EQ(m.Label_TIME.caption, "TIME : " + ts.clock.timeOfDayText()) << step.what;
  }
}

TEST(Cycle, StampsTakenAfterMidnightBeforeTheTickStayOnTheNewDay) {
  TestSystem ts;
  armReceiver(ts);
  DisplayState& st = ts.sys.st;
  MainControls& m = ts.sys.main;
  ts.clock.runTo(86390.0);
  st.LAST_COM_TIME = ts.sys.clockSecondsNow();
  stampAcquisitionTime(ts.sys);
  st.ACQTIME = 0;
  for (int i = 0; i < 199; ++i) ts.tick(0.05);  // 23:59:59.95, 9.95 s acquired
  EXPECT_NEAR(st.ACQTIME, 9.95, 0.01);
  // Just after midnight, before the tick: acquisition off and on, decay on, data on the line.
  ts.clock.runTo(0.02);
  Form_KeyDown(ts.sys, KeyA, 0);
  Form_KeyDown(ts.sys, KeyA, 0);
  Form_KeyDown(ts.sys, KeyD, 0);
  ts.receive("x");
  ASSERT_EQ(m.CmdButton_ACQUIRE.caption, kAcquireOn);
  ts.tick(0.03);
  EXPECT_LT(st.ACQTIME, 10.1f);
  EXPECT_EQ(m.Label_TOTAL_TIME.caption, "TOTAL TIME : 0009");
  EXPECT_EQ(st.DECAY_TIME, 0);
  EXPECT_EQ(st.LAST_COM_TIME, 0);
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible);
  EXPECT_EQ(st.ROLLOVER, 0);
}

TEST(Cycle, TickReenablesTheTimerAndWritesTheClockLabel) {
  TestSystem ts;
  ts.clock.now = 3600 * 13 + 62;
  Timer1_Timer(ts.sys);
  EXPECT_TRUE(ts.sys.main.Timer1.enabled);
  EXPECT_EQ(ts.sys.main.Label_TIME.caption, "TIME : 13:01:02");
  EXPECT_EQ(ts.surface.ops.back().kind, DrawOp::Refresh);
}

TEST(Cycle, OneDfBearingPerTimerPeriodAndNeverCountedTwice) {
  TestSystem ts;
  ts.useReceiver();
  DisplayState& st = ts.sys.st;
  ASSERT_EQ(st.INCOUNT, 0);
  ts.receive("%045\r\n");
  EXPECT_TRUE(st.NEW_DF_MESSAGE);
  EXPECT_EQ(st.INCOUNT, 1);
  EXPECT_EQ(st.BEARING_COUNT[45], 1.0f);
  EXPECT_TRUE(ts.sys.main.Timer1.enabled);
  EXPECT_NE(ts.sys.main.Label_TIME.caption, "00:00:00 AM");
  // A command's cycle a few milliseconds later does not take the message again.
  ts.clock.advance(0.005);
  EXPECT_FALSE(ts.sys.run.dfTakenForThisCycle);
  EXECUTIVE(ts.sys);
  EXPECT_EQ(st.INCOUNT, 1);
  // Before the tick a further message waits (and still reaches the GPS buffer): the tick counts it.
  ts.receive("%090\r\n");
  EXPECT_EQ(st.INCOUNT, 1);
  EXPECT_NE(st.GPS_BUFFER.find("%090"), std::string::npos);
  ts.tick();
  EXPECT_EQ(st.INCOUNT, 2);
  EXPECT_EQ(st.BEARING_COUNT[90], 1.0f);
  ts.tick();
  EXPECT_FALSE(st.NEW_DF_MESSAGE);
  EXPECT_EQ(st.INCOUNT, 2);
  ts.receive("%090\r\n");
  EXPECT_EQ(st.INCOUNT, 3);
  EXPECT_EQ(st.BEARING_COUNT[90], 2.0f);
}

}  // namespace
}  // namespace sorvant::test
