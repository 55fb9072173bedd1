#include "input/KeyMap.h"

#include <limits>

#include "input/Dispatch.h"

namespace sorvant {
namespace {

struct KeyBinding {
  int keyCode;
  Control MainControls::*button;
};

// The button each key clicks; key 2 with a modifier is handled before this table is asked.
constexpr KeyBinding kKeyMap[] = {
    {Key1, &MainControls::CmdButton_MEM1},       {Key2, &MainControls::CmdButton_MEM2},
    {Key3, &MainControls::CmdButton_MEM3},       {Key4, &MainControls::CmdButton_MEM4},
    {Key5, &MainControls::CmdButton_MEM5},       {Key6, &MainControls::CmdButton_SAVE},
    {Key7, &MainControls::CmdButton_RECALL},     {Key8, &MainControls::CmdButton_CANCEL},
    {KeyA, &MainControls::CmdButton_ACQUIRE},    {KeyC, &MainControls::CmdButton_CLEAR},
    {KeyD, &MainControls::CmdButton_DECAY},      {KeyH, &MainControls::CmdButton_CONTROLS},
    {KeyO, &MainControls::CmdButton_OPTIONS},    {KeyQ, &MainControls::CmdButton_QUIT},
    {KeyR, &MainControls::CmdButton_REDUCE},     {KeyS, &MainControls::CmdButton_SECTOR},
    {KeyT, &MainControls::CmdButton_TEST},       {KeyV, &MainControls::CmdButton_VAR},
    {KeyW, &MainControls::CmdButton_WINDOW},     {KeyPad2, &MainControls::CmdButton_CUR_CCW},
    {KeyPad4, &MainControls::CmdButton_HDG_CCW}, {KeyPad6, &MainControls::CmdButton_HDG_CW},
    {KeyPad8, &MainControls::CmdButton_CUR_CW},
};

Control* buttonForKey(MainControls& m, int keyCode) {
  for (const KeyBinding& b : kKeyMap)
    if (b.keyCode == keyCode) return &(m.*b.button);
  return nullptr;
}

// The credits show while the hidden counter stands at exactly 5; past it nothing is redone, so an
// operator who hides the labels again is not overruled by every later key.
void creditsCheck(System& sys) {
  if (sys.st.COPYRIGHT != 5) return;
  MainControls& m = sys.main;
  m.Label_COMPANY.caption = kCreditsText;
  m.Label_COPYRIGHT.visible = true;
  m.Label_CONTACT2.visible = true;
}

Integer modifierState(int shift) {
  // Only the Shift, Ctrl and Alt bits mean anything to the step commands.
  return static_cast<Integer>(shift & (ShiftMask | CtrlMask | AltMask));
}

}  // namespace

void Form_KeyDown(System& sys, int keyCode, int shift) {
  DisplayState& st = sys.st;
  st.CTRL_KEY = modifierState(shift);
  if (keyCode == Key2 && st.CTRL_KEY >= 1) {
    // The counter only grows; it stops at the top of its range instead of wrapping back round to 5.
    if (st.COPYRIGHT < std::numeric_limits<Integer>::max()) ++st.COPYRIGHT;
  } else if (Control* button = buttonForKey(sys.main, keyCode)) {
    clickMainButton(sys, *button);
  }
  creditsCheck(sys);
}

void Form_KeyUp(System& sys, int, int shift) { sys.st.CTRL_KEY = modifierState(shift); }

}  // namespace sorvant
