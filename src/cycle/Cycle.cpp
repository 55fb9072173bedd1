#include "cycle/Cycle.h"

#include "display/Azimuth.h"
#include "display/Overlays.h"
#include "histogram/Accumulation.h"
#include "histogram/TestSource.h"
#include "serial/Compass.h"
#include "serial/PortState.h"
#include "serial/Reception.h"

namespace sorvant {

void Timer1_Timer(System& sys) {
  sys.st.NEW_DF_MESSAGE = false;
  sys.main.Timer1.enabled = false;
  // A DF message that arrived while an earlier one held the slot is this period's message.
  takeWaitingDfMessage(sys);
  EXECUTIVE(sys);
}

void EXECUTIVE(System& sys) {
  DisplayState& st = sys.st;
  TIMERS(sys);
  showPortState(sys);
  // A DF message is decoded only by the cycle that took it (reception's, or the tick's); any other cycle
  // before the next tick leaves it alone, so no bearing is counted twice.
  const bool takeDf = sys.run.dfTakenForThisCycle;
  sys.run.dfTakenForThisCycle = false;
  if (st.NEW_DF_MESSAGE && takeDf) DF_IN(sys);
  COMPASS(sys);
  // Rings asked for are drawn on a frame of their own, drawn just before them: the frame is not drawn
  // here as well, only to be covered at once.
  if (st.NEWAZIMUTH && !st.NEWRING) AZIMUTH(sys);
  if (st.NEWSECTOR) SUMMING(sys);
  RANGE_RINGS(sys);
  CURSOR(sys);
  if (st.NEWVECTOR) VECTOR(sys);
  // The clock works the text out once a second; the window passes on an unchanged caption.
  sys.main.Label_TIME.caption = "TIME : " + sys.clock.timeOfDayText();
  sys.surface.Refresh();
  sys.main.Timer1.enabled = true;
}

void TIMERS(System& sys) {
  DisplayState& st = sys.st;
  MainControls& m = sys.main;
  // Reading the clock applies the midnight rule (every stamp back by a day once the day turns).
  const double clock = sys.readClock();
  const Single now = static_cast<Single>(clock);

  if (st.DF_TIMER) {
    // ACQTIME is written elsewhere only to restart it (CLEAR, TEST, recall): follow it then.
    RunState& r = sys.run;
    if (st.ACQTIME != static_cast<Single>(r.acquisitionSeconds)) r.acquisitionSeconds = st.ACQTIME;
    // A clock set back (winter time) is no acquisition time, and takes none away.
    if (clock > r.dfClock) r.acquisitionSeconds += clock - r.dfClock;
    stampAcquisitionTime(sys, clock);
    st.ACQTIME = static_cast<Single>(r.acquisitionSeconds);
    m.Label_TOTAL_TIME.caption = totalTimeCaption(st.ACQTIME);
  }

  if (st.SIMULATE_TIMER) playSimulatedBearing(sys);

  if (st.COM_TIMEOUT_TIMER) {
    const Single elapsed = now - static_cast<Single>(st.LAST_COM_TIME);
    if (elapsed > 5) {
      m.Frame_TOP_LEFT.visible = false;
      m.Label_COM_TIMEOUT.visible = true;
    } else {
      if (st.SHOW_HIDE < 2) m.Frame_TOP_LEFT.visible = true;
      m.Label_COM_TIMEOUT.visible = false;
    }
  }

  if (st.DECAY_TIMER) decayStep(sys);

  if (st.GPS_TIMER && m.CmdButton_ACQUIRE.caption != kAcquireOff && m.CmdButton_TEST.caption != kTestOn) {
    if (now - static_cast<Single>(st.GPS_TIME) > 10) {
      m.Frame_GPS_FAIL.visible = true;
      m.Frame_GPS_SPEED.visible = false;
    }
  }
}

}  // namespace sorvant
