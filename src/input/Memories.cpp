#include "input/Memories.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void CmdButton_MEM_Click(System&, int) {}
void CmdButton_SAVE_Click(System&) {}
void CmdButton_RECALL_Click(System&) {}
void CmdButton_CANCEL_Click(System&) {}
}  // namespace sorvant
