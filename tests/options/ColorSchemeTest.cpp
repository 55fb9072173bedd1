#include <gtest/gtest.h>

#include "input/Dispatch.h"
#include "options/ColorScheme.h"
#include "options/OptionsCommands.h"
#include "options/OptionsDispatch.h"
#include "support/TestSystem.h"

namespace sorvant {
namespace {

using test::DrawOp;
using test::TestSystem;

constexpr Color kPink = rgb(250, 20, 140);
constexpr Color kNavy = rgb(0, 0, 90);

// A loaded system that plays nothing back, so every drawing a test sees comes from the command.
struct Quiet {
  Quiet() {
    ts.sys.st.SIMULATE_TIMER = false;
    ts.tick();  // settles the first ring count, so later cycles draw only what a command asks for
    ts.sys.st.NEWAZIMUTH = ts.sys.st.NEWRING = ts.sys.st.NEWCURSOR = false;
    ts.surface.clear();
  }
  size_t cycles() const { return ts.surface.of(DrawOp::Refresh).size(); }
  // Fill colours of the azimuth discs drawn since the last clear.
  std::vector<Color> discs() const {
    std::vector<Color> out;
    for (const DrawOp& op : ts.surface.of(DrawOp::Circle))
      if (op.fillStyle == 0 && op.r == ts.sys.st.AZRADIUS) out.push_back(op.fillColor);
    return out;
  }
  bool idleFace() {
    const OptionsControls& o = ts.sys.opt;
    return o.cmdbutton_DEFAULT_COLORS.visible && !o.CmdButton_SAVE.visible && !o.CmdButton_RECALL.visible &&
           !o.CmdButton_CANCEL.visible;
  }
  TestSystem ts;
  System& sys = ts.sys;
};

TEST(ColorPickers, CancelledAzimuthBackgroundKeepsTheColourAndStillRedrawsOnce) {
  Quiet q;
  const Color before = q.sys.color(AzimuthBackground);
  clickOptionsControl(q.sys, q.sys.opt.picker(AzimuthBackground));
  EXPECT_EQ(q.ts.picker.shown, 1);
  EXPECT_EQ(q.sys.color(AzimuthBackground), before);
  EXPECT_EQ(q.cycles(), 1u);
  EXPECT_EQ(q.discs(), std::vector<Color>{before});

  // The swatch opens the same picker and the confirmed colour reaches the disc at once.
  q.ts.surface.clear();
  q.ts.picker.answer = kPink;
  clickOptionsControl(q.sys, q.sys.opt.swatch(AzimuthBackground));
  EXPECT_EQ(q.ts.picker.shown, 2);
  EXPECT_EQ(q.sys.opt.Picture_AZIMUTH_BACKGROUND_COLOR.backColor, kPink);
  EXPECT_EQ(q.discs(), std::vector<Color>{kPink});
}

TEST(ColorPickers, WindowColoursArePushedAtOnceWithoutACycle) {
  Quiet q;
  MainControls& m = q.sys.main;
  const Color gpsBack = m.Frame_GPS_FAIL.backColor;
  const Color gpsText = m.Label_GPS_SPEED.foreColor;
  q.ts.picker.answer = kPink;
  clickOptionsControl(q.sys, q.sys.opt.picker(DisplayBackground));
  EXPECT_EQ(m.backColor, kPink);
  for (Control* c : {&m.Frame_TOP_LEFT, &m.Frame_TOP_CENTER, &m.Frame_TOP_RIGHT, &m.Frame_BOTTOM_LEFT,
                     &m.Frame_BOTTOM_RIGHT, &m.Label_COM_TIMEOUT})
    EXPECT_EQ(c->backColor, kPink) << c->name;
  EXPECT_EQ(m.Frame_GPS_FAIL.backColor, gpsBack);

  q.ts.picker.answer = kNavy;
  clickOptionsControl(q.sys, q.sys.opt.picker(LegendText));
  for (Control* c : m.legendLabels()) EXPECT_EQ(c->foreColor, kNavy) << c->name;
  EXPECT_EQ(m.Label_GPS_SPEED.foreColor, gpsText);

  clickOptionsControl(q.sys, q.sys.opt.swatch(ButtonBackground));
  for (Control* c : m.commandButtons()) EXPECT_EQ(c->backColor, kNavy) << c->name;
  // The new window background shows at once: the surface is cleared to it, and the display is
  // drawn again on it by the next cycle, not by the picker.
  ASSERT_EQ(q.ts.surface.ops.size(), 1u);
  EXPECT_EQ(q.ts.surface.ops[0].kind, DrawOp::Cls);
  EXPECT_EQ(q.ts.surface.ops[0].backColor, kPink);
  EXPECT_TRUE(q.sys.st.NEWAZIMUTH && q.sys.st.NEWRING);
}

TEST(ColorPickers, DisplayColoursRunACycleExceptVectorsWhichWaitForTheTimer) {
  struct Row {
    int slot;
    size_t cycles;
    size_t discs;  // the rings are redrawn over a fresh disc
  };
  for (const Row& row : {Row{AzimuthScale, 1, 1}, Row{RangeRings, 1, 1}, Row{Vectors, 0, 0}, Row{CursorColor, 1, 0}}) {
    Quiet q;
    q.ts.picker.answer = kPink;
    pickColor(q.sys, row.slot);
    EXPECT_EQ(q.sys.color(row.slot), kPink) << row.slot;
    EXPECT_EQ(q.cycles(), row.cycles) << row.slot;
    EXPECT_EQ(q.discs().size(), row.discs) << row.slot;
    if (row.slot == Vectors) {
      EXPECT_TRUE(q.sys.st.NEWAZIMUTH && q.sys.st.NEWRING && q.sys.st.NEWCURSOR);
    }
  }
}

TEST(ColorSets, DefaultColorsResetSwatchesAndWindowButNotTheDisplay) {
  Quiet q;
  OptionsControls& o = q.sys.opt;
  for (int slot = 1; slot <= 8; ++slot) o.swatch(slot).backColor = kNavy;
  applySchemeToMainWindow(q.sys);
  CmdButton_C_COLORS_Click(q.sys);
  options::CmdButton_CANCEL_Click(q.sys);
  cmdbutton_DEFAULT_COLORS_Click(q.sys);
  EXPECT_EQ(o.CmdButton_SAVE.tag, "1");
  EXPECT_EQ(o.CmdButton_RECALL.tag, "1");
  for (int slot = 1; slot <= 8; ++slot) EXPECT_EQ(q.sys.color(slot), kDefaultColors[slot]) << slot;
  EXPECT_EQ(q.sys.main.backColor, kDefaultColors[DisplayBackground]);
  EXPECT_EQ(q.sys.main.Label_HDG.foreColor, kDefaultColors[LegendText]);
  EXPECT_EQ(q.sys.main.CmdButton_QUIT.backColor, kDefaultColors[ButtonBackground]);
  EXPECT_TRUE(q.discs().empty());
  EXPECT_TRUE(q.idleFace());
}

TEST(ColorSets, SaveThenRecallBringsTheSetBackEverywhere) {
  Quiet q;
  System& sys = q.sys;
  sys.opt.Picture_AZIMUTH_BACKGROUND_COLOR.backColor = kPink;
  sys.opt.Picture_LEGEND_TEXT_COLOR.backColor = kNavy;
  CmdButton_B_COLORS_Click(sys);
  EXPECT_FALSE(q.idleFace());
  EXPECT_EQ(sys.opt.CmdButton_SAVE.tag, "3");
  options::CmdButton_SAVE_Click(sys);
  EXPECT_TRUE(q.idleFace());
  EXPECT_EQ(sys.colors.COLOR_SET, 3);
  EXPECT_EQ(sys.colors.COLOR_TABLE[3][AzimuthBackground], kPink);
  EXPECT_EQ(sys.colors.COLOR_TABLE[3][LegendText], kNavy);
  EXPECT_EQ(sys.colors.COLOR_TABLE[2][AzimuthBackground], kDefaultColors[AzimuthBackground]);
  EXPECT_EQ(q.cycles(), 1u);  // no visible change, but a redraw

  cmdbutton_DEFAULT_COLORS_Click(sys);
  CmdButton_A_COLORS_Click(sys);
  CmdButton_B_COLORS_Click(sys);  // changing the choice only moves the tags
  EXPECT_EQ(sys.opt.CmdButton_RECALL.tag, "3");
  q.ts.surface.clear();
  options::CmdButton_RECALL_Click(sys);
  EXPECT_TRUE(q.idleFace());
  EXPECT_EQ(sys.color(AzimuthBackground), kPink);
  EXPECT_EQ(sys.main.Label_TOTAL_BRG.foreColor, kNavy);
  EXPECT_EQ(sys.main.backColor, kDefaultColors[DisplayBackground]);
  ASSERT_FALSE(q.discs().empty());
  EXPECT_EQ(q.discs().back(), kPink);
  EXPECT_EQ(q.cycles(), 1u);

  // A set never saved holds what start-up loaded: the defaults when there was no settings file.
  CmdButton_D_COLORS_Click(sys);
  options::CmdButton_RECALL_Click(sys);
  EXPECT_EQ(sys.colors.COLOR_SET, 5);
  for (int slot = 1; slot <= 8; ++slot) EXPECT_EQ(sys.color(slot), kDefaultColors[slot]) << slot;
}

TEST(ColorSets, CancelAndBadSetNumbersLeaveTableAndSwatchesAlone) {
  Quiet q;
  System& sys = q.sys;
  sys.opt.Picture_CURSOR_COLOR.backColor = kPink;
  const ColorTable tableBefore = sys.colors;
  CmdButton_C_COLORS_Click(sys);
  options::CmdButton_CANCEL_Click(sys);
  EXPECT_TRUE(q.idleFace());
  EXPECT_EQ(sys.opt.CmdButton_SAVE.tag, "4");

  for (const char* tag : {"0", "6", "-2", "abc", ""}) {
    CmdButton_A_COLORS_Click(sys);
    sys.opt.CmdButton_SAVE.tag = sys.opt.CmdButton_RECALL.tag = tag;
    options::CmdButton_SAVE_Click(sys);
    EXPECT_TRUE(q.idleFace()) << tag;
    CmdButton_A_COLORS_Click(sys);
    sys.opt.CmdButton_SAVE.tag = sys.opt.CmdButton_RECALL.tag = tag;
    options::CmdButton_RECALL_Click(sys);
    EXPECT_TRUE(q.idleFace()) << tag;
  }
  EXPECT_EQ(sys.colors.COLOR_SET, tableBefore.COLOR_SET);
  for (int set = 1; set <= 5; ++set)
    for (int slot = 1; slot <= 8; ++slot)
      EXPECT_EQ(sys.colors.COLOR_TABLE[set][slot], tableBefore.COLOR_TABLE[set][slot]);
  EXPECT_EQ(sys.color(CursorColor), kPink);
  EXPECT_EQ(sys.color(AzimuthBackground), kDefaultColors[AzimuthBackground]);
  EXPECT_EQ(q.cycles(), 0u);
}

TEST(ColorSets, ExitHidesTheDialogInItsIdleFaceAndRedraws) {
  Quiet q;
  CmdButton_OPTIONS_Click(q.sys);
  ASSERT_TRUE(q.sys.opt.visible);
  CmdButton_D_COLORS_Click(q.sys);
  q.ts.surface.clear();
  q.sys.opt.Picture_AZIMUTH_SCALE_COLOR.backColor = kPink;
  cmdbutton_EXIT_Click(q.sys);
  EXPECT_FALSE(q.sys.opt.visible);
  EXPECT_TRUE(q.idleFace());
  ASSERT_EQ(q.cycles(), 1u);
  EXPECT_EQ(q.ts.surface.of(DrawOp::Line).front().foreColor, kPink);
}

}  // namespace
}  // namespace sorvant
