#include "input/Dispatch.h"

#include "display/Layout.h"
#include "histogram/Accumulation.h"
#include "histogram/TestSource.h"
#include "input/Memories.h"
#include "input/StepButtons.h"
#include "serial/Compass.h"

namespace sorvant {

void clickMainButton(System& sys, Control& b) {
  MainControls& m = sys.main;
  if (&b == &m.CmdButton_ACQUIRE) return CmdButton_ACQUIRE_Click(sys);
  if (&b == &m.CmdButton_TEST) return CmdButton_TEST_Click(sys);
  if (&b == &m.CmdButton_DECAY) return CmdButton_DECAY_Click(sys);
  if (&b == &m.CmdButton_REDUCE) return CmdButton_REDUCE_Click(sys);
  if (&b == &m.CmdButton_CLEAR) return CmdButton_CLEAR_Click(sys);
  if (&b == &m.CmdButton_QUIT) return CmdButton_QUIT_Click(sys);
  for (int n = 1; n <= 5; ++n)
    if (&b == m.memoryButton(n)) return CmdButton_MEM_Click(sys, n);
  if (&b == &m.CmdButton_SAVE) return CmdButton_SAVE_Click(sys);
  if (&b == &m.CmdButton_RECALL) return CmdButton_RECALL_Click(sys);
  if (&b == &m.CmdButton_CANCEL) return CmdButton_CANCEL_Click(sys);
  if (&b == &m.CmdButton_CONTROLS) return CmdButton_CONTROLS_Click(sys);
  if (&b == &m.CmdButton_OPTIONS) return CmdButton_OPTIONS_Click(sys);
  if (&b == &m.CmdButton_WINDOW) return CmdButton_WINDOW_Click(sys);
  if (&b == &m.CmdButton_SECTOR) return CmdButton_SECTOR_Click(sys);
  if (&b == &m.CmdButton_VAR) return CmdButton_VAR_Click(sys);
  if (&b == &m.CmdButton_HDG_CW) return CmdButton_HDG_CW_Click(sys);
  if (&b == &m.CmdButton_HDG_CCW) return CmdButton_HDG_CCW_Click(sys);
  if (&b == &m.CmdButton_CUR_CW) return CmdButton_CUR_CW_Click(sys);
  if (&b == &m.CmdButton_CUR_CCW) return CmdButton_CUR_CCW_Click(sys);
}

void CmdButton_OPTIONS_Click(System& sys) {
  sys.opt.visible = true;
  sys.host.showOptions();
  sys.runCycle();
}

void CmdButton_QUIT_Click(System& sys) { sys.host.closeWindow(); }

}  // namespace sorvant
