#pragma once
// Serial reception and DF message decoding.
#include "core/System.h"

namespace sorvant {

// The port's receive event: buffers the text for the GPS reader, feeds the time-out watchdog and
// takes at most one DF message per timer period.
void MSComm1_OnComm(System& sys);
// Decodes DF_MESSAGE into a true bearing and counts it (run by the cycle that took the message).
void DF_IN(System& sys);

}  // namespace sorvant
