#include "input/StepButtons.h"

#include <cmath>

namespace sorvant {
namespace {

enum class Step { None, HdgCw, HdgCcw, CurCw, CurCcw };

constexpr int kFirstRepeatMs = 500;
// The timer model holds whole milliseconds: 16 stands for the exact period (mouseDownPeriodMs).
const int kRepeatIntervalMs = static_cast<int>(std::lround(kRepeatTickMs));

Step stepFromName(const std::string& which) {
  if (which == "HDG_CW") return Step::HdgCw;
  if (which == "HDG_CCW") return Step::HdgCcw;
  if (which == "CUR_CW") return Step::CurCw;
  if (which == "CUR_CCW") return Step::CurCcw;
  return Step::None;
}

Integer wrapUp(int value, int limit) { return static_cast<Integer>(value > limit ? value - 360 : value); }
Integer wrapDown(int value) { return static_cast<Integer>(value < 0 ? value + 360 : value); }

// Moves the heading or the cursor; cwHeadingLimit is where a clockwise heading step wraps.
void moveBy(DisplayState& st, Step step, int degrees, int cwHeadingLimit) {
  switch (step) {
    case Step::HdgCw:
      st.HEADING = wrapUp(st.HEADING + degrees, cwHeadingLimit);
      break;
    case Step::HdgCcw:
      st.HEADING = wrapDown(st.HEADING - degrees);
      break;
    case Step::CurCw:
      st.CURSOR_BEARING = wrapUp(st.CURSOR_BEARING + degrees, 359);
      break;
    case Step::CurCcw:
      st.CURSOR_BEARING = wrapDown(st.CURSOR_BEARING - degrees);
      break;
    case Step::None:
      break;
  }
}

// Shows the new heading or cursor at once: label, redraw requests and one cycle.
void afterStep(System& sys, Step step) {
  DisplayState& st = sys.st;
  if (step == Step::HdgCw || step == Step::HdgCcw) {
    st.HEADING_STRING = threeDigits(st.HEADING);
    Control& label = sys.main.Label_HDG;
    // The last four characters carry the " TRU" or " MAG" that the variation switch wrote.
    label.caption = "MAN " + st.HEADING_STRING + rightChars(label.caption, 4);
  } else {
    st.NEWCURSOR = true;
  }
  st.NEWAZIMUTH = true;
  st.NEWRING = true;
  sys.runCycle();
}

void singleStep(System& sys, Step step) {
  DisplayState& st = sys.st;
  // The click that ends a held press must not add a step after the repeats.
  if (st.BIGSTEP) {
    st.BIGSTEP = false;
    return;
  }
  moveBy(st, step, st.CTRL_KEY < 1 ? 1 : 10, 359);
  afterStep(sys, step);
}

}  // namespace

void CmdButton_HDG_CW_Click(System& sys) { singleStep(sys, Step::HdgCw); }
void CmdButton_HDG_CCW_Click(System& sys) { singleStep(sys, Step::HdgCcw); }
void CmdButton_CUR_CW_Click(System& sys) { singleStep(sys, Step::CurCw); }
void CmdButton_CUR_CCW_Click(System& sys) { singleStep(sys, Step::CurCcw); }

void stepButtonMouseDown(System& sys, const std::string& which) {
  TimerModel& timer = sys.main.Timer_MOUSE_DOWN;
  timer.enabled = true;
  timer.interval = kFirstRepeatMs;
  sys.st.MOUSE_DOWN_STRING = which;
}

void stepButtonMouseUp(System& sys) {
  TimerModel& timer = sys.main.Timer_MOUSE_DOWN;
  timer.enabled = false;
  timer.interval = kFirstRepeatMs;
  sys.st.MOUSE_DOWN_STRING = "NONE";
}

double mouseDownPeriodMs(int intervalMs) { return intervalMs == kRepeatIntervalMs ? kRepeatTickMs : intervalMs; }

void Timer_MOUSE_DOWN_Timer(System& sys) {
  DisplayState& st = sys.st;
  const Step step = stepFromName(st.MOUSE_DOWN_STRING);
  if (step == Step::None) return;
  st.BIGSTEP = true;
  sys.main.Timer_MOUSE_DOWN.interval = kRepeatIntervalMs;
  // A held clockwise heading passes through 360 before it wraps to 10.
  moveBy(st, step, 10, 360);
  afterStep(sys, step);
}

}  // namespace sorvant
