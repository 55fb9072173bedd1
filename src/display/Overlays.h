#pragma once
// What is drawn over the azimuth frame: range rings, cursor and bearing vectors.
#include "core/System.h"

namespace sorvant {

// Chooses the ring scale from MAXVECTOR and redraws frame and rings when it changes or is asked to.
void RANGE_RINGS(System& sys);
// Erases and redraws the cursor line and marker; writes the cursor label.
void CURSOR(System& sys);
// Draws one radial line per degree, its length the degree's sector sum.
void VECTOR(System& sys);
// The ring count the drawing uses: RINGCOUNT, never below 1 so that nothing divides by zero; past
// RINGCOUNT's cap it keeps following MAXVECTOR, so every vector stays inside the disc.
Long drawnRingCount(const System& sys);

}  // namespace sorvant
