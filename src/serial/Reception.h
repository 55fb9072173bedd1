#pragma once
// Serial reception and DF message decoding.
#include <cstddef>

#include "core/System.h"

namespace sorvant {

// The port's receive event: buffers the text for the GPS reader, feeds the time-out watchdog and
// takes at most one DF message per timer period; the others wait for later periods.
void MSComm1_OnComm(System& sys);
// At the start of a timer period: takes the oldest waiting DF message as the period's message, for
// the cycle about to run. False when none waits.
bool takeWaitingDfMessage(System& sys);

// The most DF messages that wait for a period of their own: half a second of 50 ms periods. A line
// that delivers more than one message a period for longer loses its oldest ones, so the display
// never lags behind the receiver by more than that.
constexpr std::size_t kDfWaitingLimit = 10;
// Decodes DF_MESSAGE into a true bearing and counts it with the heading in force when it arrived (run
// by the cycle that took the message).
void DF_IN(System& sys);

}  // namespace sorvant
