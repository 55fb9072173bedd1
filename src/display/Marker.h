#pragma once
// The last-bearing marker: a small circle just outside the disc in the direction of the last bearing.
#include "core/System.h"

namespace sorvant {

// Erases the old marker and draws it at the given screen angle (radians, counter-clockwise from +x).
void moveLastBearingMarker(System& sys, double angleRadians);
// Places the marker for the current geometry (after a resize), from the angle it was drawn at.
void placeLastBearingMarker(System& sys);
// Draws the marker where it stands, if a bearing has placed it.
void drawLastBearingMarker(System& sys);

}  // namespace sorvant
