#include "display/Azimuth.h"

// PLACEHOLDER: replaced by the real implementation.
namespace sorvant {
void AZIMUTH(System& sys) { sys.st.NEWAZIMUTH = false; }
}  // namespace sorvant
