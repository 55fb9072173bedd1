#include <gtest/gtest.h>

#include "input/Dispatch.h"
#include "input/KeyMap.h"
#include "input/StepButtons.h"
#include "support/TestSystem.h"

namespace sorvant {
namespace {

using test::TestSystem;

TEST(KeyMap, LetterKeysReachTheirCommands) {
  TestSystem ts;
  System& sys = ts.sys;
  for (int key : {KeyD, KeyS, KeyV, KeyT, KeyA, KeyH, KeyW, KeyO, KeyQ}) Form_KeyDown(sys, key, 0);
  EXPECT_EQ(sys.main.CmdButton_DECAY.caption, kDecayOn);
  EXPECT_EQ(sys.st.SECTOR_WIDTH, 6);
  EXPECT_EQ(sys.main.CmdButton_VAR.caption, kVarOn);
  EXPECT_EQ(sys.main.CmdButton_TEST.caption, kTestOff);
  EXPECT_EQ(sys.main.CmdButton_ACQUIRE.caption, kAcquireOff);
  EXPECT_EQ(sys.st.SHOW_HIDE, 1);
  EXPECT_EQ(ts.host.calls, (std::vector<std::string>{"normal", "options", "close"}));
  sys.st.RINGCOUNT = 3;
  sys.st.BEARING_COUNT[20] = 7;
  Form_KeyDown(sys, KeyR, 0);
  EXPECT_EQ(sys.st.BEARING_COUNT[20], 4);
  Form_KeyDown(sys, KeyC, 0);
  EXPECT_EQ(sys.st.BEARING_COUNT[20], 0);
}

TEST(KeyMap, AnyModifierSelectsTenDegreeSteps) {
  TestSystem ts;
  System& sys = ts.sys;
  for (int mods : {ShiftMask, CtrlMask, AltMask}) Form_KeyDown(sys, KeyPad8, mods);
  EXPECT_EQ(sys.st.CURSOR_BEARING, 30);
  Form_KeyUp(sys, 17, 0);  // the release of Ctrl governs a later mouse click
  clickMainButton(sys, sys.main.CmdButton_CUR_CW);
  Form_KeyDown(sys, 66, CtrlMask);  // not in the map: only the modifiers are noted
  EXPECT_EQ(sys.st.CURSOR_BEARING, 31);
  EXPECT_EQ(sys.st.CTRL_KEY, CtrlMask);
}

TEST(KeyMap, CreditsShowWhileTheCounterIsExactlyFive) {
  TestSystem ts;
  System& sys = ts.sys;
  MainControls& m = sys.main;
  for (int i = 0; i < 4; ++i) Form_KeyDown(sys, Key2, CtrlMask);
  EXPECT_EQ(sys.st.MEMORY_SELECT, 0);  // a modified 2 never chooses memory 2
  EXPECT_EQ(m.Label_COMPANY.caption, kCompanyText);
  Form_KeyDown(sys, Key2, AltMask);
  EXPECT_EQ(m.Label_COMPANY.caption, kCreditsText);
  EXPECT_TRUE(m.Label_COPYRIGHT.visible && m.Label_CONTACT2.visible);
  // Undone by hand, the change is not redone by the sixth press or any key after it.
  m.Label_COMPANY.caption = kCompanyText;
  Form_KeyDown(sys, Key2, ShiftMask);
  Form_KeyDown(sys, KeyPad8, 0);
  EXPECT_EQ(sys.st.COPYRIGHT, 6);
  EXPECT_EQ(m.Label_COMPANY.caption, kCompanyText);
}

TEST(StepButtons, HeldClockwiseHeadingPassesThrough360AndTheEndingClickIsSwallowed) {
  TestSystem ts;
  System& sys = ts.sys;
  const TimerModel& timer = sys.main.Timer_MOUSE_DOWN;
  sys.st.HEADING = 350;
  stepButtonMouseDown(sys, "HDG_CW");
  EXPECT_TRUE(timer.enabled && timer.interval == 500);
  Timer_MOUSE_DOWN_Timer(sys);
  EXPECT_EQ(sys.main.Label_HDG.caption, "MAN 360 TRU");
  EXPECT_EQ(timer.interval, 16);
  Timer_MOUSE_DOWN_Timer(sys);
  EXPECT_EQ(sys.st.HEADING, 10);
  stepButtonMouseUp(sys);
  EXPECT_TRUE(!timer.enabled && timer.interval == 500 && sys.st.MOUSE_DOWN_STRING == "NONE");
  CmdButton_HDG_CW_Click(sys);
  Timer_MOUSE_DOWN_Timer(sys);  // a late tick after the release steps nothing
  EXPECT_EQ(sys.st.HEADING, 10);
  CmdButton_HDG_CW_Click(sys);
  EXPECT_EQ(sys.st.HEADING, 11);

  // Released outside the button there is no click: the next step key is the one swallowed.
  sys.st.CURSOR_BEARING = 355;
  stepButtonMouseDown(sys, "CUR_CW");
  Timer_MOUSE_DOWN_Timer(sys);
  stepButtonMouseUp(sys);
  Form_KeyDown(sys, KeyPad8, 0);
  EXPECT_EQ(sys.st.CURSOR_BEARING, 5);  // the cursor wraps above 359
  Form_KeyDown(sys, KeyPad2, 0);
  EXPECT_EQ(sys.st.CURSOR_BEARING, 4);
}

TEST(StepButtons, SingleStepsWrapAndKeepTheHeadingLabelSuffix) {
  TestSystem ts;
  System& sys = ts.sys;
  sys.main.Label_HDG.caption = "MAN 359 MAG";
  sys.st.HEADING = 359;
  CmdButton_HDG_CW_Click(sys);
  EXPECT_EQ(sys.main.Label_HDG.caption, "MAN 000 MAG");
  CmdButton_HDG_CCW_Click(sys);
  EXPECT_EQ(sys.st.HEADING, 359);
  CmdButton_CUR_CCW_Click(sys);
  EXPECT_EQ(sys.st.CURSOR_BEARING, 359);
}

}  // namespace
}  // namespace sorvant
