#include "histogram/TestSource.h"

#include <cmath>

#include "histogram/Accumulation.h"

namespace sorvant {

namespace {

// Stops listening to the receiver: closes the port and disarms the time-out watchdog. A port whose
// open failed is already closed but left the watchdog armed, so that case is disarmed too; otherwise
// the warning would stay on screen while nothing is meant to arrive.
void stopListening(System& sys, bool topLeftVisible) {
  if (!sys.MSComm1.portOpen() && !sys.st.COM_TIMEOUT_TIMER) return;
  if (sys.MSComm1.portOpen()) sys.MSComm1.close();
  sys.st.COM_TIMEOUT_TIMER = false;
  sys.main.Label_COM_TIMEOUT.visible = false;
  sys.main.Frame_TOP_LEFT.visible = topLeftVisible;
}

}  // namespace

void SIMULATE(System& sys) {
  DisplayState& st = sys.st;
  const int centre = static_cast<int>(sys.random.next() * 359);
  for (int i = 1; i <= 5000; ++i) {
    double d = std::pow(sys.random.next(), static_cast<double>(st.FOCUS)) * 359;
    // The fractional part is as random as the rest, so it doubles as the sign.
    if (d - std::floor(d) < 0.5) d = -d;
    st.SIMULATE_BEARING[i] = static_cast<Integer>(wrapDegrees(centre + static_cast<int>(std::trunc(d))));
  }
}

void playSimulatedBearing(System& sys) {
  DisplayState& st = sys.st;
  ++st.SIMULATE_COUNT;
  if (st.SIMULATE_COUNT >= 5000 || st.SIMULATE_COUNT < 1) st.SIMULATE_COUNT = 1;
  const int b = st.SIMULATE_BEARING[st.SIMULATE_COUNT];
  recordBearing(sys, b, (90.0 - b) * 3.1416 / 180.0, b);
}

void openPortForAcquisition(System& sys) {
  // A device that is missing now (an adapter not yet plugged in) is waited for: the port stays open.
  if (!sys.MSComm1.portOpen()) sys.MSComm1.openWaiting();
  // Armed even when the device is not open: no data can then arrive, and the time-out warning is how
  // the operator learns that the receiver is not being heard.
  sys.st.COM_TIMEOUT_TIMER = true;
  sys.st.LAST_COM_TIME = sys.clockSecondsNow();
}

void CmdButton_TEST_Click(System& sys) {
  DisplayState& st = sys.st;
  MainControls& m = sys.main;
  // Either way the picture starts afresh: bearings that came before the switch are not on it.
  dropWaitingDfMessages(sys);
  if (m.CmdButton_TEST.caption != kTestOff) {
    m.CmdButton_TEST.caption = kTestOff;
    zeroBins(st);
    m.Label_SOURCE.caption = kSourceDf;
    st.SIMULATE_TIMER = false;
    st.DF_TIMER = false;
    if (m.CmdButton_ACQUIRE.caption == kAcquireOn && !sys.MSComm1.portOpen()) {
      openPortForAcquisition(sys);
      st.DF_TIMER = true;
      stampAcquisitionTime(sys);
      st.GPS_TIME = sys.clockSecondsNow();
    }
  } else {
    m.CmdButton_TEST.caption = kTestOn;
    m.Label_SOURCE.caption = kSourceTest;
    m.Frame_GPS_FAIL.visible = false;
    m.Frame_GPS_SPEED.visible = false;
    zeroBins(st);
    stopListening(sys, st.SHOW_HIDE == 0);
    const bool acquiring = m.CmdButton_ACQUIRE.caption == kAcquireOn;
    st.SIMULATE_TIMER = acquiring;
    st.DF_TIMER = acquiring;
    if (acquiring) stampAcquisitionTime(sys);
  }
  st.ACQTIME = 0;
  m.Label_TOTAL_TIME.caption = kTotalTimeZero;
  st.INCOUNT = 0;
  m.Label_TOTAL_BRG.caption = kTotalBrgZero;
  st.MAXVECTOR = 0;
  st.NEWAZIMUTH = true;
  st.NEWSECTOR = true;
  st.NEWVECTOR = true;
}

void CmdButton_ACQUIRE_Click(System& sys) {
  DisplayState& st = sys.st;
  MainControls& m = sys.main;
  const bool testOn = m.CmdButton_TEST.caption != kTestOff;
  // Bearings that arrived before a pause are not counted after it, and resuming starts listening
  // afresh: either way the waiting ones are dropped.
  dropWaitingDfMessages(sys);
  if (m.CmdButton_ACQUIRE.caption != kAcquireOff) {
    m.CmdButton_ACQUIRE.caption = kAcquireOff;
    st.DF_TIMER = false;
    m.Frame_GPS_SPEED.visible = false;
    if (testOn) {
      st.SIMULATE_TIMER = false;
    } else {
      stopListening(sys, true);
    }
    return;
  }
  m.CmdButton_ACQUIRE.caption = kAcquireOn;
  st.DF_TIMER = true;
  stampAcquisitionTime(sys);
  st.GPS_TIME = sys.clockSecondsNow();
  if (testOn) {
    st.SIMULATE_TIMER = true;
    return;
  }
  if (!sys.MSComm1.portOpen()) openPortForAcquisition(sys);
  // Resuming over a recalled memory starts a fresh histogram from the receiver.
  if (m.Label_SOURCE.caption.find("MEM") != std::string::npos) {
    zeroBins(st);
    m.Label_SOURCE.caption = kSourceDf;
    st.ACQTIME = 0;
    st.INCOUNT = 0;
    st.MAXVECTOR = 0;
    st.NEWAZIMUTH = true;
    st.NEWSECTOR = true;
    st.NEWVECTOR = true;
  }
}

}  // namespace sorvant
