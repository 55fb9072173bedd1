#include "histogram/Accumulation.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void countBearing(System&, int) {}
void SUMMING(System& sys) { sys.st.NEWSECTOR = false; }
void decayStep(System&) {}
std::string sectorCaption(int) { return {}; }
void CmdButton_REDUCE_Click(System&) {}
void CmdButton_CLEAR_Click(System&) {}
void CmdButton_DECAY_Click(System&) {}
void CmdButton_SECTOR_Click(System&) {}
}  // namespace sorvant
