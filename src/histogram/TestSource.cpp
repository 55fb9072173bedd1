#include "histogram/TestSource.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void SIMULATE(System&) {}
void playSimulatedBearing(System&) {}
void CmdButton_TEST_Click(System&) {}
void CmdButton_ACQUIRE_Click(System&) {}
bool openPortForAcquisition(System&) { return false; }
}  // namespace sorvant
