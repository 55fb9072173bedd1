#pragma once
// Runs the click handler of a main-window button, whoever clicked it (mouse, key or start-up).
#include "core/System.h"

namespace sorvant {

void clickMainButton(System& sys, Control& button);

// The two buttons whose work is the window host's. OPTIONS: shows the dialog and runs a cycle.
void CmdButton_OPTIONS_Click(System& sys);
// QUIT: closes the main window, whose close handling unloads the system (settings written).
void CmdButton_QUIT_Click(System& sys);

}  // namespace sorvant
