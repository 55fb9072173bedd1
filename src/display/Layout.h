#pragma once
// The main window's geometry and its window modes.
#include "core/System.h"

namespace sorvant {

// Runs on every size change: clears, sets the display geometry, moves the controls, runs a cycle.
void Form_Resize(System& sys);
// W: alternates between the normal and the maximised window.
void CmdButton_WINDOW_Click(System& sys);
// H: steps through the three visibility modes.
void CmdButton_CONTROLS_Click(System& sys);

}  // namespace sorvant
