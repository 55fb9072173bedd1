#pragma once
// Heading from GPS course over ground, and the magnetic variation switch.
#include "core/System.h"

namespace sorvant {

// Takes the heading from the first complete NMEA course sentence in GPS_BUFFER (GPS heading only).
void COMPASS(System& sys);
void CmdButton_VAR_Click(System& sys);

}  // namespace sorvant
