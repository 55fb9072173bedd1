#include <gtest/gtest.h>

#include <map>

#include "DisplayTestSupport.h"
#include "display/Azimuth.h"

namespace sorvant::test {
namespace {

constexpr double kDeg = 3.14159265358979 / 180;

// Where each compass letter points, as (x right, y down) from the centre, its centring offsets undone.
std::map<std::string, std::pair<double, double>> letterPoints(QuietDisplay& d) {
  const std::map<std::string, int> xOffset = {{"N", 80}, {"NE", 180}, {"E", 80},  {"SE", 180},
                                              {"S", 80}, {"SW", 180}, {"W", 120}, {"NW", 200}};
  std::map<std::string, std::pair<double, double>> out;
  for (const DrawOp& op : d.ts.surface.of(DrawOp::Print))
    out[op.text] = {op.x + xOffset.at(op.text) - d.st().CENTERX, op.y + 135 - d.st().CENTERY};
  return out;
}

void expectAt(const std::pair<double, double>& p, double radius, double screenDegreesFromUp) {
  const double a = screenDegreesFromUp * kDeg;
  EXPECT_NEAR(p.first, radius * std::sin(a), 1.0);
  EXPECT_NEAR(p.second, -radius * std::cos(a), 1.0);
}

TEST(Azimuth, FrameIsAFilledDiscWithTicksLettersAndAFixedCrosshair) {
  QuietDisplay d;
  d.st().HEADING = 37;
  AZIMUTH(d.ts.sys);
  const auto& ops = d.ts.surface.ops;
  ASSERT_EQ(ops.front().kind, DrawOp::Circle);
  EXPECT_EQ(ops.front().fillStyle, 0);
  EXPECT_EQ(ops.front().fillColor, d.ts.sys.color(AzimuthBackground));
  EXPECT_EQ(ops[1].fillStyle, 1);
  EXPECT_FLOAT_EQ(ops[1].r, d.st().AZRADIUS + 50);

  const auto lines = d.linesIn(d.ts.sys.color(AzimuthScale));
  ASSERT_EQ(lines.size(), 2u + 72u);
  EXPECT_FLOAT_EQ(lines[0].dx, 0);  // crosshair does not turn with the heading
  EXPECT_FLOAT_EQ(lines[0].dy, 220);
  EXPECT_FLOAT_EQ(lines[1].dx, 220);
  EXPECT_FLOAT_EQ(lines[1].dy, 0);
  EXPECT_NEAR(std::hypot(lines[2].dx, lines[2].dy), 150, 0.01);
  EXPECT_NEAR(std::hypot(lines[40].dx, lines[40].dy), 75, 0.01);
  EXPECT_EQ(d.ts.surface.drawWidth, 1);
  EXPECT_FALSE(d.st().NEWAZIMUTH);
}

TEST(Azimuth, LettersTurnAgainstTheHeadingAndWithTheVariation) {
  QuietDisplay d;
  const float letterRadius = d.st().AZRADIUS * 0.91f;
  AZIMUTH(d.ts.sys);
  auto at = letterPoints(d);
  expectAt(at["N"], letterRadius, 0);
  expectAt(at["E"], letterRadius, 90);
  expectAt(at["S"], letterRadius, 180);
  expectAt(at["W"], letterRadius, 270);

  d.ts.surface.clear();
  d.st().HEADING = 90;
  AZIMUTH(d.ts.sys);
  at = letterPoints(d);
  expectAt(at["E"], letterRadius, 0);
  expectAt(at["N"], letterRadius, -90);
  EXPECT_EQ(d.st().AZIMUTH_HEADING, 90);

  d.ts.surface.clear();
  d.st().HEADING = 0;
  d.st().HEADING_CORRECTION = 10;
  d.ts.sys.main.CmdButton_VAR.caption = kVarOn;
  AZIMUTH(d.ts.sys);
  at = letterPoints(d);
  EXPECT_EQ(d.st().AZIMUTH_HEADING, -10);
  expectAt(at["N"], letterRadius, 10);
}

}  // namespace
}  // namespace sorvant::test
