#include "display/Layout.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void Form_Resize(System&) {}
void CmdButton_WINDOW_Click(System&) {}
void CmdButton_CONTROLS_Click(System&) {}
}  // namespace sorvant
