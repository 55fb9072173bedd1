#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "DisplayTestSupport.h"
#include "display/Marker.h"
#include "display/Overlays.h"
#include "display/UnitCircle.h"

namespace sorvant::test {
namespace {

struct Rings {
  int count;
  std::vector<DrawOp> inner;
  std::string label;
};

Rings ringsFor(QuietDisplay& d, float maxvector) {
  d.ts.surface.clear();
  d.st().NEWRING = false;
  d.st().OLDRINGCOUNT = 0;
  d.st().MAXVECTOR = maxvector;
  RANGE_RINGS(d.ts.sys);
  return {d.st().RINGCOUNT, d.circlesIn(d.ts.sys.color(RangeRings)), d.ts.sys.main.Label_RANGE.caption};
}

TEST(RangeRings, CountFollowsMaxvectorRoundedTiesToEven) {
  QuietDisplay d;
  Rings r = ringsFor(d, 0);
  EXPECT_EQ(r.count, 1);
  EXPECT_TRUE(r.inner.empty());
  EXPECT_EQ(r.label, "RANGE  10 BRGS");

  r = ringsFor(d, 14);
  EXPECT_EQ(r.count, 2);
  ASSERT_EQ(r.inner.size(), 1u);
  EXPECT_FLOAT_EQ(r.inner[0].r, d.st().AZRADIUS / 2);
  EXPECT_EQ(r.inner[0].drawWidth, 2);
  EXPECT_EQ(r.label, "RANGE  20 BRGS");

  EXPECT_EQ(ringsFor(d, 15).count, 3);  // 1.5 rounds to 2
  r = ringsFor(d, 25);                  // 2.5 rounds to 2
  EXPECT_EQ(r.count, 3);
  EXPECT_EQ(r.inner.size(), 2u);
  EXPECT_EQ(r.label, "RANGE  30 BRGS");
  EXPECT_TRUE(d.st().NEWVECTOR);
}

TEST(RangeRings, NothingIsRedrawnUntilTheScaleChangesOrARedrawIsAsked) {
  QuietDisplay d;
  ringsFor(d, 14);
  d.ts.surface.clear();
  d.st().MAXVECTOR = 12;  // still two rings
  RANGE_RINGS(d.ts.sys);
  EXPECT_TRUE(d.ts.surface.ops.empty());

  d.st().NEWRING = true;
  d.st().MAXVECTOR = 40;  // a requested redraw keeps the scale
  RANGE_RINGS(d.ts.sys);
  EXPECT_EQ(d.st().RINGCOUNT, 2);
  EXPECT_EQ(d.circlesIn(d.ts.sys.color(RangeRings)).size(), 1u);
  EXPECT_FALSE(d.st().NEWRING);
}

TEST(RangeRings, ARecalledCountOfZeroIsDrawnAsOneAndHugeSumsKeepTheLabelIn16Bits) {
  QuietDisplay d;
  d.st().RINGCOUNT = 0;
  d.st().NEWRING = true;
  d.ts.surface.clear();
  RANGE_RINGS(d.ts.sys);
  EXPECT_EQ(drawnRingCount(d.ts.sys), 1);
  EXPECT_TRUE(d.circlesIn(d.ts.sys.color(RangeRings)).empty());
  EXPECT_EQ(d.ts.sys.main.Label_RANGE.caption, "RANGE  10 BRGS");

  d.st().SECTOR_SUM[90] = 10;
  VECTOR(d.ts.sys);
  // The vectors' ends, offsets from the centre with y up, are kept in the drawn overlays.
  const DrawnOverlays& drawn = d.ts.sys.run.drawn;
  EXPECT_NEAR(drawn.dx[90], d.st().AZRADIUS, 1.0);

  EXPECT_EQ(ringsFor(d, 1e6f).label, "RANGE  32760 BRGS");

  // Past the largest ring count the scale keeps following the largest sum: nothing goes beyond the rim.
  d.st().SECTOR_SUM[90] = 1e6f;
  d.st().SECTOR_SUM[180] = 5e5f;
  VECTOR(d.ts.sys);
  float longest = 0;
  for (int i = 1; i <= 360; ++i) longest = std::max(longest, std::hypot(drawn.dx[i], drawn.dy[i]));
  EXPECT_LE(longest, d.st().AZRADIUS);
  EXPECT_NEAR(longest, d.st().AZRADIUS, 1.0);
  EXPECT_NEAR(drawn.dy[180], -d.st().AZRADIUS / 2, 1.0);  // south, half the largest sum
}

// A sweep that runs for half an hour from one direction takes the ring count into the thousands.
TEST(RangeRings, NeverDrawnCloserThanSixPixelsSoTheScaleStaysReadableHoweverLongTheSweep) {
  QuietDisplay d;
  const float radius = d.st().AZRADIUS;  // 2718 twips, 181 pixels of 15 twips
  const float closest = 6 * 15.0f;
  std::vector<float> today;  // the radii every ring would have
  const auto radii = [&](float maxvector) {
    const Rings r = ringsFor(d, maxvector);
    today.clear();
    for (int k = 1; k < r.count; ++k) today.push_back(static_cast<float>(k) * (radius / static_cast<float>(r.count)));
    std::vector<float> out;
    for (const DrawOp& c : r.inner) out.push_back(c.r);
    return out;
  };

  // Rings six pixels apart or more: every one, exactly as before.
  EXPECT_EQ(radii(290), today);  // 30 rings, 6.04 pixels apart
  EXPECT_EQ(ringsFor(d, 290).label, "RANGE  300 BRGS");

  // Closer: every 2nd, 5th, 10th, 20th ... ring, at its own radius, none crowding the rim.
  std::vector<float> drawn = radii(300);  // 31 rings, 5.8 pixels apart: every 2nd
  ASSERT_EQ(drawn.size(), 14u);
  for (std::size_t i = 0; i < drawn.size(); ++i) EXPECT_EQ(drawn[i], today[2 * i + 1]);
  drawn = radii(10790);  // RANGE 10800, 2.5 pixels apart: every 50th, 500 bearings
  ASSERT_EQ(drawn.size(), 20u);
  EXPECT_EQ(drawn.front(), today[49]);
  EXPECT_EQ(ringsFor(d, 10790).label, "RANGE  10800 BRGS");

  for (float maxvector = 0; maxvector < 40000; maxvector = maxvector * 1.05f + 7) {
    drawn = radii(maxvector);
    float inner = 0;
    for (const float r : drawn) {
      EXPECT_GE(r - inner, closest - 0.01f) << maxvector;
      inner = r;
    }
    if (drawn.size() < today.size()) {
      EXPECT_GE(radius - inner, closest) << maxvector;
    }
    EXPECT_LE(drawn.size(), static_cast<std::size_t>(radius / closest)) << maxvector;
  }

  // Past the cap RINGCOUNT and the label stand still, while the scale still steps every 10 bearings.
  ringsFor(d, 40000);
  EXPECT_EQ(d.st().RINGCOUNT, 3276);
  EXPECT_EQ(drawnRingCount(d.ts.sys), 4001);
  d.ts.surface.clear();
  d.st().MAXVECTOR = 40004;
  RANGE_RINGS(d.ts.sys);
  EXPECT_TRUE(d.ts.surface.ops.empty());
  d.st().MAXVECTOR = 40010;
  RANGE_RINGS(d.ts.sys);
  EXPECT_EQ(drawnRingCount(d.ts.sys), 4002);
  EXPECT_FALSE(d.ts.surface.ops.empty());
  EXPECT_EQ(d.ts.sys.main.Label_RANGE.caption, "RANGE  32760 BRGS");
}

TEST(Vector, ASumOfTenPerRingReachesTheEdgeAndComponentsTruncateTowardZero) {
  QuietDisplay d;
  d.st().SECTOR_SUM.fill(0);
  d.st().RINGCOUNT = 3;
  d.st().SECTOR_SUM[90] = 30;
  d.st().SECTOR_SUM[360] = 15;
  VECTOR(d.ts.sys);
  const DrawnOverlays& drawn = d.ts.sys.run.drawn;
  EXPECT_NEAR(drawn.dx[90], d.st().AZRADIUS, 1.0);
  EXPECT_LE(drawn.dx[90], d.st().AZRADIUS);
  EXPECT_FLOAT_EQ(drawn.dy[90], 0);
  // North, half the radius straight up; its tiny horizontal part truncates to 0, not -1.
  EXPECT_FLOAT_EQ(drawn.dx[360], 0);
  EXPECT_NEAR(drawn.dy[360], d.st().AZRADIUS / 2, 1.0);
  EXPECT_EQ(d.st().VECTOR_HEADING, 90);
  // Each vector is drawn along its degree's line to the rim, cut where it ends; empty bins draw
  // nothing.
  const auto lines = d.linesIn(d.ts.sys.color(Vectors));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NEAR(lines[0].dx, d.st().AZRADIUS, 1.0);
  EXPECT_NEAR(lines[0].dy, 0, 1.0);
  EXPECT_NEAR(lines[1].dx, 0, 1.0);
  EXPECT_NEAR(lines[1].dy, -d.st().AZRADIUS, 1.0);

  // Drawn again: nothing until a length changes or the display turns.
  const auto redrawn = [&] {
    d.ts.surface.clear();
    VECTOR(d.ts.sys);
    return d.linesIn(d.ts.sys.color(Vectors)).size();
  };
  EXPECT_EQ(redrawn(), 0u);
  d.st().SECTOR_SUM[360] = std::nextafter(15.0f, 16.0f);  // truncates to the same length
  EXPECT_EQ(redrawn(), 0u);
  d.st().SECTOR_SUM[360] = 20;
  EXPECT_GT(redrawn(), 0u);
  EXPECT_EQ(redrawn(), 0u);
  d.st().RINGCOUNT = 4;
  EXPECT_GT(redrawn(), 0u);
  d.st().HEADING = 10;
  EXPECT_GT(redrawn(), 0u);

  // The bin directions come from a table that must give exactly what working them out gives.
  for (int degrees : {-32768, -1081, -1080, -361, -1, 0, 1, 89, 359, 360, 1080, 1081, 32767}) {
    EXPECT_EQ(unitPoint(degrees).c, std::cos(degrees * kRadiansPerDegree)) << degrees;
    EXPECT_EQ(unitPoint(degrees).s, std::sin(degrees * kRadiansPerDegree)) << degrees;
  }
}

TEST(Cursor, DrawnTowardsTheBearingNeverErasedAcrossTheDiscAndTheLabelWritten) {
  QuietDisplay d;
  Surface& s = d.ts.sys.surface;
  const float r = d.st().AZRADIUS;
  const auto& ops = d.ts.surface.ops;
  const auto dotted = [&] {
    for (const DrawOp& op : ops)
      if (op.kind == DrawOp::Line && op.drawStyle == 2) return op;
    return DrawOp{};
  };
  moveLastBearingMarker(d.ts.sys, 0);
  d.ts.surface.clear();
  d.st().CURSOR_BEARING = 90;
  CURSOR(d.ts.sys);
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].foreColor, d.ts.sys.color(DisplayBackground));  // the old marker, outside the disc
  EXPECT_EQ(ops[1].drawStyle, 2);
  EXPECT_NEAR(ops[1].dx, r, 1.0);
  EXPECT_NEAR(ops[1].dy, 0, 1.0);
  // The erase may have cut the last-bearing marker: it is drawn again, under the cursor's marker.
  EXPECT_EQ(ops[2].r, 75);
  EXPECT_EQ(ops[3].r, 50);
  EXPECT_NEAR(ops[3].x, d.st().CENTERX + r + 250, 1.0);
  EXPECT_EQ(s.drawStyle, 0);
  EXPECT_EQ(d.ts.sys.main.Label_CURSOR.caption, "CURSOR 090 TRU");

  // Turned over a disc that still shows the old line: the frame is drawn again, which takes that
  // line away. Nothing is drawn in the disc's colour along it, which would cut the rings under it.
  d.ts.surface.clear();
  d.st().HEADING = 30;
  d.st().CURSOR_BEARING = 30;
  CURSOR(d.ts.sys);
  EXPECT_TRUE(d.linesIn(d.ts.sys.color(AzimuthBackground)).empty());
  const auto discs = d.ts.surface.of(DrawOp::Circle);
  EXPECT_TRUE(std::any_of(discs.begin(), discs.end(), [&](const DrawOp& c) {
    return c.fillStyle == 0 && c.fillColor == d.ts.sys.color(AzimuthBackground) && c.r == r;
  }));
  EXPECT_NEAR(dotted().dx, 0, 1.0);
  EXPECT_NEAR(dotted().dy, -r, 1.0);
  EXPECT_EQ(d.ts.sys.main.Label_CURSOR.caption, "CURSOR 030 TRU");

  d.ts.surface.clear();
  d.st().HEADING = 0;
  d.st().CURSOR_BEARING = 5;
  d.st().HEADING_CORRECTION = 10;
  d.ts.sys.main.CmdButton_VAR.caption = kVarOn;
  CURSOR(d.ts.sys);
  EXPECT_NEAR(dotted().dx, r * std::sin(15 * 3.14159265 / 180), 1.0);  // turns with the frame
  EXPECT_EQ(d.ts.sys.main.Label_CURSOR.caption, "CURSOR 005 TRU");
}

}  // namespace
}  // namespace sorvant::test
