#include "input/StepButtons.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void CmdButton_HDG_CW_Click(System&) {}
void CmdButton_HDG_CCW_Click(System&) {}
void CmdButton_CUR_CW_Click(System&) {}
void CmdButton_CUR_CCW_Click(System&) {}
void stepButtonMouseDown(System&, const std::string&) {}
void stepButtonMouseUp(System&) {}
void Timer_MOUSE_DOWN_Timer(System&) {}
}  // namespace sorvant
