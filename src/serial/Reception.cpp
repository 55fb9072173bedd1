#include "serial/Reception.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void MSComm1_OnComm(System&) {}
void DF_IN(System&) {}
}  // namespace sorvant
