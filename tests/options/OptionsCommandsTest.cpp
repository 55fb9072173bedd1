#include <gtest/gtest.h>

#include "options/OptionsCommands.h"
#include "support/TestSystem.h"

namespace sorvant::test {
namespace {

TEST(OptionsPort, StepsThroughEightPortsTestingEachAndKeepingItsOpenState) {
  TestSystem ts;
  OptionsControls& o = ts.sys.opt;
  ts.port.setCommPort(8);
  CmdButton_COMM_PORT_Click(ts.sys);
  EXPECT_EQ(ts.port.commPort(), 1);
  EXPECT_EQ(o.CmdButton_COMM_PORT.caption, "COMM PORT : COM 1");
  EXPECT_EQ(o.CmdButton_COMM_PORT.tag, "COM1 @ ");
  EXPECT_EQ(ts.port.openCalls, 1);   // tested by opening...
  EXPECT_FALSE(ts.port.portOpen());  // ...and closed again, as it was
  EXPECT_EQ(ts.sys.main.Label_COMM.caption, "COM1 @ 4800 BAUD");

  ASSERT_TRUE(ts.port.open());
  CmdButton_COMM_PORT_Click(ts.sys);
  EXPECT_EQ(ts.port.commPort(), 2);
  EXPECT_TRUE(ts.port.portOpen());
  EXPECT_EQ(ts.sys.main.Label_COMM.caption, "COM2 @ 4800 BAUD");
}

TEST(OptionsPort, AFailedPortGreysTheButtonAndStopsAcquisition) {
  TestSystem ts;
  ts.useReceiver();
  ASSERT_TRUE(ts.port.portOpen());
  ts.port.failOpen = true;
  const std::string label = ts.sys.main.Label_COMM.caption;
  CmdButton_COMM_PORT_Click(ts.sys);
  EXPECT_FALSE(ts.port.portOpen());
  EXPECT_EQ(ts.sys.opt.CmdButton_COMM_PORT.backColor, kButtonShadow);
  EXPECT_EQ(ts.sys.opt.CmdButton_COMM_PORT.caption, "COMM PORT : COM 2");
  EXPECT_EQ(ts.sys.main.CmdButton_ACQUIRE.caption, kAcquireOff);
  EXPECT_EQ(ts.sys.main.Label_COMM.caption, label);
  ts.port.failOpen = false;
  CmdButton_COMM_PORT_Click(ts.sys);
  EXPECT_EQ(ts.sys.opt.CmdButton_COMM_PORT.backColor, kButtonFace);
  EXPECT_EQ(ts.sys.main.Label_COMM.caption, "COM3 @ 4800 BAUD");
}

TEST(OptionsPort, SpeedStepsAndReopensAnOpenPort) {
  TestSystem ts;
  OptionsControls& o = ts.sys.opt;
  o.BAUD_RATE = 0;
  CmdButton_BAUD_RATE_Click(ts.sys);
  EXPECT_EQ(o.BAUD_RATE, 4800);
  CmdButton_BAUD_RATE_Click(ts.sys);
  EXPECT_EQ(o.CmdButton_BAUD_RATE.caption, "BAUD RATE : 9600");
  EXPECT_EQ(ts.port.settings(), "9600,n,8,1");
  ASSERT_TRUE(ts.port.open());
  CmdButton_BAUD_RATE_Click(ts.sys);
  EXPECT_EQ(o.CmdButton_BAUD_RATE.tag, "1200 BAUD");
  EXPECT_TRUE(ts.port.portOpen());
  EXPECT_EQ(ts.sys.main.Label_COMM.caption, "COM1 @ 1200 BAUD");
  // A port that will not reopen at the new speed is treated like a failed port change.
  ts.port.failOpen = true;
  CmdButton_BAUD_RATE_Click(ts.sys);
  EXPECT_FALSE(ts.port.portOpen());
  EXPECT_EQ(o.CmdButton_COMM_PORT.backColor, kButtonShadow);
  EXPECT_EQ(ts.sys.main.Label_COMM.caption, "COM1 @ 1200 BAUD");
}

TEST(OptionsHeading, SwitchingToGpsAndBackKeepsTheHeadingDigits) {
  TestSystem ts;
  MainControls& m = ts.sys.main;
  m.Label_HDG.caption = "MAN 123 MAG";
  ts.clock.advance(7);
  CmdButton_HEADING_Click(ts.sys);
  EXPECT_EQ(ts.sys.opt.CmdButton_HEADING.caption, "GPS");
  EXPECT_TRUE(ts.sys.st.GPS_TIMER);
  EXPECT_EQ(ts.sys.st.GPS_TIME, ts.sys.clockSecondsNow());
  EXPECT_FALSE(m.CmdButton_HDG_CW.visible);
  EXPECT_EQ(m.Label_HDG.caption, "GPS 123 MAG");
  CmdButton_HEADING_Click(ts.sys);
  EXPECT_EQ(ts.sys.opt.CmdButton_HEADING.caption, "MANUAL");
  EXPECT_FALSE(ts.sys.st.GPS_TIMER);
  EXPECT_TRUE(m.CmdButton_HDG_CW.visible && m.CmdButton_HDG_CCW.visible);
  EXPECT_EQ(m.Label_HDG.caption, "MAN 123 MAG");
}

TEST(OptionsVariation, RunsRoundTheRingAndReachesTheDisplay) {
  TestSystem ts;
  OptionsControls& o = ts.sys.opt;
  EXPECT_EQ(o.Label_HEADING_CORRECTION.caption, "000 WEST");
  o.HEADING_CORRECTION = 180;
  CmdButton_ERROR_UP_Click(ts.sys);
  EXPECT_EQ(o.HEADING_CORRECTION, -179);
  EXPECT_EQ(o.Label_HEADING_CORRECTION.caption, "179 EAST");
  EXPECT_EQ(ts.sys.st.HEADING_CORRECTION, -179);
  CmdButton_ERROR_DN_Click(ts.sys);
  EXPECT_EQ(o.Label_HEADING_CORRECTION.caption, "180 WEST");
  o.HEADING_CORRECTION = -6;
  CmdButton_ERROR_DN_Click(ts.sys);
  EXPECT_EQ(o.X_STRING, "007 EAST");
  ts.surface.clear();
  CmdButton_ERROR_UP_Click(ts.sys);
  EXPECT_FALSE(ts.surface.of(DrawOp::Print).empty());  // the frame was redrawn at once
}

TEST(OptionsDecay, FractionAndPeriodStepAndShowTogether) {
  TestSystem ts;
  OptionsControls& o = ts.sys.opt;
  Control& label = ts.sys.main.Label_DECAY_RATE;
  CmdButton_FRAC_Click(ts.sys);
  EXPECT_EQ(o.CmdButton_FRAC.tag, "0.85");
  for (int i = 0; i < 4; ++i) CmdButton_TIME_Click(ts.sys);
  EXPECT_EQ(label.caption, "0.85 @ 25 SEC");
  CmdButton_TIME_Click(ts.sys);
  EXPECT_EQ(label.caption, "0.85 @ 30 SEC");
  CmdButton_TIME_Click(ts.sys);
  EXPECT_EQ(o.CmdButton_TIME.caption, "@  5 SEC");
  o.CmdButton_FRAC.tag = "0.5";
  CmdButton_FRAC_Click(ts.sys);
  EXPECT_EQ(o.CmdButton_FRAC.caption, "FRAC 0.95");
  EXPECT_EQ(label.caption, "0.95 @  5 SEC");
  o.CmdButton_FRAC.tag = "0.42";  // not a step of the table: nothing changes
  CmdButton_FRAC_Click(ts.sys);
  EXPECT_EQ(o.CmdButton_FRAC.caption, "FRAC 0.95");
}

}  // namespace
}  // namespace sorvant::test
