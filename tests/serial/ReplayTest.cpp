// Real receiver captures played through the receive path in line-sized pieces, with timer ticks between.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "serial/SerialTestSupport.h"

namespace sorvant::test {
namespace {

constexpr Integer kStartHeading = 123;

// A course sentence in the capture that may set the heading: moving at 4 knots or more, with a course.
struct MovingReport {
  std::size_t offset;
  std::size_t end;  // its line end, or the "$" of the sentence after it
  int course;
};

// Found independently of the reader: every "$xxRMC" / "$xxVTG", fields split up to the line end.
std::vector<MovingReport> movingReports(const std::string& log) {
  std::vector<MovingReport> out;
  for (std::size_t p = log.find('$'); p != std::string::npos && p + 6 <= log.size(); p = log.find('$', p + 1)) {
    const std::string type = log.substr(p + 3, 3);
    if (type != "RMC" && type != "VTG") continue;
    std::string text = log.substr(p, log.find_first_of("\r\n*$", p + 1) - p);
    std::vector<std::string> f;
    for (std::size_t s = 0, c; (c = text.find(',', s)) != std::string::npos; s = c + 1)
      f.push_back(text.substr(s, c - s));
    const std::size_t speed = type == "VTG" ? 5 : 7, course = type == "VTG" ? 1 : 8;
    if (f.size() <= speed || f.size() <= course || f[course].empty()) continue;
    const std::size_t end = std::min(log.find_first_of("\r\n$", p + 1), log.size());
    if (std::atof(f[speed].c_str()) >= 4) out.push_back({p, end, static_cast<int>(std::atof(f[course].c_str()))});
  }
  return out;
}

struct Replay {
  int headingChanges = 0;
  int accepted = 0;
  bool gpsFail = false;
  bool gpsSlow = false;
  int finalHeading = 0;
  int lastMovingCourse = -1;  // the last moving report in the capture
};

Replay replay(const std::string& file) {
  SCOPED_TRACE(file);
  const std::string log = TestSystem::testData("nmea/" + file);
  const std::vector<MovingReport> reports = movingReports(log);
  TestSystem t;
  listenToReceiver(t);
  useGpsHeading(t);
  DisplayState& st = t.sys.st;
  st.HEADING = kStartHeading;

  Replay r;
  std::mt19937 rng(4800);
  std::uniform_int_distribution<std::size_t> pieceSize(16, 64);
  std::size_t fed = 0, sinceAccepted = 0;
  while (fed < log.size()) {
    const std::size_t n = std::min(pieceSize(rng), log.size() - fed);
    const Integer before = st.HEADING;
    t.receive(log.substr(fed, n));
    fed += n;
    t.tick();
    // Only the first cycle after new text can accept: later ones see the same buffer.
    if (st.GPS_BUFFER.empty()) {
      ++r.accepted;
      if (st.HEADING != before) {
        ++r.headingChanges;
        // The sentence in use arrived whole since the last accepted one emptied the buffer, and its
        // line end came with the text just received: no sentence waits for later text.
        bool matched = false, prompt = false;
        for (const MovingReport& m : reports) {
          if (m.offset < sinceAccepted || m.end >= fed || m.course != st.HEADING) continue;
          matched = true;
          prompt |= m.end >= fed - n;
        }
        EXPECT_TRUE(matched) << "heading " << st.HEADING << " at byte " << fed;
        EXPECT_TRUE(prompt) << "heading " << st.HEADING << " at byte " << fed << " applied late";
      }
      sinceAccepted = fed;
    }
    EXPECT_LE(st.GPS_BUFFER.size(), 1000u);
    EXPECT_TRUE(st.HEADING >= 0 && st.HEADING <= 359);
    // The line runs at 4800 bit/s: 480 characters a second.
    for (double spent = 0.05; spent < n / 480.0; spent += 0.05) t.tick();
  }
  r.gpsFail = t.sys.main.Frame_GPS_FAIL.visible;
  r.gpsSlow = t.sys.main.Frame_GPS_SPEED.visible;
  r.finalHeading = st.HEADING;
  if (!reports.empty()) r.lastMovingCourse = reports.back().course;
  return r;
}

TEST(Replay, HeadingFollowsMovingReceivers) {
  const struct {
    const char* file;
    int minChanges;
  } captures[] = {
      {"gpsd-bundg_zeus_9.log", 100}, {"gpsd-sl869.log", 1}, {"aerorust-nmea1-excerpt-lines1-1200.log", 15}};
  for (const auto& c : captures) {
    const Replay r = replay(c.file);
    EXPECT_GE(r.headingChanges, c.minChanges) << c.file;
    const int off = std::abs(r.finalHeading - r.lastMovingCourse);
    EXPECT_LE(std::min(off, 360 - off), 1) << c.file;
    EXPECT_FALSE(r.gpsFail) << c.file;
  }
}

TEST(Replay, HeadingStaysForStationaryNoFixAndDemoReceivers) {
  for (const char* file : {"gpsd-skytraq-dgps.log", "gpsd-et-332.log", "gpsd-magellan-ec10.log", "gpsd-telit-he910.log",
                           "gpsd-neo-m8n.log", "gpsd-telit-pls83-w.log", "gpsd-skytraq.log", "gpsd-tn200-all.log",
                           "gpsd-GPSmap-76S.log", "gpsd-garmin-geko201.log"}) {
    const Replay r = replay(file);
    EXPECT_EQ(r.headingChanges, 0) << file;
  }
  // Other talkers are read: a stationary GN-only receiver reports itself alive and slow.
  const Replay gn = replay("gpsd-neo-m8n.log");
  EXPECT_GT(gn.accepted, 0);
  EXPECT_TRUE(gn.gpsSlow && !gn.gpsFail);
  // Sentences the receiver marks void or without a fix are never accepted, so the watchdog fires.
  EXPECT_EQ(replay("gpsd-garmin-geko201.log").accepted, 0);
  EXPECT_TRUE(replay("gpsd-skytraq.log").gpsFail);
}

TEST(Replay, DamagedAndJitteryCapturesOnlyUseMovingReports) {
  for (const char* file : {"gpsd-gp-320fw-2019-04-07-coldboot.log", "gpsd-haicom-305N.log", "gpsd-quectel-eg25-g.log"})
    replay(file);
}

}  // namespace
}  // namespace sorvant::test
