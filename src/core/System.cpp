#include "core/System.h"

namespace sorvant {

namespace {

// A wrap of the seconds-since-midnight counter drops it by more than a few hours (nearly a day at a
// 50 ms tick; less when the machine slept across midnight). A change to winter time drops it by
// an hour and is not a midnight.
constexpr double kMidnightDrop = 3 * 3600.0;
constexpr Long kDay = 86400;

}  // namespace

double System::readClock() {
  const double now = clock.secondsSinceMidnight();
  DisplayState& s = st;
  // Midnight: every stamp moves back by a day, so no elapsed time changes.
  if (now < s.lastClockReading - kMidnightDrop) {
    s.DF_TIME -= kDay;
    s.dfClock -= kDay;
    s.LAST_COM_TIME -= kDay;
    s.DECAY_TIME -= kDay;
    s.GPS_TIME -= kDay;
    s.ROLLOVER = clockSeconds(now);
  }
  s.lastClockReading = now;
  return now;
}

void stampAcquisitionTime(System& sys, double clock) {
  sys.st.DF_TIME = clockSeconds(clock);
  sys.st.dfClock = clock;
}

void stampAcquisitionTime(System& sys) { stampAcquisitionTime(sys, sys.readClock()); }

void clearSurface(System& sys) {
  sys.surface.backColor = sys.main.backColor;
  sys.surface.Cls();
}

}  // namespace sorvant
