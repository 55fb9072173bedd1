#pragma once
// The processing cycle, its time-based rules and the tick that starts it. It sits above the
// subsystems it runs; they reach it only through System::runCycle.
#include "core/System.h"

namespace sorvant {

// One processing cycle: time rules, a freshly taken DF message, heading, redraws, clock label, repaint.
void EXECUTIVE(System& sys);
// The time-based rules: midnight, acquisition time, playback, serial time-out, decay, GPS watchdog.
void TIMERS(System& sys);
// The 50 ms tick: frees the DF gate, takes a waiting DF message, disables the timer for the cycle, runs it.
void Timer1_Timer(System& sys);

}  // namespace sorvant
