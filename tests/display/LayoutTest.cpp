#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "DisplayTestSupport.h"
#include "display/Layout.h"
#include "display/Marker.h"

namespace sorvant::test {
namespace {

TEST(Layout, ResizeSetsTheGeometryAndMovesTheControls) {
  QuietDisplay d;
  MainControls& m = d.ts.sys.main;
  moveLastBearingMarker(d.ts.sys, 0);  // a bearing to the right, on a smaller window
  d.ts.host.scaleHeight = 4000;
  Form_Resize(d.ts.sys);
  d.ts.host.scaleHeight = 6795;
  d.ts.surface.clear();
  Form_Resize(d.ts.sys);  // outer 9900 x 7365, client 9780 x 6795
  EXPECT_FLOAT_EQ(d.st().AZRADIUS, 2718);
  EXPECT_FLOAT_EQ(d.st().CENTERX, 4890);
  EXPECT_FLOAT_EQ(d.st().CENTERY, 3647.5f);
  EXPECT_EQ(m.CmdButton_MEM3.left, 8700);
  EXPECT_EQ(m.CmdButton_CONTROLS.left, 8340);
  EXPECT_EQ(m.CmdButton_CONTROLS.top, 3840);
  EXPECT_EQ(m.Frame_BOTTOM_LEFT.top, 4740);
  EXPECT_EQ(m.Frame_BOTTOM_RIGHT.top, 5700);
  EXPECT_EQ(m.Frame_GPS_FAIL.top, 3282);  // 3282.5, ties to even

  // Cleared first. The old cursor went with the clear: nothing is drawn in the disc's colour over
  // the new picture where it was. The last bearing's marker comes back, around the new disc.
  const auto& ops = d.ts.surface.ops;
  EXPECT_EQ(ops.front().kind, DrawOp::Cls);
  EXPECT_TRUE(d.linesIn(d.ts.sys.color(AzimuthBackground)).empty());
  const auto markers = d.circlesIn(d.ts.sys.color(CursorColor));
  EXPECT_TRUE(std::any_of(markers.begin(), markers.end(), [](const DrawOp& c) {
    return c.r == 75 && std::abs(c.x - (4890 + 2718 + 250)) < 1 && std::abs(c.y - 3647.5f) < 1;
  }));

  CmdButton_CONTROLS_Click(d.ts.sys);
  Form_Resize(d.ts.sys);
  EXPECT_EQ(m.CmdButton_CONTROLS.top, 200);  // stays up while the buttons are hidden
}

TEST(Layout, WindowCommandAlternatesStartingWithARestore) {
  QuietDisplay d;
  for (int i = 0; i < 3; ++i) CmdButton_WINDOW_Click(d.ts.sys);
  EXPECT_EQ(d.ts.host.calls, (std::vector<std::string>{"normal", "maximized", "normal"}));
  EXPECT_EQ(d.st().WIN_SIZE, 0);
  EXPECT_TRUE(d.ts.surface.ops.empty());  // the host's size report does the redraw
}

TEST(Layout, HideShowCyclesThroughThreeModes) {
  QuietDisplay d;
  MainControls& m = d.ts.sys.main;
  const auto visible = [](const std::vector<Control*>& cs) {
    int n = 0;
    for (const Control* c : cs) n += c->visible;
    return n;
  };

  CmdButton_CONTROLS_Click(d.ts.sys);
  EXPECT_EQ(visible(m.hideableButtons()), 0);
  EXPECT_EQ(visible(m.hideableLabels()), 16);
  EXPECT_TRUE(m.Frame_TOP_LEFT.visible);
  EXPECT_FALSE(m.Frame_TOP_RIGHT.visible);
  EXPECT_FALSE(m.Frame_BOTTOM_RIGHT.visible);
  EXPECT_EQ(m.CmdButton_CONTROLS.top, 200);

  CmdButton_CONTROLS_Click(d.ts.sys);
  EXPECT_EQ(visible(m.hideableLabels()), 0);
  EXPECT_FALSE(m.Frame_TOP_LEFT.visible || m.Frame_TOP_CENTER.visible || m.Frame_BOTTOM_LEFT.visible);
  EXPECT_TRUE(m.CmdButton_CONTROLS.visible);

  CmdButton_CONTROLS_Click(d.ts.sys);
  EXPECT_EQ(d.st().SHOW_HIDE, 0);
  EXPECT_EQ(visible(m.hideableButtons()), 19);
  EXPECT_TRUE(m.Frame_TOP_RIGHT.visible && m.Frame_BOTTOM_RIGHT.visible);
  EXPECT_EQ(m.CmdButton_CONTROLS.top, 3840);
  EXPECT_EQ(visible({&m.CmdButton_SAVE, &m.CmdButton_RECALL, &m.CmdButton_CANCEL}), 0);
  EXPECT_FALSE(m.Label_COM_TIMEOUT.visible || m.Frame_GPS_FAIL.visible || m.Frame_GPS_SPEED.visible);
  EXPECT_TRUE(d.ts.surface.ops.empty());
}

}  // namespace
}  // namespace sorvant::test
