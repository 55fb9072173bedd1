#include "core/System.h"

#include <algorithm>
#include <cmath>

namespace sorvant {

namespace {

constexpr double kDay = 86400.0;

}  // namespace

double System::readClock() {
  RunState& r = run;
  DisplayState& s = st;
  const double steady = clock.monotonicSeconds();
  if (!r.clockStarted) {
    r.clockStarted = true;
    r.clockOrigin = clock.secondsSinceMidnight();
    r.steadyOrigin = steady;
    r.clockDay = 0;
  }
  // Elapsed times are differences of this clock, so it must never step: it follows the steady clock
  // alone, and a wall clock set back by an hour, or a machine resumed from a suspend, moves no stamp
  // into the future or the past. It still counts seconds since a midnight, so the Single arithmetic of
  // the rules keeps its precision however long the program runs.
  const double total = r.clockOrigin + std::max(0.0, steady - r.steadyOrigin);
  const double day = std::floor(total / kDay);
  const double now = total - day * kDay;
  // Midnight: every stamp moves back by a day, so no elapsed time changes. Counted in whole days, not
  // guessed from the clock falling back, so even a reading more than a day after the last one is right.
  if (day > r.clockDay) {
    const Long back = static_cast<Long>((day - r.clockDay) * kDay);
    s.DF_TIME -= back;
    r.dfClock -= back;
    s.LAST_COM_TIME -= back;
    s.DECAY_TIME -= back;
    s.GPS_TIME -= back;
    s.ROLLOVER = clockSeconds(now);
    r.clockDay = day;
  }
  return now;
}

void stampAcquisitionTime(System& sys, double clock) {
  sys.st.DF_TIME = clockSeconds(clock);
  sys.run.dfClock = clock;
}

void dropWaitingDfMessages(System& sys) { sys.run.dfWaiting.clear(); }

void stampAcquisitionTime(System& sys) { stampAcquisitionTime(sys, sys.readClock()); }

void clearSurface(System& sys) {
  sys.surface.backColor = sys.main.backColor;
  sys.surface.Cls();
}

}  // namespace sorvant
