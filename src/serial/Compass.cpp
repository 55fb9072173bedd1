#include "serial/Compass.h"

#include "serial/Nmea.h"

namespace sorvant {

void COMPASS(System& sys) {
  if (sys.headingManual()) return;
  DisplayState& st = sys.st;
  MainControls& m = sys.main;

  // A whole sentence that is refused is dropped at once and the next one examined, so one damaged
  // sentence neither holds up the heading nor lets an older course through later. A sentence still
  // arriving waits for the next cycle.
  nmea::CourseReading reading = nmea::readCourse(st.GPS_BUFFER);
  while (reading.outcome == nmea::CourseReading::Outcome::Refused) {
    st.GPS_BUFFER.erase(reading.start, reading.length);
    reading = nmea::readCourse(st.GPS_BUFFER);
  }
  if (reading.outcome != nmea::CourseReading::Outcome::Accepted) return;

  st.GPS_TIME = sys.clockSecondsNow();
  m.Frame_GPS_FAIL.visible = false;
  st.GPS_BUFFER.clear();

  // Below 4 knots the course over ground wanders, so the heading keeps its last value.
  if (reading.hasCourse && reading.speed > 3) {
    st.HEADING = static_cast<Integer>(reading.course);
    m.Frame_GPS_SPEED.visible = false;
  } else {
    m.Frame_GPS_SPEED.visible = true;
  }

  const bool var = sys.varOn();
  int shown = st.HEADING;
  if (var) shown = wrapDegrees(shown + sys.opt.HEADING_CORRECTION);
  st.HEADING_STRING = threeDigits(shown);
  m.Label_HDG.caption = "GPS " + st.HEADING_STRING + (var ? " MAG" : " TRU");
  st.NEWAZIMUTH = true;
  st.NEWRING = true;
}

void CmdButton_VAR_Click(System& sys) {
  MainControls& m = sys.main;
  const bool turnOn = m.CmdButton_VAR.caption == kVarOff;
  m.CmdButton_VAR.caption = turnOn ? kVarOn : kVarOff;
  m.Label_HDG.caption = leftChars(m.Label_HDG.caption, 7) + (turnOn ? " MAG" : " TRU");
  sys.st.NEWAZIMUTH = true;
  sys.st.NEWCURSOR = true;
  sys.st.NEWRING = true;
}

}  // namespace sorvant
