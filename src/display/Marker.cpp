#include "display/Marker.h"

#include <cmath>

namespace sorvant {
namespace {

// Whether a marker of radius 75 at (x, y) can touch a pixel of the cursor marker (radius 50).
// Generous by a few pixels of pen width either way.
bool touchesCursorMarker(const DisplayState& st, Single x, Single y) {
  constexpr Single kReach = 75 + 50 + 120;
  return std::abs(x - st.CIRX) < kReach && std::abs(y - st.CIRY) < kReach;
}

}  // namespace

void moveLastBearingMarker(System& sys, double angleRadians) {
  DisplayState& st = sys.st;
  Surface& s = sys.surface;
  s.foreColor = sys.color(DisplayBackground);
  s.Circle(st.DFBUGX, st.DFBUGY, 75);
  if (touchesCursorMarker(st, st.DFBUGX, st.DFBUGY)) sys.run.drawn.cursorMarkerOverdrawn = true;
  st.DFBUGBRG = static_cast<Single>(angleRadians);
  placeLastBearingMarker(sys);
  sys.run.lastBearingShown = true;
  drawLastBearingMarker(sys);
  if (touchesCursorMarker(st, st.DFBUGX, st.DFBUGY)) sys.run.drawn.cursorMarkerOverdrawn = true;
}

void placeLastBearingMarker(System& sys) {
  DisplayState& st = sys.st;
  const Single reach = st.AZRADIUS + 250;
  st.DFBUGX = st.CENTERX + reach * std::cos(st.DFBUGBRG);
  st.DFBUGY = st.CENTERY - reach * std::sin(st.DFBUGBRG);
}

void drawLastBearingMarker(System& sys) {
  const DisplayState& st = sys.st;
  if (!sys.run.lastBearingShown) return;
  sys.surface.foreColor = sys.color(CursorColor);
  sys.surface.Circle(st.DFBUGX, st.DFBUGY, 75);
}

}  // namespace sorvant
