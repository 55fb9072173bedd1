#include "display/Marker.h"

#include <cmath>

namespace sorvant {

void moveLastBearingMarker(System& sys, double angleRadians) {
  DisplayState& st = sys.st;
  Surface& s = sys.surface;
  s.foreColor = sys.color(DisplayBackground);
  s.Circle(st.DFBUGX, st.DFBUGY, 75);
  st.DFBUGBRG = static_cast<Single>(angleRadians);
  const Single reach = st.AZRADIUS + 250;
  st.DFBUGX = st.CENTERX + reach * std::cos(st.DFBUGBRG);
  st.DFBUGY = st.CENTERY - reach * std::sin(st.DFBUGBRG);
  s.foreColor = sys.color(CursorColor);
  s.Circle(st.DFBUGX, st.DFBUGY, 75);
}

}  // namespace sorvant
