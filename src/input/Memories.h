#pragma once
// The five bearing memories.
#include "core/System.h"

namespace sorvant {

void CmdButton_MEM_Click(System& sys, int n);  // n = 1..5
void CmdButton_SAVE_Click(System& sys);
void CmdButton_RECALL_Click(System& sys);
void CmdButton_CANCEL_Click(System& sys);

}  // namespace sorvant
