#include "histogram/Accumulation.h"

#include <array>
#include <limits>

#include "display/Marker.h"
#include "display/Overlays.h"

namespace sorvant {

namespace {

struct SectorStep {
  Integer width;
  const char* caption;
};

// The widths in the order the sector command steps through them; after the last comes the first.
constexpr std::array<SectorStep, 10> kSectorSteps{{
    {4, "S:SECTOR     4 DEG"},
    {6, "S:SECTOR     6 DEG"},
    {8, "S:SECTOR     8 DEG"},
    {12, "S:SECTOR    12 DEG"},
    {18, "S:SECTOR    18 DEG"},
    {24, "S:SECTOR    24 DEG"},
    {36, "S:SECTOR    36 DEG"},
    {48, "S:SECTOR    48 DEG"},
    {72, "S:SECTOR    72 DEG"},
    {108, "S:SECTOR  108 DEG"},
}};

// Brings b + offset into 1..360 with one wrap. The widest sector reaches 54 bins either side, so a
// single turn always suffices for a bin in 1..360.
int wrapBin(int b, int offset) {
  int j = b + offset;
  if (j > 360) j -= 360;
  if (j < 1) j += 360;
  return j;
}

// A bearing's bin: north is bin 360. Bearings outside 0..359 are brought in by whole turns, so no
// caller can ever index outside the arrays.
int binOf(int bearing) {
  const int b = wrapDegrees(bearing);
  return b == 0 ? 360 : b;
}

}  // namespace

void zeroBins(DisplayState& st) {
  for (int i = 1; i <= 360; ++i) {
    st.SECTOR_SUM[i] = 0;
    st.BEARING_COUNT[i] = 0;
  }
}

std::string sectorCaption(int width) {
  for (const SectorStep& s : kSectorSteps)
    if (s.width == width) return s.caption;
  return {};
}

void countBearing(System& sys, int bearing) {
  DisplayState& st = sys.st;
  const int b = binOf(bearing);
  st.BEARING_COUNT[b] += 1;
  const int half = st.SECTOR_WIDTH / 2;
  for (int i = -half; i <= half; ++i) {
    const int j = wrapBin(b, i);
    st.SECTOR_SUM[j] += 1;
    if (st.SECTOR_SUM[j] > st.MAXVECTOR) st.MAXVECTOR = st.SECTOR_SUM[j];
  }
}

void recordBearing(System& sys, int trueBearing, double markerRadians, double shown) {
  DisplayState& st = sys.st;
  countBearing(sys, trueBearing);
  moveLastBearingMarker(sys, markerRadians);
  sys.main.Label_LAST_BRG.caption = lastBrgCaption(shown);
  if (st.INCOUNT < std::numeric_limits<Integer>::max()) ++st.INCOUNT;
  sys.main.Label_TOTAL_BRG.caption = totalBrgCaption(st.INCOUNT);
}

void SUMMING(System& sys) {
  DisplayState& st = sys.st;
  const int half = st.SECTOR_WIDTH / 2;
  for (int j = 1; j <= 360; ++j) {
    // The counts of the bins within half a sector of this one, added in ascending bin order: where
    // the sector wraps past 360 or below 1, its part in the lowest bins comes first.
    int from = j - half, to = j + half;
    Single sum = 0;
    if (from < 1) {
      for (int b = 1; b <= to; ++b) sum += st.BEARING_COUNT[b];
      from += 360;
      to = 360;
    } else if (to > 360) {
      for (int b = 1; b <= to - 360; ++b) sum += st.BEARING_COUNT[b];
      to = 360;
    }
    for (int b = from; b <= to; ++b) sum += st.BEARING_COUNT[b];
    st.SECTOR_SUM[j] = sum;
  }
  st.MAXVECTOR = 0;
  for (int j = 1; j <= 360; ++j)
    if (st.SECTOR_SUM[j] > st.MAXVECTOR) st.MAXVECTOR = st.SECTOR_SUM[j];
  st.NEWSECTOR = false;
}

void decayStep(System& sys) {
  DisplayState& st = sys.st;
  const Single elapsed = sys.clockNow() - static_cast<Single>(st.DECAY_TIME);
  const Single period = static_cast<Single>(readNumber(sys.opt.CmdButton_TIME.tag));
  if (period > elapsed) return;
  st.DECAY_TIME = sys.clockSecondsNow();
  st.MAXVECTOR = 0;
  const double f = readNumber(sys.opt.CmdButton_FRAC.tag);
  for (int i = 1; i <= 360; ++i) {
    st.BEARING_COUNT[i] = static_cast<Single>(f * st.BEARING_COUNT[i]);
    st.SECTOR_SUM[i] = static_cast<Single>(f * st.SECTOR_SUM[i]);
    if (st.SECTOR_SUM[i] > st.MAXVECTOR) st.MAXVECTOR = st.SECTOR_SUM[i];
  }
  st.NEWAZIMUTH = true;
  st.NEWRING = true;
}

void CmdButton_REDUCE_Click(System& sys) {
  DisplayState& st = sys.st;
  const Single r = st.RINGCOUNT;
  st.MAXVECTOR = 0;
  for (int i = 1; i <= 360; ++i) {
    st.BEARING_COUNT[i] -= r;
    if (st.BEARING_COUNT[i] < 0) st.BEARING_COUNT[i] = 0;
    st.SECTOR_SUM[i] -= r;
    if (st.SECTOR_SUM[i] < 0) st.SECTOR_SUM[i] = 0;
    if (st.SECTOR_SUM[i] > st.MAXVECTOR) st.MAXVECTOR = st.SECTOR_SUM[i];
  }
  st.NEWAZIMUTH = true;
  st.NEWRING = true;
  sys.runCycle();
}

void CmdButton_CLEAR_Click(System& sys) {
  DisplayState& st = sys.st;
  zeroBins(st);
  dropWaitingDfMessages(sys);
  st.MAXVECTOR = 0;
  st.INCOUNT = 0;
  // The total of the cleared picture would otherwise stay on show until the next bearing.
  sys.main.Label_TOTAL_BRG.caption = kTotalBrgZero;
  st.NEWAZIMUTH = true;
  st.NEWSECTOR = true;
  st.NEWVECTOR = true;
  st.ACQTIME = 0;
  sys.runCycle();
}

void CmdButton_DECAY_Click(System& sys) {
  Control& button = sys.main.CmdButton_DECAY;
  if (button.caption != kDecayOff) {
    button.caption = kDecayOff;
    sys.st.DECAY_TIMER = false;
  } else {
    button.caption = kDecayOn;
    sys.st.DECAY_TIMER = true;
    sys.st.DECAY_TIME = sys.clockSecondsNow();
  }
}

void CmdButton_SECTOR_Click(System& sys) {
  DisplayState& st = sys.st;
  std::size_t k = 0;
  while (k < kSectorSteps.size() && kSectorSteps[k].width != st.SECTOR_WIDTH) ++k;
  if (k == kSectorSteps.size()) return;
  const SectorStep& next = kSectorSteps[(k + 1) % kSectorSteps.size()];
  st.SECTOR_WIDTH = next.width;
  st.NEWSECTOR = true;
  sys.main.CmdButton_SECTOR.caption = next.caption;
  SUMMING(sys);
  // The ring scale follows the new maximum before the surface is cleared and everything redrawn.
  st.NEWRING = false;
  RANGE_RINGS(sys);
  clearSurface(sys);
  st.NEWAZIMUTH = true;
  st.NEWCURSOR = true;
  st.NEWRING = true;
  sys.runCycle();
}

}  // namespace sorvant
