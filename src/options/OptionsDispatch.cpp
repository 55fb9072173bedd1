#include "options/OptionsDispatch.h"

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
}

}  // namespace sorvant
