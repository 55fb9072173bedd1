#pragma once
// Start-up and shutdown of the running system.
#include "core/System.h"

namespace sorvant {

// Creation values of the display state (clock stamps, test table).
void initialiseSystem(System& sys);
// Load: applies the stored (for now the built-in default) settings, captions and colours.
void loadSystem(System& sys);
// QUIT and the window's own close: closes the port; the window then goes.
void CmdButton_QUIT_Click(System& sys);
// What closing the main window does by any path.
void unloadSystem(System& sys);

}  // namespace sorvant
