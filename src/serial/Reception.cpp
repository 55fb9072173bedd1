#include "serial/Reception.h"

#include <algorithm>
#include <string>

#include "histogram/Accumulation.h"

namespace sorvant {
namespace {

constexpr std::size_t kGpsBufferLimit = 1000;
constexpr char kDfStart = '%';
constexpr std::size_t kDfDigits = 3;

// Whether the bearing characters from `from` begin with a digit once the blanks that the number
// reading skips are passed. Only the message's own characters are looked at.
bool startsWithDigit(const std::string& text, std::size_t from) {
  const std::size_t end = std::min(text.size(), from + kDfDigits);
  std::size_t i = from;
  while (i < end && text[i] == ' ') ++i;
  return i < end && text[i] >= '0' && text[i] <= '9';
}

// Whether a message's characters read as a relative bearing, 0..359.
bool isRelativeBearing(const std::string& message) {
  const double rel = static_cast<Single>(readNumber(message));
  return rel >= 0 && rel <= 359;
}

}  // namespace

void MSComm1_OnComm(System& sys) {
  DisplayState& st = sys.st;
  std::deque<WaitingDfMessage>& waiting = sys.run.dfWaiting;
  st.INBUFF = sys.MSComm1.input();
  st.GPS_BUFFER += st.INBUFF;
  if (st.GPS_BUFFER.size() > kGpsBufferLimit) st.GPS_BUFFER.erase(0, st.GPS_BUFFER.size() - kGpsBufferLimit);
  sys.MSComm1.discardInput();
  if (st.COM_TIMEOUT_TIMER) st.LAST_COM_TIME = sys.clockSecondsNow();

  // A GPS sentence holds the line while the receiver goes on taking bearings, which then arrive back
  // to back: each message waits its turn, one counted per timer period.
  for (std::size_t start = st.INBUFF.find(kDfStart); start != std::string::npos;
       start = st.INBUFF.find(kDfStart, start + 1)) {
    // A "%" of line noise, or three characters that are no bearing ("999"), is no message: it neither
    // counts nor takes a period, so the next "%" is looked at.
    if (!startsWithDigit(st.INBUFF, start + 1)) continue;
    std::string message = st.INBUFF.substr(start + 1, kDfDigits);
    if (!isRelativeBearing(message)) continue;
    if (waiting.size() >= kDfWaitingLimit) waiting.pop_front();
    // A message taken at once is counted with the heading now in force (the cycle decodes it before
    // it reads any course that came with it); one that waits keeps that heading, so a turn while it
    // waits does not move it.
    waiting.push_back({std::move(message), st.HEADING});
  }
  if (st.NEW_DF_MESSAGE || !takeWaitingDfMessage(sys)) return;
  sys.runCycle();
}

bool takeWaitingDfMessage(System& sys) {
  DisplayState& st = sys.st;
  RunState& r = sys.run;
  // Messages of a port that has since closed (acquisition off, the test source on) are not counted.
  if (!sys.MSComm1.portOpen()) dropWaitingDfMessages(sys);
  if (r.dfWaiting.empty()) return false;
  st.DF_MESSAGE = std::move(r.dfWaiting.front().characters);
  r.dfHeading = r.dfWaiting.front().heading;
  r.dfWaiting.pop_front();
  st.NEW_DF_MESSAGE = true;
  r.dfTakenForThisCycle = true;
  return true;
}

void DF_IN(System& sys) {
  DisplayState& st = sys.st;
  MainControls& m = sys.main;
  // Reception takes only messages that read as bearings; a message set by other means is checked too.
  if (!isRelativeBearing(st.DF_MESSAGE)) return;
  const Single rel = static_cast<Single>(readNumber(st.DF_MESSAGE));
  const Integer heading = sys.run.dfHeading;
  st.TRUE_DF_BEARING = static_cast<Integer>(wrapDegrees(toInteger16(static_cast<Single>(heading) + rel)));

  if (m.Label_COM_TIMEOUT.visible) {
    m.Label_COM_TIMEOUT.visible = false;
    st.COM_TIMEOUT_TIMER = true;
    st.LAST_COM_TIME = sys.clockSecondsNow();
    m.Frame_TOP_LEFT.visible = true;
  }

  // The marker and the caption show the bearing relative to the vehicle as the display is turned now,
  // so that both point where the counted bearing's vector is drawn. That is the received bearing
  // itself unless the heading changed while the message waited. VAR turns the display, and the marker
  // with it.
  const Single shown =
      heading == st.HEADING ? rel : wrapFractionalDegrees(static_cast<double>(rel) + heading - st.HEADING);
  Single angle = 90 - shown;
  if (sys.varOn()) angle -= st.HEADING_CORRECTION;
  recordBearing(sys, st.TRUE_DF_BEARING, angle * kRadiansPerDegree, shown);
}

}  // namespace sorvant
