#include "display/Overlays.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "display/Azimuth.h"
#include "display/Marker.h"
#include "display/UnitCircle.h"

namespace sorvant {
namespace {

// The ring count whose range, RINGCOUNT x 10, still fits a 16-bit integer.
constexpr int kMostRings = 3276;
// The largest scale past that cap, far beyond any count a Single still adds one to.
constexpr Long kMostScale = 100'000'000;
// Rings are drawn at least this many line widths (pixels of a line of width 1) apart.
constexpr Single kClosestRings = 6;

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

// The dotted line from the centre to the cursor; the style goes back to solid.
void cursorLine(Surface& s, const DisplayState& st, Color colour) {
  s.foreColor = colour;
  s.drawStyle = 2;
  s.Line(st.CENTERX, st.CENTERY, st.CURSX, -st.CURSY);
  s.drawStyle = 0;
}

// The cursor's marker outside the disc, in the given colour.
void cursorMarker(Surface& s, const DisplayState& st, Color colour) {
  s.foreColor = colour;
  s.Circle(st.CIRX, st.CIRY, 50);
}

// Every how many-th ring is drawn. Rings closer than a few line widths run together into a moire
// that hides the ticks and letters: then only every 2nd, 5th, 10th, 20th, 50th ... ring is drawn,
// the fewest that stand that far apart. Far enough apart, every ring is drawn.
Long ringStep(Single spacing, Single closest) {
  for (Long decade = 1; decade < kMostScale; decade *= 10)
    for (const Long factor : {1, 2, 5})
      if (spacing * static_cast<Single>(decade * factor) >= closest) return decade * factor;
  return kMostScale;
}

// One bearing vector from the centre (cx, cy), ending at the offset (dx, -dy) from it. It is drawn as
// the part of its degree's line to the rim that lies within its reach along the line's main axis:
// that line is the same whatever the length, so a longer vector covers every pixel of a shorter one
// and growing leaves nothing of it behind (a line to each new end point would wander by a pixel here
// and there). Across the main axis the cut leaves `room` twips: the line keeps within its end there.
// Nothing is drawn for a vector without reach along its main axis.
void drawVector(Surface& s, Single cx, Single cy, Single room, Single rimX, Single rimY, Single dx, Single dy) {
  const float endX = dx, endY = -dy;
  const bool alongX = std::abs(rimX) >= std::abs(rimY);
  if (alongX ? endX == 0 : endY == 0) return;
  const float lowX = endX < 0.0f ? endX : 0.0f, highX = endX > 0.0f ? endX : 0.0f;
  const float lowY = endY < 0.0f ? endY : 0.0f, highY = endY > 0.0f ? endY : 0.0f;
  float left = cx + lowX, right = cx + highX, top = cy + lowY, bottom = cy + highY;
  if (alongX) {
    top -= room;
    bottom += room;
  } else {
    left -= room;
    right += room;
  }
  s.clipTo(left, top, right - left, bottom - top);
  s.Line(cx, cy, rimX, rimY);
  s.unclip();
}

}  // namespace

Long drawnRingCount(const System& sys) {
  const DisplayState& st = sys.st;
  const Long rings = std::max<Long>(1, st.RINGCOUNT);
  if (rings < kMostRings) return rings;
  // Past its 16-bit cap RINGCOUNT stands still; the scale keeps stepping by 10 bearings as before.
  const Single tens = st.MAXVECTOR / 10.0f;
  return std::max<Long>(rings, std::min<Long>(toInteger32(tens), kMostScale) + 1);
}

void RANGE_RINGS(System& sys) {
  DisplayState& st = sys.st;
  Surface& s = sys.surface;

  if (!st.NEWRING) {
    const Single tens = st.MAXVECTOR / 10.0f;
    const int rings = static_cast<int>(toInteger16(tens)) + 1;
    st.RINGCOUNT = static_cast<Integer>(std::clamp(rings, 1, kMostRings));
    if (st.RINGCOUNT == st.OLDRINGCOUNT && drawnRingCount(sys) == sys.run.drawnRingScale) return;
    st.NEWVECTOR = true;
    st.OLDRINGCOUNT = st.RINGCOUNT;
  }

  // Redrawing the frame is what erases the old rings and vectors: its disc is filled.
  st.NEWAZIMUTH = true;
  AZIMUTH(sys);

  const Long count = drawnRingCount(sys);
  sys.run.drawnRingScale = count;
  s.foreColor = sys.color(RangeRings);
  const Single spacing = st.AZRADIUS / static_cast<Single>(count);
  const Single closest = kClosestRings * s.pixelTwips();
  const Long step = ringStep(spacing, closest);
  for (Long k = step; k < count; k += step) {
    // Only every few rings drawn: none crowds the disc's edge, the last ring.
    if (step > 1 && static_cast<Single>(count - k) * spacing < closest) break;
    s.drawWidth = 2;
    s.Circle(st.CENTERX, st.CENTERY, static_cast<Single>(k) * spacing);
  }
  s.drawWidth = 1;
  st.NEWRING = false;

  // The label states the scale actually drawn, so a recalled empty memory reads 10, not 0.
  const Integer range = static_cast<Integer>(std::min<Long>(count, kMostRings) * 10);
  sys.main.Label_RANGE.caption = "RANGE " + decimalText(range) + " BRGS";
}

void CURSOR(System& sys) {
  DisplayState& st = sys.st;
  DrawnOverlays& drawn = sys.run.drawn;
  Surface& s = sys.surface;

  const Integer degrees = withVariation(sys, static_cast<Integer>(90 - st.CURSOR_BEARING + st.HEADING));
  const auto [c, n] = unitPoint(degrees);
  const Single cursX = static_cast<Single>(st.AZRADIUS * c);
  const Single cursY = static_cast<Single>(st.AZRADIUS * n);
  const Single reach = st.AZRADIUS + 250;
  const Single cirX = static_cast<Single>(reach * c + st.CENTERX);
  const Single cirY = static_cast<Single>(st.CENTERY - reach * n);
  const Color markerErase = sys.color(DisplayBackground);
  const Color cursor = sys.color(CursorColor);

  // Every command that turns the cursor also draws the frame again, whose disc takes the old line
  // away: the line is never erased by drawing it in the background colour, which would cut the
  // rings, ticks and letters under it. Should the cursor ever turn over a disc that still shows its
  // old line, the frame is drawn again here.
  if (drawn.cursorValid && (cursX != st.CURSX || cursY != st.CURSY)) {
    st.NEWRING = true;
    RANGE_RINGS(sys);
  }

  // Drawing a cursor again that has not changed leaves exactly the pixels it found, once the vectors
  // are back over it; only a moved or recoloured cursor, or one over a fresh disc, is drawn.
  const bool unchanged = drawn.cursorValid && !st.NEWCURSOR && cursX == st.CURSX && cursY == st.CURSY &&
                         cirX == st.CIRX && cirY == st.CIRY && markerErase == drawn.markerEraseColor &&
                         cursor == drawn.cursorColor;
  if (unchanged) {
    // The last-bearing marker may have been erased or drawn across the cursor marker: both are
    // drawn again, the cursor marker on top.
    if (drawn.cursorMarkerOverdrawn) {
      cursorMarker(s, st, markerErase);
      drawLastBearingMarker(sys);
      cursorMarker(s, st, cursor);
    }
  } else {
    // The marker lies outside the disc, on the window background; its erase may cut the last-bearing
    // marker, which is drawn again under the new one.
    cursorMarker(s, st, markerErase);

    st.CURSX = cursX;
    st.CURSY = cursY;
    st.CIRX = cirX;
    st.CIRY = cirY;

    cursorLine(s, st, cursor);
    drawLastBearingMarker(sys);
    cursorMarker(s, st, cursor);

    // The dots lie over the vectors: every vector is drawn again over the cursor.
    drawn.vectorsValid = false;
    drawn.cursorValid = true;
    drawn.markerEraseColor = markerErase;
    drawn.cursorColor = cursor;
    st.NEWCURSOR = false;
  }
  drawn.cursorMarkerOverdrawn = false;

  sys.main.Label_CURSOR.caption = "CURSOR " + threeDigits(st.CURSOR_BEARING) + " TRU";
}

void VECTOR(System& sys) {
  DisplayState& st = sys.st;
  DrawnOverlays& drawn = sys.run.drawn;
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
  const bool drawnAlike = drawn.vectorsValid && drawn.vectorsColor == colour;
  // Most cycles count no bearing and turn nothing: every length would come out as drawn. Compared
  // bit for bit, so that only the very same inputs skip the work.
  if (drawnAlike && !turned && sameBits(drawn.sumsRings, rings) && sameBits(drawn.scaleRadius, st.AZRADIUS) &&
      sameBits(drawn.sums, st.SECTOR_SUM)) {
    s.foreColor = colour;
    return;
  }
  // A sum of 10 per ring reaches the rim. Before a requested redraw has caught up with a grown
  // maximum, the largest sum reaches the rim instead, so no vector ever leaves the disc.
  Single largest = 0;
  for (int i = 1; i <= 360; ++i) {
    const Single sum = st.SECTOR_SUM[i];
    if (largest < sum) largest = sum;
  }
  const bool overRange = largest > 10.0f * rings;

  // Single after every operation, left to right, each component truncated on its own: the lengths
  // then match the ring spacing exactly, a sum of 10 per ring reaching ring by ring. The steps
  // before the sum depend only on the bin and the scale, so they are kept per bin until the scale
  // or the heading changes.
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
  // Each bin's offset at the scale now in force. The same sum at the same scale gives the offset
  // already drawn, so only bins whose sum changed need working out while the drawing stands.
  bool all = !drawnAlike;
  if (!all) {
    // Only a frame drawn again takes a vector's old length away. Every change that shortens vectors
    // draws it again; should one ever get here without, it is drawn again now.
    bool shorter = false;
    for (int i = 1; i <= 360 && !shorter; ++i) {
      const Single sum = st.SECTOR_SUM[i];
      if (!rescaled && sameBits(drawn.sums[i], sum)) continue;
      const Single dx = truncated(drawn.scaledCos[i] * sum), dy = truncated(drawn.scaledSin[i] * sum);
      shorter = std::abs(dx) < std::abs(drawn.dx[i]) || std::abs(dy) < std::abs(drawn.dy[i]);
    }
    if (shorter) {
      st.NEWRING = true;
      RANGE_RINGS(sys);
      CURSOR(sys);
      all = true;
    }
  }

  s.foreColor = colour;
  const Single cx = st.CENTERX, cy = st.CENTERY, radius = st.AZRADIUS;
  const Single room = 3 * s.pixelTwips();
  for (int i = 1; i <= 360; ++i) {
    const Single sum = st.SECTOR_SUM[i];
    if (!all && !rescaled && sameBits(drawn.sums[i], sum)) continue;
    drawn.sums[i] = sum;
    // An empty bin (most of them in a fresh picture) is a zero offset, which truncates to itself and
    // draws nothing.
    const bool empty = sum == 0;
    const Single cosPart = drawn.scaledCos[i] * sum, sinPart = drawn.scaledSin[i] * sum;
    const Single dx = empty ? cosPart : truncated(cosPart), dy = empty ? sinPart : truncated(sinPart);
    // A vector drawn again unchanged over itself changes no pixel: only new lengths are drawn.
    if (!all && dx == drawn.dx[i] && dy == drawn.dy[i]) continue;
    if (!empty) drawVector(s, cx, cy, room, drawn.unitCos[i] * radius, -drawn.unitSin[i] * radius, dx, dy);
    drawn.dx[i] = dx;
    drawn.dy[i] = dy;
  }
  drawn.sums[0] = st.SECTOR_SUM[0];
  drawn.sumsRings = rings;
  drawn.vectorsValid = true;
  drawn.vectorsColor = colour;
}

}  // namespace sorvant
