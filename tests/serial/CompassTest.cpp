#include <gtest/gtest.h>

#include "serial/Compass.h"
#include "serial/Nmea.h"
#include "serial/SerialTestSupport.h"

namespace sorvant::test {
namespace {

using Outcome = nmea::CourseReading::Outcome;

struct Compass : ::testing::Test {
  TestSystem t;
  DisplayState& st = t.sys.st;
  MainControls& m = t.sys.main;
  void SetUp() override {
    listenToReceiver(t);
    useGpsHeading(t);
    st.HEADING = 123;
    m.Frame_GPS_FAIL.visible = true;
  }
  // Text on the line, then one cycle.
  void gps(const std::string& text) {
    t.receive(text);
    t.tick();
  }
  bool accepted() const { return st.GPS_BUFFER.empty(); }
};

TEST_F(Compass, MovingVtgSetsHeading) {
  t.clock.advance(3);
  gps(sentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A") + kFiller);
  EXPECT_EQ(st.HEADING, 54);
  EXPECT_TRUE(accepted());
  EXPECT_EQ(st.GPS_TIME, t.sys.clockSecondsNow());
  EXPECT_FALSE(m.Frame_GPS_FAIL.visible);
  EXPECT_FALSE(m.Frame_GPS_SPEED.visible);
  EXPECT_EQ(m.Label_HDG.caption, "GPS 054 TRU");
}

TEST_F(Compass, SlowReportsKeepHeadingButShowGpsAlive) {
  gps(sentence("GPRMC,123519,A,4807.038,N,01131.000,E,002.0,084.4,230394,003.1,W") + kFiller);
  EXPECT_TRUE(accepted());
  EXPECT_EQ(st.HEADING, 123);
  EXPECT_TRUE(m.Frame_GPS_SPEED.visible);
  EXPECT_FALSE(m.Frame_GPS_FAIL.visible);

  // An empty course at low speed is still a report; at 4 knots and more it is not.
  m.Frame_GPS_FAIL.visible = true;
  gps(sentence("GNVTG,,T,,M,0.15,N,0.28,K,A") + kFiller);
  EXPECT_TRUE(accepted());
  EXPECT_FALSE(m.Frame_GPS_FAIL.visible);
  EXPECT_EQ(m.Label_HDG.caption, "GPS 123 TRU");
  gps(sentence("GPVTG,,T,,M,4.0,N,7.4,K,A") + kFiller);
  EXPECT_FALSE(accepted());
  EXPECT_EQ(st.HEADING, 123);
}

TEST_F(Compass, ChoosesVtgOfAnyTalkerAndWaitsForCompleteText) {
  const std::string rmc = sentence("GNRMC,1,A,1,N,1,E,10.0,100.0,010118,,,A");
  const std::string vtg = sentence("GLVTG,200.0,T,,M,10.0,N,18.5,K,A");
  // Complete at its line end: until then the VTG waits, and the RMC before it is passed over for it.
  gps(sentence("PGRMC,,,,,,,,,,,,,,,") + rmc + vtg.substr(0, vtg.size() - 2));
  EXPECT_FALSE(accepted());
  EXPECT_EQ(st.HEADING, 123);
  gps("\r");
  EXPECT_EQ(st.HEADING, 200);
  gps(rmc + kFiller);
  EXPECT_EQ(st.HEADING, 100);
  // Proprietary sentences are not course sentences.
  EXPECT_EQ(nmea::readCourse(sentence("PGRMC,1,A,1,N,1,E,10.0,50.0,010118,,,A") + kFiller).outcome, Outcome::None);
}

TEST_F(Compass, ChecksumIsVerifiedWhenPresent) {
  const std::string body = "GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A";
  std::string wrong = sentence(body);
  wrong[wrong.size() - 3] ^= 1;
  EXPECT_EQ(nmea::readCourse(wrong + kFiller).outcome, Outcome::Refused);
  EXPECT_EQ(nmea::readCourse("$" + body + "\r\n" + kFiller).outcome, Outcome::Accepted);
  EXPECT_EQ(nmea::readCourse("$" + body + "*\r\n" + kFiller).outcome, Outcome::Refused);
  EXPECT_TRUE(nmea::checksumAcceptable("$GPRMC,205150.00,V,,,,,,,,,,,V*4a"));
  EXPECT_FALSE(nmea::checksumAcceptable("$GPRMC,205150.00,V,,,,,,,,,,,V*4"));
  // Longer than the standard allows, with its checksum beyond the part that is read: nothing vouches
  // for the fields, so it is refused rather than read as a sentence without a checksum.
  const std::string overlong = "$" + body + ",," + std::string(50, '0') + "*00\r\n";
  EXPECT_EQ(nmea::readCourse(overlong + kFiller).outcome, Outcome::Refused);
  EXPECT_EQ(nmea::readCourse("$" + body + ",," + std::string(50, '0') + "\r\n" + kFiller).outcome, Outcome::Accepted);

  // A refused sentence is dropped at once: the next one is used in the same cycle, or in the cycle
  // after its own line end arrives. It is never left to hold up later sentences.
  gps(wrong + kFiller + sentence("GPVTG,010.0,T,,M,006.0,N,011.1,K,A"));
  EXPECT_EQ(st.HEADING, 10);
  EXPECT_TRUE(accepted());
  int course = 20;
  for (const std::string& damaged :
       {wrong, sentence("GPRMC,1,V,1,N,1,E,10.8,050.0,010118,,"), sentence("GPVTG,050.0,T,,M,10.8,N,20.0,K,N"),
        std::string("$GPVTG,054.7,T,03\r\n"), std::string("$GPVTG,054.7,T,03")}) {
    const std::string good = sentence("GPRMC,1,A,1,N,1,E,10.0," + std::to_string(course) + ".0,010118,,,A");
    gps(damaged + good);
    EXPECT_EQ(st.HEADING, course) << damaged;
    gps(damaged);
    EXPECT_EQ(st.HEADING, course) << damaged;
    course += 10;
    gps(sentence("GPVTG," + std::to_string(course) + ".0,T,,M,10.0,N,18.5,K,A"));
    EXPECT_EQ(st.HEADING, course) << damaged;
    course += 10;
  }
}

// Receivers with high-precision positions send RMC sentences longer than the standard's 80
// characters: a right checksum over the whole sentence vouches for one, up to 120 characters.
TEST_F(Compass, LongSentenceIsReadWhenItsWholeChecksumIsRight) {
  const std::string body = "GNRMC,123519.000,A,4807.0381234,N,01131.0001234,E,022.400,084.400,230394,003.1,W,A,V";
  const std::string rmc = sentence(body);
  ASSERT_EQ(rmc.size(), 88u + 2);
  // Its line end is waited for, however the reads cut it.
  gps(rmc.substr(0, 84));
  EXPECT_FALSE(accepted());
  gps(rmc.substr(84, 3));
  EXPECT_FALSE(accepted());
  gps(rmc.substr(87));
  EXPECT_TRUE(accepted());
  EXPECT_EQ(st.HEADING, 84);
  EXPECT_FALSE(m.Frame_GPS_FAIL.visible);
  // A receiver that sends nothing else keeps the GPS alive.
  for (int second = 0; second < 15; ++second) {
    t.receive(rmc);
    for (int i = 0; i < 20; ++i) t.tick();
  }
  EXPECT_FALSE(m.Frame_GPS_FAIL.visible);

  // Refused: a character changed anywhere, a checksum cut short, a sentence past 120 characters.
  std::string wrong = rmc;
  wrong[30] ^= 1;
  std::string cut = rmc;
  cut.erase(cut.size() - 3, 1);
  const std::string tooLong = sentence(body + "," + std::string(35, '0'));
  ASSERT_GT(tooLong.size(), 120u + 2);
  for (const std::string& refused : {wrong, cut, tooLong}) {
    EXPECT_EQ(nmea::readCourse(refused + kFiller).outcome, Outcome::Refused) << refused;
    st.HEADING = 123;
    gps(refused + kFiller);
    EXPECT_EQ(st.HEADING, 123) << refused;
  }
  EXPECT_EQ(nmea::readCourse(rmc + kFiller).outcome, Outcome::Accepted);

  // Any length up to 120, also the lengths whose "*hh" straddles the standard's 80 characters, for
  // RMC and VTG alike: the course is read from the whole sentence.
  const auto ofLength = [](const std::string& head, const std::string& tail, std::size_t length) {
    return sentence(head + std::string(length - 4 - head.size() - tail.size(), '0') + tail);
  };
  for (std::size_t length : {77u, 78u, 79u, 80u, 81u, 82u, 83u, 84u, 119u, 120u}) {
    for (const std::string& text :
         {ofLength("GNRMC,123519.00,A,4807.038,N,01131.0", ",E,22.4,200.4,071226,003.1,W,A,V", length),
          ofLength("GPVTG,200.4,T,190.0", ",M,22.4,N,41.5,K,A", length)}) {
      ASSERT_EQ(text.size(), length + 2) << text;
      st.HEADING = 123;
      gps(text + kFiller);
      EXPECT_EQ(st.HEADING, 200) << text;
      EXPECT_TRUE(accepted()) << text;
    }
  }
  st.HEADING = 123;
  gps("$GNRMC,123519.00,A,4807.038,N,01131.0004567890,E,22.4,084.4,071226,003.1,W,A,V*43\r\n");
  EXPECT_EQ(st.HEADING, 84);
}

TEST_F(Compass, ReceiverVerdictAndRangesDecide) {
  const std::string next = sentence("GPGGA,1,2,3,4,5,6,12.5,200.0,1,2,3,4,5") + kFiller;
  for (const std::string& text :
       {sentence("GPRMC,1,V,1,N,1,E,10.8,050.0,010118,,"), sentence("GPRMC,1,A,1,N,1,E,10.8,050.0,010118,,,N"),
        sentence("GPVTG,050.0,T,,M,10.8,N,20.0,K,N"), sentence("GPVTG,360.0,T,,M,10.8,N,20.0,K,A"),
        sentence("GPVTG,050.0,T,,M,300.5,N,556.5,K,A"), sentence("GPVTG,050.0,T,,M,,N,,K,A"),
        std::string("$GPRMC,000346.03,A,4808\r\n")}) {  // cut short: no fields borrowed from the next one
    EXPECT_EQ(nmea::readCourse(text + next).outcome, Outcome::Refused) << text;
  }
  const nmea::CourseReading edge = nmea::readCourse(sentence("GPVTG,359.99,T,,M,300,N,,K") + kFiller);
  EXPECT_EQ(edge.outcome, Outcome::Accepted);
  EXPECT_EQ(edge.course, 359);
  EXPECT_EQ(edge.speed, 300);
}

TEST_F(Compass, VariationShowsInLabelOnly) {
  t.sys.opt.HEADING_CORRECTION = 15;
  CmdButton_VAR_Click(t.sys);
  gps(sentence("GPVTG,350.2,T,,M,12.0,N,22.2,K,A") + kFiller);
  EXPECT_EQ(st.HEADING, 350);
  EXPECT_EQ(st.HEADING_STRING, "005");
  EXPECT_EQ(m.Label_HDG.caption, "GPS 005 MAG");

  t.sys.opt.CmdButton_HEADING.caption = kHeadingManual;
  gps(sentence("GPVTG,010.0,T,,M,12.0,N,22.2,K,A") + kFiller);
  EXPECT_EQ(st.HEADING, 350);
}

TEST(VarCommand, TogglesCaptionAndLabelSuffix) {
  TestSystem t;
  MainControls& m = t.sys.main;
  m.Label_HDG.caption = "MAN 045 TRU";
  t.sys.st.NEWCURSOR = t.sys.st.NEWRING = t.sys.st.NEWAZIMUTH = false;
  CmdButton_VAR_Click(t.sys);
  EXPECT_EQ(m.CmdButton_VAR.caption, kVarOn);
  EXPECT_EQ(m.Label_HDG.caption, "MAN 045 MAG");
  EXPECT_TRUE(t.sys.st.NEWCURSOR && t.sys.st.NEWRING && t.sys.st.NEWAZIMUTH);
  CmdButton_VAR_Click(t.sys);
  EXPECT_EQ(m.CmdButton_VAR.caption, kVarOff);
  EXPECT_EQ(m.Label_HDG.caption, "MAN 045 TRU");
  m.CmdButton_VAR.caption = "something else";
  CmdButton_VAR_Click(t.sys);
  EXPECT_EQ(m.CmdButton_VAR.caption, kVarOff);
}

}  // namespace
}  // namespace sorvant::test
