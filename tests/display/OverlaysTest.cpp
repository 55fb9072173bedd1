#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "DisplayTestSupport.h"
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
  d.ts.surface.clear();
  VECTOR(d.ts.sys);
  const DrawOp east = d.linesIn(d.ts.sys.color(Vectors))[89];
  EXPECT_NEAR(east.dx, d.st().AZRADIUS, 1.0);

  EXPECT_EQ(ringsFor(d, 1e6f).label, "RANGE  32760 BRGS");

  // Past the largest ring count the largest sum reaches the rim and nothing goes beyond it.
  d.st().SECTOR_SUM[90] = 1e6f;
  d.st().SECTOR_SUM[180] = 5e5f;
  d.ts.surface.clear();
  VECTOR(d.ts.sys);
  const auto lines = d.linesIn(d.ts.sys.color(Vectors));
  ASSERT_EQ(lines.size(), 360u);  // the rings were just redrawn, so every vector is drawn
  float longest = 0;
  for (const DrawOp& op : lines) longest = std::max(longest, std::hypot(op.dx, op.dy));
  EXPECT_LE(longest, d.st().AZRADIUS);
  EXPECT_NEAR(longest, d.st().AZRADIUS, 1.0);
  EXPECT_NEAR(lines[179].dy, d.st().AZRADIUS / 2, 1.0);  // south, half the largest sum
}

TEST(Vector, ASumOfTenPerRingReachesTheEdgeAndComponentsTruncateTowardZero) {
  QuietDisplay d;
  d.st().RINGCOUNT = 3;
  d.st().SECTOR_SUM[90] = 30;
  d.st().SECTOR_SUM[360] = 15;
  VECTOR(d.ts.sys);
  const auto lines = d.linesIn(d.ts.sys.color(Vectors));
  ASSERT_EQ(lines.size(), 360u);
  EXPECT_NEAR(lines[89].dx, d.st().AZRADIUS, 1.0);
  EXPECT_LE(lines[89].dx, d.st().AZRADIUS);
  EXPECT_FLOAT_EQ(lines[89].dy, 0);
  // North, half the radius straight up; its tiny horizontal part truncates to 0, not -1.
  EXPECT_FLOAT_EQ(lines[359].dx, 0);
  EXPECT_NEAR(lines[359].dy, -d.st().AZRADIUS / 2, 1.0);
  EXPECT_FLOAT_EQ(lines[0].dx, 0);  // empty bins draw nothing visible
  EXPECT_EQ(d.st().VECTOR_HEADING, 90);

  // Drawn again: nothing until a length changes or the display turns.
  const auto redrawn = [&] {
    d.ts.surface.clear();
    VECTOR(d.ts.sys);
    return d.linesIn(d.ts.sys.color(Vectors)).size();
  };
  EXPECT_EQ(redrawn(), 0u);
  d.st().SECTOR_SUM[90] = std::nextafter(30.0f, 0.0f);  // truncates to the same length
  EXPECT_EQ(redrawn(), 0u);
  d.st().SECTOR_SUM[90] = 20;
  EXPECT_EQ(redrawn(), 1u);
  d.st().RINGCOUNT = 4;
  EXPECT_GE(redrawn(), 2u);
  d.st().HEADING = 10;
  EXPECT_GE(redrawn(), 2u);

  // The bin directions come from a table that must give exactly what working them out gives.
  for (int degrees : {-32768, -1081, -1080, -361, -1, 0, 1, 89, 359, 360, 1080, 1081, 32767}) {
    EXPECT_EQ(unitPoint(degrees).c, std::cos(degrees * kRadiansPerDegree)) << degrees;
    EXPECT_EQ(unitPoint(degrees).s, std::sin(degrees * kRadiansPerDegree)) << degrees;
  }
}

TEST(Cursor, EraseThenDrawTowardsTheBearingAndWriteTheLabel) {
  QuietDisplay d;
  Surface& s = d.ts.sys.surface;
  const float r = d.st().AZRADIUS;
  d.st().CURSOR_BEARING = 90;
  CURSOR(d.ts.sys);
  const auto& ops = d.ts.surface.ops;
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(ops[0].foreColor, d.ts.sys.color(AzimuthBackground));
  EXPECT_EQ(ops[1].foreColor, d.ts.sys.color(DisplayBackground));
  EXPECT_EQ(ops[2].drawStyle, 2);
  EXPECT_NEAR(ops[2].dx, r, 1.0);
  EXPECT_NEAR(ops[2].dy, 0, 1.0);
  EXPECT_NEAR(ops[3].x, d.st().CENTERX + r + 250, 1.0);
  EXPECT_EQ(s.drawStyle, 0);
  EXPECT_EQ(d.ts.sys.main.Label_CURSOR.caption, "CURSOR 090 TRU");

  d.ts.surface.clear();
  d.st().HEADING = 30;
  d.st().CURSOR_BEARING = 30;
  CURSOR(d.ts.sys);
  EXPECT_NEAR(ops[0].dx, r, 1.0);  // erases the line drawn before
  EXPECT_NEAR(ops[2].dx, 0, 1.0);
  EXPECT_NEAR(ops[2].dy, -r, 1.0);
  EXPECT_EQ(d.ts.sys.main.Label_CURSOR.caption, "CURSOR 030 TRU");

  d.ts.surface.clear();
  d.st().HEADING = 0;
  d.st().CURSOR_BEARING = 5;
  d.st().HEADING_CORRECTION = 10;
  d.ts.sys.main.CmdButton_VAR.caption = kVarOn;
  CURSOR(d.ts.sys);
  EXPECT_NEAR(ops[2].dx, r * std::sin(15 * 3.14159265 / 180), 1.0);  // turns with the frame
  EXPECT_EQ(d.ts.sys.main.Label_CURSOR.caption, "CURSOR 005 TRU");
}

}  // namespace
}  // namespace sorvant::test
