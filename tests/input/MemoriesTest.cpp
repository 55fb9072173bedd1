#include <gtest/gtest.h>

#include "histogram/Accumulation.h"
#include "input/KeyMap.h"
#include "support/TestSystem.h"

namespace sorvant {
namespace {

using test::TestSystem;

int visibleMemoryButtons(System& sys) {
  int count = 0;
  for (int n = 1; n <= 5; ++n) count += sys.main.memoryButton(n)->visible;
  return count;
}

TEST(Memories, SaveClearRecallBringsThePictureBack) {
  TestSystem ts;
  System& sys = ts.sys;
  DisplayState& st = sys.st;
  st.BEARING_COUNT[1] = 3;
  st.BEARING_COUNT[360] = 5;
  SUMMING(sys);
  st.RINGCOUNT = 3;
  const DisplayState saved = st;
  Form_KeyDown(sys, Key3, 0);
  EXPECT_EQ(visibleMemoryButtons(sys), 1);
  Form_KeyDown(sys, Key6, 0);
  Form_KeyDown(sys, KeyC, 0);
  st.ACQTIME = 42;
  Form_KeyDown(sys, Key7, 0);
  EXPECT_EQ(st.BEARING_COUNT, saved.BEARING_COUNT);
  EXPECT_EQ(st.RINGCOUNT, 3);
  EXPECT_EQ(st.MAXVECTOR, saved.MAXVECTOR);
  EXPECT_EQ(sys.main.Label_SOURCE.caption, "SOURCE : MEM3");
  EXPECT_EQ(sys.main.Label_TOTAL_TIME.caption, kTotalTimeZero);
  EXPECT_EQ(st.ACQTIME, 0);
  EXPECT_EQ(visibleMemoryButtons(sys), 5);
  EXPECT_FALSE(sys.main.CmdButton_RECALL.visible);
  st.MEMORY_STORE[3][361] = 2.5f;  // ties to even
  Form_KeyDown(sys, Key7, 0);
  EXPECT_EQ(st.RINGCOUNT, 2);
}

TEST(Memories, RecallStopsLiveAcquisitionAndDecay) {
  TestSystem ts;
  System& sys = ts.sys;
  MainControls& m = sys.main;
  ts.port.open();
  sys.st.COM_TIMEOUT_TIMER = true;
  m.Label_COM_TIMEOUT.visible = true;
  Form_KeyDown(sys, KeyD, 0);
  Form_KeyDown(sys, Key2, 0);
  Form_KeyDown(sys, Key7, 0);
  EXPECT_FALSE(ts.port.portOpen());
  EXPECT_EQ(m.CmdButton_ACQUIRE.caption, kAcquireOff);
  EXPECT_EQ(m.CmdButton_TEST.caption, kTestOff);
  EXPECT_FALSE(sys.st.SIMULATE_TIMER || sys.st.DF_TIMER || sys.st.COM_TIMEOUT_TIMER || sys.st.DECAY_TIMER);
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible);
  EXPECT_EQ(m.CmdButton_DECAY.caption, kDecayOff);
  Form_KeyDown(sys, Key7, 0);  // finds decay off and leaves it off
  EXPECT_EQ(m.CmdButton_DECAY.caption, kDecayOff);
  // Memory 2 was never saved: its ring count of 0 must leave the display working.
  EXPECT_EQ(sys.st.RINGCOUNT, 0);
  ts.tick();
  EXPECT_GE(sys.st.RINGCOUNT, 1);
}

TEST(Memories, HiddenModesKeepMemoryButtonsHidden) {
  for (Integer mode : {1, 2}) {
    for (int action : {int{Key6}, int{Key7}, int{Key8}}) {
      TestSystem ts;
      System& sys = ts.sys;
      sys.st.SHOW_HIDE = mode;
      for (int n = 1; n <= 5; ++n) sys.main.memoryButton(n)->visible = false;
      Form_KeyDown(sys, Key1, 0);
      EXPECT_TRUE(sys.main.CmdButton_SAVE.visible);
      Form_KeyDown(sys, action, 0);
      EXPECT_EQ(visibleMemoryButtons(sys), 0) << "mode " << mode << " key " << action;
      EXPECT_FALSE(sys.main.CmdButton_SAVE.visible);
      EXPECT_EQ(sys.main.Frame_TOP_LEFT.visible, action != Key7);
    }
  }
}

TEST(Memories, ActionsBeforeAnyChoiceUseSlotZero) {
  TestSystem ts;
  System& sys = ts.sys;
  sys.st.BEARING_COUNT[7] = 2;
  Form_KeyDown(sys, Key6, 0);
  sys.st.BEARING_COUNT[7] = 0;
  Form_KeyDown(sys, Key7, 0);
  EXPECT_EQ(sys.st.BEARING_COUNT[7], 2);
  EXPECT_EQ(sys.main.Label_SOURCE.caption, kSourceTest);
}

}  // namespace
}  // namespace sorvant
