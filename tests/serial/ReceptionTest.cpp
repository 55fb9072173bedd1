#include <gtest/gtest.h>

#include "serial/Reception.h"
#include "serial/SerialTestSupport.h"

namespace sorvant::test {
namespace {

struct Reception : ::testing::Test {
  TestSystem t;
  DisplayState& st = t.sys.st;
  MainControls& m = t.sys.main;
  void SetUp() override { listenToReceiver(t); }
  // One DF message in its own timer period.
  void df(const std::string& text) {
    t.receive(text);
    t.tick();
  }
};

TEST_F(Reception, TrueBearingAddsHeadingRoundsToEvenAndWraps) {
  st.HEADING = 350;
  df("%020");
  EXPECT_EQ(st.TRUE_DF_BEARING, 10);
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 020");
  EXPECT_EQ(st.BEARING_COUNT[10], 1);

  st.HEADING = 0;
  df("%000");
  EXPECT_EQ(st.TRUE_DF_BEARING, 0);
  EXPECT_EQ(st.BEARING_COUNT[360], 1);

  st.HEADING = 10;
  df("%2.5");
  EXPECT_EQ(st.TRUE_DF_BEARING, 12);
  df("%3.5");
  EXPECT_EQ(st.TRUE_DF_BEARING, 14);

  st.HEADING = 360;  // after a held clockwise step
  df("%359");
  EXPECT_EQ(st.TRUE_DF_BEARING, 359);
  EXPECT_EQ(st.INCOUNT, 5);
  EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG : 0005");
}

TEST_F(Reception, OneMessagePerTimerPeriod) {
  t.receive("$GPGSA,%010 junk %020\r\n");
  EXPECT_EQ(st.DF_MESSAGE, "010");
  EXPECT_EQ(st.INCOUNT, 1);
  t.receive("%030");  // same period: buffered, not taken
  EXPECT_EQ(st.INCOUNT, 1);
  EXPECT_EQ(st.GPS_BUFFER, "$GPGSA,%010 junk %020\r\n%030");
  EXECUTIVE(t.sys);  // a command's cycle does not count it again
  EXPECT_EQ(st.INCOUNT, 1);
  t.tick();
  EXPECT_EQ(st.INCOUNT, 1);
  t.receive("%040");
  EXPECT_EQ(st.INCOUNT, 2);
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 040");
}

TEST_F(Reception, ShortOrNonNumericMessageReadsAsZero) {
  st.HEADING = 90;
  df("$GPGGA,%");
  EXPECT_EQ(st.DF_MESSAGE, "");
  EXPECT_EQ(st.TRUE_DF_BEARING, 90);
  df("%ab");
  EXPECT_EQ(st.TRUE_DF_BEARING, 90);
  df("%7");
  EXPECT_EQ(st.TRUE_DF_BEARING, 97);
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 007");
  EXPECT_EQ(st.INCOUNT, 3);
}

TEST_F(Reception, OutOfRangeBearingIsRejectedWithoutTrace) {
  st.HEADING = 100;
  df("%045");
  const Single markerX = st.DFBUGX, markerY = st.DFBUGY;
  for (const char* noise : {"%-05", "%999", "%360", "%-1."}) {
    t.receive(noise);
    EXPECT_TRUE(st.NEW_DF_MESSAGE) << noise;  // taken, then refused
    t.tick();
    EXPECT_EQ(st.INCOUNT, 1) << noise;
    EXPECT_EQ(st.TRUE_DF_BEARING, 145) << noise;
    EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 045") << noise;
    EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG : 0001") << noise;
  }
  EXPECT_EQ(st.DFBUGX, markerX);
  EXPECT_EQ(st.DFBUGY, markerY);
  for (int bin = 1; bin <= 360; ++bin) {
    EXPECT_EQ(st.BEARING_COUNT[bin], bin == 145 ? 1 : 0) << bin;
  }
}

TEST_F(Reception, TotalCaptionAndSaturatingCount) {
  st.INCOUNT = 998;
  df("%001");
  EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG : 0999");
  df("%001");
  EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG :  1000");
  st.INCOUNT = 32767;
  df("%001");
  EXPECT_EQ(st.INCOUNT, 32767);
  EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG :  32767");
}

TEST_F(Reception, MarkerFollowsRelativeBearingAndVariation) {
  st.HEADING = 200;
  st.HEADING_CORRECTION = 15;
  df("%020");
  EXPECT_FLOAT_EQ(st.DFBUGBRG, 70 * 0.017453f);
  m.CmdButton_VAR.caption = kVarOn;
  df("%020");
  EXPECT_FLOAT_EQ(st.DFBUGBRG, 55 * 0.017453f);
  EXPECT_EQ(st.TRUE_DF_BEARING, 220);  // variation never touches the counted bearing
}

TEST_F(Reception, BufferTrimAndWatchdog) {
  t.clock.advance(7);
  t.receive(std::string(600, 'a'));
  EXPECT_EQ(st.LAST_COM_TIME, t.sys.clockSecondsNow());
  t.receive(std::string(599, 'b') + "c");
  ASSERT_EQ(st.GPS_BUFFER.size(), 1000u);
  EXPECT_EQ(st.GPS_BUFFER.substr(0, 400), std::string(400, 'a'));
  EXPECT_EQ(st.GPS_BUFFER.back(), 'c');
  EXPECT_EQ(st.INBUFF, std::string(599, 'b') + "c");

  // A warning left on show with the watchdog disarmed: the first decoded message removes it and re-arms.
  st.COM_TIMEOUT_TIMER = false;
  m.Label_COM_TIMEOUT.visible = true;
  m.Frame_TOP_LEFT.visible = false;
  t.clock.advance(60);
  t.receive("%010");
  EXPECT_EQ(st.LAST_COM_TIME, t.sys.clockSecondsNow());
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible);
  EXPECT_TRUE(m.Frame_TOP_LEFT.visible);
  EXPECT_TRUE(st.COM_TIMEOUT_TIMER);
}

}  // namespace
}  // namespace sorvant::test
