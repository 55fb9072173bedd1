#include "serial/Reception.h"

#include <algorithm>
#include <string>

#include "display/Marker.h"
#include "histogram/Accumulation.h"

namespace sorvant {
namespace {

constexpr std::size_t kGpsBufferLimit = 1000;
constexpr char kDfStart = '%';
constexpr std::size_t kDfDigits = 3;
constexpr Integer kMaxIncount = 32767;

// Whether the bearing characters from `from` begin with a digit once the blanks that the number
// reading skips are passed. Only the message's own characters are looked at.
bool startsWithDigit(const std::string& text, std::size_t from) {
  const std::size_t end = std::min(text.size(), from + kDfDigits);
  std::size_t i = from;
  while (i < end && text[i] == ' ') ++i;
  return i < end && text[i] >= '0' && text[i] <= '9';
}

}  // namespace

void MSComm1_OnComm(System& sys) {
  DisplayState& st = sys.st;
  st.INBUFF = sys.MSComm1.input();
  st.GPS_BUFFER += st.INBUFF;
  if (st.GPS_BUFFER.size() > kGpsBufferLimit) st.GPS_BUFFER.erase(0, st.GPS_BUFFER.size() - kGpsBufferLimit);
  sys.MSComm1.discardInput();
  if (st.COM_TIMEOUT_TIMER) st.LAST_COM_TIME = sys.clockSecondsNow();

  // One DF message per timer period; later ones in the period still fed the buffer and the watchdog.
  if (st.NEW_DF_MESSAGE) return;
  std::size_t start = st.INBUFF.find(kDfStart);
  // A "%" of line noise is no message: it neither counts nor takes the period's message, so the next
  // "%" is looked at.
  while (start != std::string::npos && !startsWithDigit(st.INBUFF, start + 1))
    start = st.INBUFF.find(kDfStart, start + 1);
  if (start == std::string::npos) return;
  st.DF_MESSAGE = st.INBUFF.substr(start + 1, kDfDigits);
  st.NEW_DF_MESSAGE = true;
  st.dfTakenForThisCycle = true;
  sys.runCycle();
}

void DF_IN(System& sys) {
  DisplayState& st = sys.st;
  MainControls& m = sys.main;
  const Single rel = static_cast<Single>(readNumber(st.DF_MESSAGE));
  // Three characters can spell "-05" or "999"; those are line noise, not bearings, and leave no trace.
  if (!(rel >= 0 && rel <= 359)) return;

  const int rounded = toInteger16(static_cast<Single>(st.HEADING) + rel);
  st.TRUE_DF_BEARING = static_cast<Integer>((rounded % 360 + 360) % 360);

  if (m.Label_COM_TIMEOUT.visible) {
    m.Label_COM_TIMEOUT.visible = false;
    st.COM_TIMEOUT_TIMER = true;
    st.LAST_COM_TIME = sys.clockSecondsNow();
    m.Frame_TOP_LEFT.visible = true;
  }

  countBearing(sys, st.TRUE_DF_BEARING);

  // The marker shows the bearing relative to the vehicle, turned with the display when VAR is on.
  Single angle = 90 - rel;
  if (sys.varOn()) angle -= st.HEADING_CORRECTION;
  moveLastBearingMarker(sys, angle * kRadiansPerDegree);

  m.Label_LAST_BRG.caption = lastBrgCaption(rel);
  // A 16-bit count: it stops at its top rather than turning negative.
  if (st.INCOUNT < kMaxIncount) ++st.INCOUNT;
  m.Label_TOTAL_BRG.caption = totalBrgCaption(st.INCOUNT);
}

}  // namespace sorvant
