#include "display/Overlays.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "display/Azimuth.h"
#include "display/UnitCircle.h"

namespace sorvant {
namespace {

// The ring count whose range, RINGCOUNT x 10, still fits a 16-bit integer.
constexpr int kMostRings = 3276;

// Turns the display by the variation while VAR is on; every rotation of the display does the same.
Integer withVariation(const System& sys, int degrees) {
  return static_cast<Integer>(sys.varOn() ? degrees - sys.st.HEADING_CORRECTION : degrees);
}

bool sameBits(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

bool sameBits(const std::array<Single, 361>& a, const std::array<Single, 361>& b) {
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!sameBits(a[i], b[i])) return false;
  return true;
}

// std::trunc, without the library call that a processor without SSE4.1 needs for it: below 2^23 a
// float converts to a whole number exactly, and the sign is kept for -0.
float truncated(float v) {
  if (std::fabs(v) < 8388608.0f) return std::copysign(static_cast<float>(static_cast<int32_t>(v)), v);
  return std::trunc(v);
}

// Whether the line from the centre with offset (dx, dy) passes through the rectangle.
bool crosses(float cx, float cy, float dx, float dy, float left, float top, float right, float bottom) {
  // Clip the segment's parameter range against each slab of the rectangle.
  float t0 = 0, t1 = 1;
  const auto slab = [&](float start, float delta, float low, float high) {
    if (delta == 0) return start >= low && start <= high;
    float a = (low - start) / delta;
    float b = (high - start) / delta;
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
    return t0 <= t1;
  };
  return slab(cx, dx, left, right) && slab(cy, dy, top, bottom);
}

// The line from the centre to the cursor, in the given colour and style; the style goes back to solid.
void cursorLine(Surface& s, const DisplayState& st, Color colour, int style) {
  s.foreColor = colour;
  s.drawStyle = style;
  s.Line(st.CENTERX, st.CENTERY, st.CURSX, -st.CURSY);
  s.drawStyle = 0;
}

// The cursor's marker outside the disc, in the given colour.
void cursorMarker(Surface& s, const DisplayState& st, Color colour) {
  s.foreColor = colour;
  s.Circle(st.CIRX, st.CIRY, 50);
}

// A cycle that draws every vector first erases the cursor line and draws it again, so along that
// line only the vectors of this cycle show. Drawing just the changed vectors leaves the pixels of
// their old lengths where those ran along the cursor line: put back there what the full drawing
// leaves, piece by piece, drawing clipped the erased line, the dotted line and the vectors that
// cross the piece. The few pixels next to the centre, which every vector crosses, are left alone.
void uncoverCursorLine(System& sys, const std::vector<std::pair<float, float>>& replaced) {
  DisplayState& st = sys.st;
  Surface& s = sys.surface;
  const float length = std::hypot(st.CURSX, st.CURSY);
  if (length <= 0) return;
  const float pixel = s.pixelTwips();
  const float near = 2.5f * pixel;  // lines closer than this may share pixels
  const float ux = st.CURSX / length;
  const float uy = -st.CURSY / length;

  // How far out along the cursor line a replaced vector may have left pixels.
  float reach = 0;
  for (const auto& [dx, dy] : replaced) {
    const float l = std::hypot(dx, dy);
    if (l <= 0) continue;
    const float along = (dx * ux + dy * uy) / l;
    if (along <= 0) continue;  // pointing away: it meets the cursor line only at the centre
    const float across = std::abs(dx * uy - dy * ux) / l;
    const float t = across > 0 ? std::min(l, near / across) : l;
    reach = std::max(reach, t * along + near);
  }
  reach = std::min(reach, length + near);

  const float start = 6 * pixel;
  const float tile = 24 * pixel;
  for (float a = start; a < reach; a += tile) {
    const float b = std::min(a + tile, reach);
    const float left = st.CENTERX + std::min(ux * a, ux * b) - near;
    const float right = st.CENTERX + std::max(ux * a, ux * b) + near;
    const float top = st.CENTERY + std::min(uy * a, uy * b) - near;
    const float bottom = st.CENTERY + std::max(uy * a, uy * b) + near;
    s.clipTo(left, top, right - left, bottom - top);
    cursorLine(s, st, st.drawn.lineEraseColor, 0);
    cursorLine(s, st, st.drawn.cursorColor, 2);
    s.foreColor = st.drawn.vectorsColor;
    // Every vector that may set a pixel inside the clip, with a pixel to spare.
    const float m = 2 * pixel;
    for (int i = 1; i <= 360; ++i) {
      const float dx = st.drawn.dx[i];
      const float dy = -st.drawn.dy[i];
      if (crosses(st.CENTERX, st.CENTERY, dx, dy, left - m, top - m, right + m, bottom + m))
        s.Line(st.CENTERX, st.CENTERY, dx, dy);
    }
    s.unclip();
  }
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
  DrawnOverlays& drawn = st.drawn;
  Surface& s = sys.surface;

  const Integer degrees = withVariation(sys, static_cast<Integer>(90 - st.CURSOR_BEARING + st.HEADING));
  const auto [c, n] = unitPoint(degrees);
  const Single cursX = static_cast<Single>(st.AZRADIUS * c);
  const Single cursY = static_cast<Single>(st.AZRADIUS * n);
  const Single reach = st.AZRADIUS + 250;
  const Single cirX = static_cast<Single>(reach * c + st.CENTERX);
  const Single cirY = static_cast<Single>(st.CENTERY - reach * n);
  const Color lineErase = sys.color(AzimuthBackground);
  const Color markerErase = sys.color(DisplayBackground);
  const Color cursor = sys.color(CursorColor);

  // Erasing and drawing a cursor that has not moved leaves exactly the pixels it found, once the
  // vectors are back over it; only a moved or recoloured cursor, or one over a fresh disc, is drawn.
  // A cursor that has just moved is drawn again in the next cycle: only that cycle's solid erase runs
  // along its new line, wiping the rings, ticks and letters between the dots.
  const bool unchanged = drawn.cursorValid && drawn.cursorLineWiped && !st.NEWCURSOR && cursX == st.CURSX &&
                         cursY == st.CURSY && cirX == st.CIRX && cirY == st.CIRY && lineErase == drawn.lineEraseColor &&
                         markerErase == drawn.markerEraseColor && cursor == drawn.cursorColor;
  if (unchanged) {
    // The last-bearing marker may have been drawn across the cursor marker: the cursor marker is
    // drawn after it in every cycle, so it comes back on top.
    if (drawn.cursorMarkerOverdrawn) {
      cursorMarker(s, st, markerErase);
      cursorMarker(s, st, cursor);
    }
  } else {
    cursorLine(s, st, lineErase, 0);
    // The marker lies outside the disc, on the window background.
    cursorMarker(s, st, markerErase);
    drawn.cursorLineWiped = cursX == st.CURSX && cursY == st.CURSY;

    st.CURSX = cursX;
    st.CURSY = cursY;
    st.CIRX = cirX;
    st.CIRY = cirY;

    cursorLine(s, st, cursor, 2);
    cursorMarker(s, st, cursor);

    // The erased line took vector pixels with it: every vector is drawn again over the new cursor.
    drawn.vectorsValid = false;
    drawn.cursorValid = true;
    drawn.lineEraseColor = lineErase;
    drawn.markerEraseColor = markerErase;
    drawn.cursorColor = cursor;
    st.NEWCURSOR = false;
  }
  drawn.cursorMarkerOverdrawn = false;

  sys.main.Label_CURSOR.caption = "CURSOR " + threeDigits(st.CURSOR_BEARING) + " TRU";
}

void VECTOR(System& sys) {
  DisplayState& st = sys.st;
  DrawnOverlays& drawn = st.drawn;
  Surface& s = sys.surface;

  st.VECTOR_HEADING = withVariation(sys, st.HEADING + 90);
  const bool turned = !drawn.unitValid || drawn.unitHeading != st.VECTOR_HEADING;
  if (turned) {
    for (int i = 1; i <= 360; ++i) {
      const UnitPoint p = unitPoint(static_cast<Integer>(st.VECTOR_HEADING - i));
      drawn.unitCos[i] = static_cast<Single>(p.c);
      drawn.unitSin[i] = static_cast<Single>(p.s);
    }
    drawn.unitHeading = st.VECTOR_HEADING;
    drawn.unitValid = true;
  }

  const Single rings = static_cast<Single>(drawnRingCount(sys));
  const Color colour = sys.color(Vectors);
  // Most cycles count no bearing and turn nothing: the lengths below would all come out as drawn.
  // Compared bit for bit, so that only the very same inputs skip the work.
  if (drawn.vectorsValid && drawn.vectorsColor == colour && !turned && sameBits(drawn.sumsRings, rings) &&
      sameBits(drawn.sumsRadius, st.AZRADIUS) && sameBits(drawn.sums, st.SECTOR_SUM)) {
    s.foreColor = colour;
    return;
  }
  // A sum of 10 per ring reaches the rim. Past the largest ring count, or before a requested
  // redraw has caught up with a grown maximum, the largest sum reaches the rim instead, so no
  // vector ever leaves the disc.
  Single largest = 0;
  for (int i = 1; i <= 360; ++i) {
    const Single sum = st.SECTOR_SUM[i];
    if (largest < sum) largest = sum;
  }
  const bool overRange = largest > 10.0f * rings;

  // Single after every operation, left to right, each component truncated on its own: the
  // lengths then match the ring spacing exactly, a sum of 10 per ring reaching ring by ring. The
  // steps before the sum depend only on the bin and the scale, so they are kept per bin until
  // the scale or the heading changes.
  const Single divisor = overRange ? largest : rings;
  const bool rescaled = turned || !drawn.scaleValid || drawn.scaleOverRange != overRange ||
                        !sameBits(drawn.scaleDivisor, divisor) || !sameBits(drawn.scaleRadius, st.AZRADIUS);
  if (rescaled) {
    const auto scaled = [&](Single unit) {
      Single v = unit;
      if (overRange) {
        v = v / largest;
      } else {
        v = v / 10.0f;
        v = v / rings;
      }
      return v * st.AZRADIUS;
    };
    for (int i = 1; i <= 360; ++i) {
      drawn.scaledCos[i] = scaled(drawn.unitCos[i]);
      drawn.scaledSin[i] = scaled(drawn.unitSin[i]);
    }
    drawn.scaleValid = true;
    drawn.scaleOverRange = overRange;
    drawn.scaleDivisor = divisor;
    drawn.scaleRadius = st.AZRADIUS;
  }

  s.foreColor = colour;
  const bool all = !drawn.vectorsValid || drawn.vectorsColor != colour;
  std::vector<std::pair<float, float>> replaced;
  for (int i = 1; i <= 360; ++i) {
    // The same sum at the same scale gives the length already drawn.
    if (!all && !rescaled && sameBits(drawn.sums[i], st.SECTOR_SUM[i])) continue;
    const Single dx = truncated(drawn.scaledCos[i] * st.SECTOR_SUM[i]);
    const Single dy = truncated(drawn.scaledSin[i] * st.SECTOR_SUM[i]);
    // A line drawn again unchanged over itself changes no pixel: only new lengths are drawn.
    if (!all && dx == drawn.dx[i] && dy == drawn.dy[i]) continue;
    s.Line(st.CENTERX, st.CENTERY, dx, -dy);
    if (!all) replaced.emplace_back(drawn.dx[i], -drawn.dy[i]);
    drawn.dx[i] = dx;
    drawn.dy[i] = dy;
  }
  drawn.vectorsValid = true;
  drawn.vectorsColor = colour;
  drawn.sums = st.SECTOR_SUM;
  drawn.sumsRings = rings;
  drawn.sumsRadius = st.AZRADIUS;
  if (!replaced.empty() && drawn.cursorValid) uncoverCursorLine(sys, replaced);
  s.foreColor = colour;
}

}  // namespace sorvant
