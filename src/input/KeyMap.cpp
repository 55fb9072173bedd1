#include "input/KeyMap.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void Form_KeyDown(System&, int, int) {}
void Form_KeyUp(System&, int, int) {}
}  // namespace sorvant
