#include "core/System.h"

namespace sorvant {

void stampAcquisitionTime(System& sys) {
  const double clock = sys.clock.secondsSinceMidnight();
  sys.st.DF_TIME = clockSeconds(clock);
  sys.st.dfClock = clock;
}

void clearSurface(System& sys) {
  sys.surface.backColor = sys.main.backColor;
  sys.surface.Cls();
}

}  // namespace sorvant
