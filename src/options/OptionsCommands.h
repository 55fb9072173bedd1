#pragma once
// The options dialog's commands for port, speed, heading source, variation and decay.
#include "core/System.h"

namespace sorvant {

// The main window's OPTIONS button: shows the dialog and runs a cycle.
void CmdButton_OPTIONS_Click(System& sys);
void CmdButton_COMM_PORT_Click(System& sys);
void CmdButton_BAUD_RATE_Click(System& sys);
void CmdButton_HEADING_Click(System& sys);
void CmdButton_ERROR_UP_Click(System& sys);
void CmdButton_ERROR_DN_Click(System& sys);
void CmdButton_FRAC_Click(System& sys);
void CmdButton_TIME_Click(System& sys);
// Pushes the three window colours (background, legend text, buttons) from the swatches.
void applySchemeToMainWindow(System& sys);

}  // namespace sorvant
