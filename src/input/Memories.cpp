#include "input/Memories.h"

#include <array>
#include <string>

#include "input/Dispatch.h"
#include "serial/Reception.h"

namespace sorvant {
namespace {

constexpr int kRingElement = 361;
constexpr int kMaxVectorElement = 362;

// The slot save and recall act on. Before any memory was chosen that is slot 0, which no button
// names but which holds a picture like the others.
std::array<Single, 363>& selectedSlot(System& sys) {
  const int m = sys.st.MEMORY_SELECT;
  return sys.st.MEMORY_STORE[m >= 1 && m <= 5 ? m : 0];
}

void showActions(MainControls& m, bool visible) {
  m.CmdButton_SAVE.visible = visible;
  m.CmdButton_RECALL.visible = visible;
  m.CmdButton_CANCEL.visible = visible;
}

// Back to choosing: the memory buttons return only in the mode that shows buttons at all.
void endAction(System& sys) {
  if (sys.st.SHOW_HIDE == 0)
    for (int n = 1; n <= 5; ++n) sys.main.memoryButton(n)->visible = true;
  showActions(sys.main, false);
}

void stopLiveAcquisition(System& sys) {
  MainControls& m = sys.main;
  DisplayState& st = sys.st;
  if (sys.MSComm1.portOpen()) sys.MSComm1.close();
  // The recalled picture is all that shows: bearings still waiting from before are not added to it.
  dropWaitingDfMessages(sys);
  m.CmdButton_ACQUIRE.caption = kAcquireOff;
  m.CmdButton_TEST.caption = kTestOff;
  st.SIMULATE_TIMER = false;
  st.DF_TIMER = false;
  st.COM_TIMEOUT_TIMER = false;
  m.Label_COM_TIMEOUT.visible = false;
  m.Frame_TOP_LEFT.visible = st.SHOW_HIDE == 0;
  // A recalled picture must not fade away.
  if (m.CmdButton_DECAY.caption == kDecayOn) clickMainButton(sys, m.CmdButton_DECAY);
}

}  // namespace

void CmdButton_MEM_Click(System& sys, int n) {
  if (n < 1 || n > 5) return;
  sys.st.MEMORY_SELECT = static_cast<Integer>(n);
  for (int other = 1; other <= 5; ++other)
    if (other != n) sys.main.memoryButton(other)->visible = false;
  showActions(sys.main, true);
}

void CmdButton_SAVE_Click(System& sys) {
  DisplayState& st = sys.st;
  auto& slot = selectedSlot(sys);
  for (int i = 1; i <= 360; ++i) slot[i] = st.BEARING_COUNT[i];
  slot[kRingElement] = st.RINGCOUNT;
  slot[kMaxVectorElement] = st.MAXVECTOR;
  endAction(sys);
}

void CmdButton_RECALL_Click(System& sys) {
  DisplayState& st = sys.st;
  MainControls& m = sys.main;
  stopLiveAcquisition(sys);

  const auto& slot = selectedSlot(sys);
  for (int i = 1; i <= 360; ++i) st.BEARING_COUNT[i] = slot[i];
  // A slot never saved gives a ring count of 0; the ring drawing treats that as 1.
  st.RINGCOUNT = toInteger16(slot[kRingElement]);
  st.MAXVECTOR = slot[kMaxVectorElement];
  if (st.MEMORY_SELECT >= 1 && st.MEMORY_SELECT <= 5)
    m.Label_SOURCE.caption = "SOURCE : MEM" + std::to_string(st.MEMORY_SELECT);
  endAction(sys);

  m.Label_TOTAL_TIME.caption = kTotalTimeZero;
  m.Label_TOTAL_BRG.caption = kTotalBrgZero;
  m.Label_LAST_BRG.caption = kLastBrgZero;
  // The sums are recomputed from the recalled counts with the sector width now in use.
  st.NEWAZIMUTH = true;
  st.NEWSECTOR = true;
  st.NEWVECTOR = true;
  st.NEWRING = true;
  st.ACQTIME = 0;
  st.INCOUNT = 0;
  sys.runCycle();
}

void CmdButton_CANCEL_Click(System& sys) { endAction(sys); }

}  // namespace sorvant
