#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "histogram/TestSource.h"
#include "input/KeyMap.h"
#include "options/OptionsCommands.h"
#include "serial/Compass.h"
#include "serial/Reception.h"
#include "serial/SerialTestSupport.h"

namespace sorvant::test {
namespace {

struct Reception : ::testing::Test {
  TestSystem t;
  DisplayState& st = t.sys.st;
  MainControls& m = t.sys.main;
  void SetUp() override { listenToReceiver(t); }
  // Text with a DF message, alone in its timer period; returns the true bearing.
  int df(const std::string& text) {
    t.receive(text);
    t.tick();
    return st.TRUE_DF_BEARING;
  }
};

TEST_F(Reception, TrueBearingAddsHeadingRoundsToEvenAndWraps) {
  st.HEADING = 350;
  EXPECT_EQ(df("%020"), 10);
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 020");
  st.HEADING = 0;
  EXPECT_EQ(df("%000"), 0);
  EXPECT_EQ(st.BEARING_COUNT[360], 1);
  st.HEADING = 10;
  EXPECT_EQ(df("%2.5"), 12);
  EXPECT_EQ(df("%3.5"), 14);
  EXPECT_EQ(df("% 9"), 19);  // blanks before the digits are skipped
  EXPECT_EQ(df("%9"), 19);   // cut short: read from what arrived
  st.HEADING = 360;          // after a held clockwise step
  EXPECT_EQ(df("%359"), 359);
  EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG : 0007");
}

TEST_F(Reception, LineNoiseCountsNothingAndLeavesThePeriodsMessage) {
  st.HEADING = 10;
  const std::string lastBearing = m.Label_LAST_BRG.caption;
  const std::string nulFirst = std::string("%") + '\0' + "12";
  for (const std::string& noise : {std::string("%abc"), std::string("%%%%"), std::string("$GPGGA,%"), nulFirst,
                                   std::string("%   "), std::string("%-05"), std::string("%.5")}) {
    t.receive(noise);
    EXPECT_FALSE(st.NEW_DF_MESSAGE) << noise;
    t.tick();
  }
  EXPECT_EQ(st.INCOUNT, 0);
  EXPECT_EQ(st.MAXVECTOR, 0);
  EXPECT_EQ(m.Label_LAST_BRG.caption, lastBearing);

  // The next "%" of the same data is looked at, and so is a later receive event of the same period.
  t.receive("%%x%%020\r\n");
  EXPECT_EQ(st.TRUE_DF_BEARING, 30);
  t.tick();
  t.receive("%ab");
  t.receive("xx%045");
  EXPECT_EQ(st.TRUE_DF_BEARING, 55);
  EXPECT_EQ(st.INCOUNT, 2);
}

// Bearings that reach the program together (taken while a GPS sentence held the line) are each
// counted, one per timer period and never twice; only a flood beyond half a second of them is cut.
TEST_F(Reception, MessagesThatFindThePeriodTakenWaitForLaterPeriods) {
  t.receive("$GPGSA,%010 junk %020\r\n");
  EXPECT_EQ(st.DF_MESSAGE, "010");
  EXPECT_EQ(st.INCOUNT, 1);
  t.receive("%030");  // same period: waits
  EXPECT_EQ(st.GPS_BUFFER, "$GPGSA,%010 junk %020\r\n%030");
  EXECUTIVE(t.sys);  // a command's cycle counts neither the message again nor a waiting one
  EXPECT_EQ(st.INCOUNT, 1);
  for (const char* expected : {"LAST BRG : 020", "LAST BRG : 030"}) {
    t.tick();
    EXPECT_EQ(m.Label_LAST_BRG.caption, expected);
    EXECUTIVE(t.sys);
  }
  EXPECT_EQ(st.INCOUNT, 3);
  t.tick();
  EXPECT_EQ(st.INCOUNT, 3);
  EXPECT_FALSE(st.NEW_DF_MESSAGE);

  // A message that is no bearing takes no period: the good one right behind it counts at once.
  t.receive("%999%360%040");
  EXPECT_EQ(st.INCOUNT, 4);
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 040");
  t.tick();
  EXPECT_EQ(st.INCOUNT, 4);

  // Five messages in one read: five periods, in order.
  t.receive("%001\r\n%002\r\n%003\r\n%004\r\n%005\r\n");
  for (int n = 1; n <= 5; ++n) {
    EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 00" + std::to_string(n));
    EXPECT_EQ(st.INCOUNT, 4 + n);
    t.tick();
  }
  EXPECT_EQ(st.INCOUNT, 9);

  // A flood keeps the newest messages, half a second of periods of them, so the display never lags.
  std::string flood;
  for (int n = 100; n < 130; ++n) flood += "%" + std::to_string(n);
  t.receive(flood);
  for (int i = 0; i < 40; ++i) t.tick();
  EXPECT_EQ(st.INCOUNT, 9 + static_cast<Integer>(kDfWaitingLimit));
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 129");
  EXPECT_EQ(st.BEARING_COUNT[129 - kDfWaitingLimit], 0);
  EXPECT_EQ(st.BEARING_COUNT[130 - kDfWaitingLimit], 1);

  // Messages still waiting when acquisition stops are not counted.
  t.receive("%201%202%203");
  CmdButton_ACQUIRE_Click(t.sys);
  for (int i = 0; i < 5; ++i) t.tick();
  EXPECT_EQ(st.INCOUNT, 10 + static_cast<Integer>(kDfWaitingLimit));
  EXPECT_TRUE(t.sys.run.dfWaiting.empty());
}

// Bearings still waiting when the operator starts another picture belong to the old one: clear,
// recall, the source or acquisition switched either way and a change of port or speed drop them.
// Other commands leave them to be counted.
TEST_F(Reception, CommandsThatStartAnotherPictureDropTheWaitingMessages) {
  std::string ten;
  for (int n = 10; n < 20; ++n) ten += "%0" + std::to_string(n) + "\r\n";
  const auto emptyPicture = [&] {
    for (int bin = 1; bin <= 360; ++bin)
      if (st.BEARING_COUNT[bin] != 0 || st.SECTOR_SUM[bin] != 0) return false;
    return st.MAXVECTOR == 0;
  };
  struct Case {
    const char* what;
    std::vector<int> keys;
    bool fresh;  // the command starts an empty picture
  };
  for (const Case& c :
       {Case{"C", {KeyC}, true}, Case{"1 7 A", {Key1, Key7, KeyA}, true}, Case{"T T", {KeyT, KeyT}, true},
        Case{"A A", {KeyA, KeyA}, false}, Case{"baud", {}, false}, Case{"S V", {KeyS, KeyV}, false}}) {
    ASSERT_EQ(m.CmdButton_TEST.caption, kTestOff) << c.what;
    ASSERT_EQ(m.CmdButton_ACQUIRE.caption, kAcquireOn) << c.what;
    // Ten in one read, the command 80 ms later: one at once and one at the tick between are counted.
    const Integer before = st.INCOUNT;
    t.receive(ten);
    t.tick();
    t.clock.advance(0.03);
    ASSERT_EQ(st.INCOUNT, before + 2) << c.what;
    for (int key : c.keys) Form_KeyDown(t.sys, key, 0);
    if (std::string(c.what) == "baud") {
      CmdButton_BAUD_RATE_Click(t.sys);
      CmdButton_BAUD_RATE_Click(t.sys);
      ASSERT_TRUE(t.port.portOpen());
    }
    const Integer after = st.INCOUNT;
    for (int i = 0; i < 15; ++i) t.tick();
    if (std::string(c.what) == "S V") {
      EXPECT_EQ(st.INCOUNT, after + 8) << c.what;
      continue;
    }
    EXPECT_TRUE(t.sys.run.dfWaiting.empty()) << c.what;
    EXPECT_EQ(st.INCOUNT, after) << c.what;
    EXPECT_EQ(m.Label_TOTAL_BRG.caption, c.fresh ? kTotalBrgZero : totalBrgCaption(after)) << c.what;
    EXPECT_EQ(emptyPicture(), c.fresh) << c.what;
  }
}

// A waiting message is counted with the heading in force when it arrived, as it would have been had
// it been taken at once; the marker and the caption then show it where its vector is drawn, relative
// to the heading now.
TEST_F(Reception, WaitingMessageKeepsTheHeadingItArrivedWith) {
  const auto markerOnItsVector = [&](int trueBearing) {
    // Where the vector of that bin points on the display as it is turned now.
    const double degrees = 90 + st.HEADING - (t.sys.varOn() ? st.HEADING_CORRECTION : 0) - trueBearing;
    const double k = 3.14159265358979 / 180;
    return std::abs(std::cos(st.DFBUGBRG) - std::cos(degrees * k)) < 1e-3 &&
           std::abs(std::sin(st.DFBUGBRG) - std::sin(degrees * k)) < 1e-3;
  };
  std::string ten;
  for (int n = 0; n < 10; ++n) ten += "%090\r\n";

  // Heading 000, ten bearings and then a course of 180 in one read.
  useGpsHeading(t);
  st.HEADING = 0;
  t.receive(ten + sentence("GPVTG,180.0,T,,M,010.0,N,018.5,K,A") + kFiller);
  EXPECT_EQ(st.HEADING, 180);
  for (int i = 0; i < 12; ++i) {
    t.tick();
    EXPECT_TRUE(markerOnItsVector(90)) << i;
  }
  EXPECT_EQ(st.INCOUNT, 10);
  EXPECT_EQ(st.BEARING_COUNT[90], 10);
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 270");

  // Manual steps while they wait, with the variation turning the display.
  t.sys.opt.CmdButton_HEADING.caption = kHeadingManual;
  t.sys.opt.HEADING_CORRECTION = st.HEADING_CORRECTION = 15;
  CmdButton_VAR_Click(t.sys);
  st.HEADING = 0;
  t.receive(ten);
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 090");
  EXPECT_TRUE(markerOnItsVector(90));
  for (int i = 0; i < 9; ++i) {
    if (i < 5) Form_KeyDown(t.sys, KeyPad6, ShiftMask);  // ten degrees clockwise
    t.tick();
    EXPECT_TRUE(markerOnItsVector(90)) << i;
  }
  EXPECT_EQ(st.BEARING_COUNT[90], 20);
  EXPECT_EQ(st.INCOUNT, 20);
  EXPECT_EQ(st.HEADING, 50);
  EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 040");
}

TEST_F(Reception, OutOfRangeBearingIsRejectedWithoutTrace) {
  st.HEADING = 100;
  df("%045");
  const Single markerX = st.DFBUGX, markerY = st.DFBUGY;
  for (const char* noise : {"%-05", "%999", "%360", "%-1."}) {
    EXPECT_EQ(df(noise), 145) << noise;
    EXPECT_EQ(st.INCOUNT, 1) << noise;
    EXPECT_EQ(m.Label_LAST_BRG.caption, "LAST BRG : 045") << noise;
    EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG : 0001") << noise;
  }
  EXPECT_EQ(st.DFBUGX, markerX);
  EXPECT_EQ(st.DFBUGY, markerY);
  for (int bin = 1; bin <= 360; ++bin) EXPECT_EQ(st.BEARING_COUNT[bin], bin == 145 ? 1 : 0) << bin;
}

TEST_F(Reception, TotalCaptionSaturatesAndMarkerTurnsWithVariation) {
  st.INCOUNT = 998;
  df("%001");
  EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG : 0999");
  df("%001");
  EXPECT_EQ(m.Label_TOTAL_BRG.caption, "TOTAL BRG :  1000");
  st.INCOUNT = 32767;
  df("%001");
  EXPECT_EQ(st.INCOUNT, 32767);

  st.HEADING = 200;
  st.HEADING_CORRECTION = 15;
  df("%020");
  EXPECT_FLOAT_EQ(st.DFBUGBRG, 70 * 0.017453f);
  m.CmdButton_VAR.caption = kVarOn;
  EXPECT_EQ(df("%020"), 220);  // variation never touches the counted bearing
  EXPECT_FLOAT_EQ(st.DFBUGBRG, 55 * 0.017453f);
}

TEST_F(Reception, BufferTrimAndWatchdog) {
  t.receive(std::string(600, 'a'));
  t.receive(std::string(599, 'b') + "c");
  ASSERT_EQ(st.GPS_BUFFER.size(), 1000u);
  EXPECT_EQ(st.GPS_BUFFER.substr(0, 400), std::string(400, 'a'));
  EXPECT_EQ(st.GPS_BUFFER.back(), 'c');

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
