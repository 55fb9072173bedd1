#pragma once
#include "core/System.h"

namespace sorvant {

// Draws the heading-up azimuth frame: disc, outer ring, crosshair, ticks and compass letters.
void AZIMUTH(System& sys);

}  // namespace sorvant
