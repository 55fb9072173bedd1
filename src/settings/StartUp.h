#pragma once
// Start-up and shutdown of the running system.
#include "core/System.h"

namespace sorvant {

// Creation values of the display state (clock stamps, test table).
void initialiseSystem(System& sys);
// Load: reads the settings file, then shows the port, speed and colours it set.
void loadSystem(System& sys);
// What closing the main window does by any path: closes the port and writes the settings file.
void unloadSystem(System& sys);

}  // namespace sorvant
