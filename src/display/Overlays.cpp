#include "display/Overlays.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void RANGE_RINGS(System&) {}
void CURSOR(System&) {}
void VECTOR(System&) {}
int drawnRingCount(const System&) { return 1; }
}  // namespace sorvant
