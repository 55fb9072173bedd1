#include "options/OptionsDispatch.h"

#include "options/ColorScheme.h"
#include "options/OptionsCommands.h"

namespace sorvant {

void clickOptionsControl(System& sys, Control& c) {
  OptionsControls& o = sys.opt;
  if (&c == &o.CmdButton_COMM_PORT) return CmdButton_COMM_PORT_Click(sys);
  if (&c == &o.CmdButton_BAUD_RATE) return CmdButton_BAUD_RATE_Click(sys);
  if (&c == &o.CmdButton_HEADING) return CmdButton_HEADING_Click(sys);
  if (&c == &o.CmdButton_ERROR_UP) return CmdButton_ERROR_UP_Click(sys);
  if (&c == &o.CmdButton_ERROR_DN) return CmdButton_ERROR_DN_Click(sys);
  if (&c == &o.CmdButton_FRAC) return CmdButton_FRAC_Click(sys);
  if (&c == &o.CmdButton_TIME) return CmdButton_TIME_Click(sys);
  for (int slot = 1; slot <= 8; ++slot)
    if (&c == &o.picker(slot) || &c == &o.swatch(slot)) return pickColor(sys, slot);
  if (&c == &o.cmdbutton_DEFAULT_COLORS) return cmdbutton_DEFAULT_COLORS_Click(sys);
  if (&c == &o.CmdButton_A_COLORS) return CmdButton_A_COLORS_Click(sys);
  if (&c == &o.CmdButton_B_COLORS) return CmdButton_B_COLORS_Click(sys);
  if (&c == &o.CmdButton_C_COLORS) return CmdButton_C_COLORS_Click(sys);
  if (&c == &o.CmdButton_D_COLORS) return CmdButton_D_COLORS_Click(sys);
  if (&c == &o.CmdButton_SAVE) return options::CmdButton_SAVE_Click(sys);
  if (&c == &o.CmdButton_RECALL) return options::CmdButton_RECALL_Click(sys);
  if (&c == &o.CmdButton_CANCEL) return options::CmdButton_CANCEL_Click(sys);
  if (&c == &o.cmdbutton_EXIT) return cmdbutton_EXIT_Click(sys);
}

}  // namespace sorvant
