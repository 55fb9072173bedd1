#pragma once
// The heading and cursor step buttons: single steps, big steps and the held-button repeat.
#include "core/System.h"

namespace sorvant {

void CmdButton_HDG_CW_Click(System& sys);
void CmdButton_HDG_CCW_Click(System& sys);
void CmdButton_CUR_CW_Click(System& sys);
void CmdButton_CUR_CCW_Click(System& sys);
// Mouse down on a step button: which is "HDG_CW", "HDG_CCW", "CUR_CW" or "CUR_CCW".
void stepButtonMouseDown(System& sys, const std::string& which);
void stepButtonMouseUp(System& sys);
// The tick of Timer_MOUSE_DOWN.
void Timer_MOUSE_DOWN_Timer(System& sys);

// The held-button repeat period: the classic 64 Hz system tick.
inline constexpr double kRepeatTickMs = 15.625;
// The period in milliseconds that an interval of Timer_MOUSE_DOWN stands for. The model holds whole
// milliseconds; its repeat interval stands for the exact 64 Hz tick, which the shell's timer keeps.
double mouseDownPeriodMs(int intervalMs);

}  // namespace sorvant
