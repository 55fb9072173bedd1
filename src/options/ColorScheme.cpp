#include "options/ColorScheme.h"

#include <string>

#include "options/OptionsCommands.h"

namespace sorvant {
namespace {

void requestFullRedraw(DisplayState& st) { st.NEWAZIMUTH = st.NEWCURSOR = st.NEWRING = true; }

// The command row goes back to DEFAULT COLORS, with SAVE, RECALL and CANCEL out of sight.
void showIdleFace(OptionsControls& o) {
  o.CmdButton_SAVE.visible = o.CmdButton_RECALL.visible = o.CmdButton_CANCEL.visible = false;
  o.cmdbutton_DEFAULT_COLORS.visible = true;
}

// The set number a SAVE or RECALL tag names, or 0 when it names none of the five sets. Only the set
// buttons and DEFAULT COLORS write these tags, but a bad one must never index past the table.
int16_t setNumberIn(const Control& button) {
  const int16_t n = toInteger16(readNumber(button.tag));
  return n >= 1 && n <= 5 ? n : 0;
}

// SAVE and RECALL alike: back to the idle face, then the set the button's tag names becomes the
// current one. 0 when the tag names none of the five sets; nothing else changes then.
int16_t useChosenSet(System& sys, const Control& button) {
  showIdleFace(sys.opt);
  const int16_t set = setNumberIn(button);
  if (set != 0) sys.colors.COLOR_SET = set;
  return set;
}

}  // namespace

void setDisplayBackground(System& sys, Color c) {
  MainControls& m = sys.main;
  const bool changed = m.backColor != c;
  m.backColor = c;
  for (Control* panel : {&m.Frame_TOP_LEFT, &m.Frame_TOP_CENTER, &m.Frame_TOP_RIGHT, &m.Frame_BOTTOM_LEFT,
                         &m.Frame_BOTTOM_RIGHT, &m.Label_COM_TIMEOUT})
    panel->backColor = c;
  // The window background is what the drawing surface is cleared to: a new one shows at once only
  // by clearing, and the display is then drawn again on it at the next cycle.
  if (changed) {
    clearSurface(sys);
    requestFullRedraw(sys.st);
  }
}

void setButtonBackground(System& sys, Color c) {
  for (Control* button : sys.main.commandButtons()) button->backColor = c;
}

void setLegendText(System& sys, Color c) {
  for (Control* label : sys.main.legendLabels()) label->foreColor = c;
}

void pickColor(System& sys, int slot) {
  if (slot < DisplayBackground || slot > CursorColor) return;
  Control& swatch = sys.opt.swatch(slot);
  // The picker hands back its start colour on cancel, so a cancel keeps the colour and the
  // follow-up below still runs with it.
  swatch.backColor = sys.picker.showColor(swatch.backColor);
  const Color c = swatch.backColor;
  DisplayState& st = sys.st;
  switch (slot) {
    case DisplayBackground:
      setDisplayBackground(sys, c);
      break;
    case ButtonBackground:
      setButtonBackground(sys, c);
      break;
    case LegendText:
      setLegendText(sys, c);
      break;
    case AzimuthBackground:
    case AzimuthScale:
      st.NEWAZIMUTH = true;
      sys.runCycle();
      break;
    case RangeRings:
      st.NEWRING = true;
      sys.runCycle();
      break;
    case Vectors:
      // Left to the next periodic cycle.
      requestFullRedraw(st);
      break;
    case CursorColor:
      st.NEWCURSOR = true;
      sys.runCycle();
      break;
  }
}

void cmdbutton_DEFAULT_COLORS_Click(System& sys) {
  OptionsControls& o = sys.opt;
  o.CmdButton_SAVE.tag = o.CmdButton_RECALL.tag = "1";
  for (int slot = DisplayBackground; slot <= CursorColor; ++slot) o.swatch(slot).backColor = kDefaultColors[slot];
  // The display itself takes the new colours at its next redraw, at the latest on EXIT.
  applySchemeToMainWindow(sys);
}

void chooseColorSet(System& sys, int n) {
  OptionsControls& o = sys.opt;
  const std::string tag = std::to_string(n);
  o.cmdbutton_DEFAULT_COLORS.visible = false;
  o.CmdButton_SAVE.visible = true;
  o.CmdButton_SAVE.tag = tag;
  o.CmdButton_RECALL.visible = true;
  o.CmdButton_RECALL.tag = tag;
  o.CmdButton_CANCEL.visible = true;
}

void CmdButton_A_COLORS_Click(System& sys) { chooseColorSet(sys, 2); }
void CmdButton_B_COLORS_Click(System& sys) { chooseColorSet(sys, 3); }
void CmdButton_C_COLORS_Click(System& sys) { chooseColorSet(sys, 4); }
void CmdButton_D_COLORS_Click(System& sys) { chooseColorSet(sys, 5); }

void cmdbutton_EXIT_Click(System& sys) {
  // The dialog is only hidden: other rules keep reading its settings and colours.
  showIdleFace(sys.opt);
  sys.opt.visible = false;
  requestFullRedraw(sys.st);
  sys.runCycle();
}

namespace options {

void CmdButton_SAVE_Click(System& sys) {
  const int16_t set = useChosenSet(sys, sys.opt.CmdButton_SAVE);
  if (set == 0) return;
  for (int slot = DisplayBackground; slot <= CursorColor; ++slot)
    sys.colors.COLOR_TABLE[set][slot] = sys.opt.color(slot);
  requestFullRedraw(sys.st);
  sys.runCycle();
}

void CmdButton_RECALL_Click(System& sys) {
  const int16_t set = useChosenSet(sys, sys.opt.CmdButton_RECALL);
  if (set == 0) return;
  for (int slot = DisplayBackground; slot <= CursorColor; ++slot)
    sys.opt.swatch(slot).backColor = sys.colors.COLOR_TABLE[set][slot];
  applySchemeToMainWindow(sys);
  requestFullRedraw(sys.st);
  sys.runCycle();
}

void CmdButton_CANCEL_Click(System& sys) { showIdleFace(sys.opt); }

}  // namespace options

}  // namespace sorvant
