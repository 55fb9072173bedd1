#include "serial/Compass.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void COMPASS(System&) {}
void CmdButton_VAR_Click(System&) {}
}  // namespace sorvant
