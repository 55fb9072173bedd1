#pragma once
// The last-bearing marker: a small circle just outside the disc in the direction of the last bearing.
#include "core/System.h"

namespace sorvant {

// Erases the old marker and draws it at the given screen angle (radians, counter-clockwise from +x).
void moveLastBearingMarker(System& sys, double angleRadians);

}  // namespace sorvant
