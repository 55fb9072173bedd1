#pragma once
// The processing cycle and its time-based rules.
#include "core/System.h"

namespace sorvant {

// One processing cycle: time rules, a freshly taken DF message, heading, redraws, clock label, repaint.
void EXECUTIVE(System& sys);
// The time-based rules: midnight, acquisition time, playback, serial time-out, decay, GPS watchdog.
void TIMERS(System& sys);
// The 50 ms tick: frees the DF gate, disables the timer for the cycle, runs it.
void Timer1_Timer(System& sys);
// Restarts the measuring of acquisition time from now (DF_TIME and its unrounded reading).
void stampAcquisitionTime(System& sys);

}  // namespace sorvant
