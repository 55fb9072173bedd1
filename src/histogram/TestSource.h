#pragma once
// The built-in test source and the switches between it and the receiver.
#include "core/System.h"

namespace sorvant {

// Fills SIMULATE_BEARING from the fixed-seed generator (same table at every start).
void SIMULATE(System& sys);
// Plays back the next simulated bearing (run by the cycle while SIMULATE_TIMER is set).
void playSimulatedBearing(System& sys);

void CmdButton_TEST_Click(System& sys);
void CmdButton_ACQUIRE_Click(System& sys);

// Opens the serial port for acquisition; a device missing now is waited for with the port open (the
// time-out warning shows until data arrives). A port that is already open is left as it is.
void openPortForAcquisition(System& sys);

}  // namespace sorvant
