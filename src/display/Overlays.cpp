#include "display/Overlays.h"

#include <algorithm>
#include <cmath>

#include "display/Azimuth.h"

namespace sorvant {
namespace {

// The ring count whose range, RINGCOUNT x 10, still fits a 16-bit integer.
constexpr int kMostRings = 3276;

// Turns the display by the variation while VAR is on; every rotation of the display does the same.
Integer withVariation(const System& sys, int degrees) {
  return static_cast<Integer>(sys.varOn() ? degrees - sys.st.HEADING_CORRECTION : degrees);
}

}  // namespace

int drawnRingCount(const System& sys) { return std::max<int>(1, sys.st.RINGCOUNT); }

void RANGE_RINGS(System& sys) {
  DisplayState& st = sys.st;
  Surface& s = sys.surface;

  if (!st.NEWRING) {
    const Single tens = st.MAXVECTOR / 10.0f;
    const int rings = static_cast<int>(toInteger16(tens)) + 1;
    st.RINGCOUNT = static_cast<Integer>(std::clamp(rings, 1, kMostRings));
    if (st.RINGCOUNT == st.OLDRINGCOUNT) return;
    st.NEWVECTOR = true;
    st.OLDRINGCOUNT = st.RINGCOUNT;
  }

  // Redrawing the frame is what erases the old rings and vectors: its disc is filled.
  st.NEWAZIMUTH = true;
  AZIMUTH(sys);

  const int count = drawnRingCount(sys);
  s.foreColor = sys.color(RangeRings);
  const Single spacing = st.AZRADIUS / static_cast<Single>(count);
  for (int k = 1; k < count; ++k) {
    s.drawWidth = 2;
    s.Circle(st.CENTERX, st.CENTERY, static_cast<Single>(k) * spacing);
  }
  s.drawWidth = 1;
  st.NEWRING = false;

  // The label states the scale actually drawn, so a recalled empty memory reads 10, not 0.
  const Integer range = static_cast<Integer>(std::min(count, kMostRings) * 10);
  sys.main.Label_RANGE.caption = "RANGE " + decimalText(range) + " BRGS";
}

void CURSOR(System& sys) {
  DisplayState& st = sys.st;
  Surface& s = sys.surface;

  s.foreColor = sys.color(AzimuthBackground);
  s.Line(st.CENTERX, st.CENTERY, st.CURSX, -st.CURSY);
  // The marker lies outside the disc, on the window background.
  s.foreColor = sys.color(DisplayBackground);
  s.Circle(st.CIRX, st.CIRY, 50);

  const Integer degrees = withVariation(sys, static_cast<Integer>(90 - st.CURSOR_BEARING + st.HEADING));
  const double angle = degrees * kRadiansPerDegree;
  const double c = std::cos(angle);
  const double n = std::sin(angle);
  st.CURSX = static_cast<Single>(st.AZRADIUS * c);
  st.CURSY = static_cast<Single>(st.AZRADIUS * n);
  const Single reach = st.AZRADIUS + 250;
  st.CIRX = static_cast<Single>(reach * c + st.CENTERX);
  st.CIRY = static_cast<Single>(st.CENTERY - reach * n);

  s.foreColor = sys.color(CursorColor);
  s.drawStyle = 2;
  s.Line(st.CENTERX, st.CENTERY, st.CURSX, -st.CURSY);
  s.drawStyle = 0;
  s.Circle(st.CIRX, st.CIRY, 50);

  sys.main.Label_CURSOR.caption = "CURSOR " + threeDigits(st.CURSOR_BEARING) + " TRU";
}

void VECTOR(System& sys) {
  DisplayState& st = sys.st;
  Surface& s = sys.surface;

  st.VECTOR_HEADING = withVariation(sys, st.HEADING + 90);
  const Single rings = static_cast<Single>(drawnRingCount(sys));
  for (int i = 1; i <= 360; ++i) {
    const double t = static_cast<Integer>(st.VECTOR_HEADING - i) * kRadiansPerDegree;
    // Single after every operation, left to right, each component truncated on its own: the
    // lengths then match the ring spacing exactly, a sum of 10 per ring reaching ring by ring.
    const auto component = [&](double unit) {
      Single v = static_cast<Single>(unit);
      v = v / 10.0f;
      v = v / rings;
      v = v * st.AZRADIUS;
      v = v * st.SECTOR_SUM[i];
      return std::trunc(v);
    };
    const Single dx = component(std::cos(t));
    const Single dy = component(std::sin(t));
    s.foreColor = sys.color(Vectors);
    s.Line(st.CENTERX, st.CENTERY, dx, -dy);
  }
}

}  // namespace sorvant
