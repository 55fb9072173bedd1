#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "display/Layout.h"

namespace sorvant::test {
namespace {

TEST(Layout, ResizeSetsTheGeometryAndMovesTheControls) {
  QuietDisplay d;
  MainControls& m = d.ts.sys.main;
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

  // Cleared first; the cycle's first cursor erase runs from the centre straight to the right.
  const auto& ops = d.ts.surface.ops;
  EXPECT_EQ(ops.front().kind, DrawOp::Cls);
  const DrawOp erase = d.linesIn(d.ts.sys.color(AzimuthBackground)).front();
  EXPECT_FLOAT_EQ(erase.dx, 2718);
  EXPECT_FLOAT_EQ(erase.dy, 0);

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
