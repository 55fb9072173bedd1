#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "shell/ShellFixture.h"

namespace sorvant::test {
namespace {

QPushButton* button(ShellFixture& f, Control& c) { return qobject_cast<QPushButton*>(f.options->widgetFor(c)); }

TEST(OptionsDialog, OpensFromTheMainWindowAndItsCommandsReachIt) {
  ShellFixture f;
  EXPECT_FALSE(f.options->isVisible());
  QTest::keyClick(&f.window, Qt::Key_O);
  ASSERT_TRUE(f.options->isVisible());
  EXPECT_EQ(f.options->windowTitle(), "Sorvant Options");
  auto* decay = qobject_cast<QLabel*>(f.window.widgetFor(f.sys.main.Label_DECAY_RATE));
  QTest::mouseClick(button(f, f.sys.opt.CmdButton_FRAC), Qt::LeftButton);
  EXPECT_EQ(button(f, f.sys.opt.CmdButton_FRAC)->text(), "FRAC 0.85");
  EXPECT_EQ(decay->text(), "0.85 @  5 SEC");
  QTest::mouseClick(button(f, f.sys.opt.CmdButton_ERROR_DN), Qt::LeftButton);
  EXPECT_EQ(qobject_cast<QLabel*>(f.options->widgetFor(f.sys.opt.Label_HEADING_CORRECTION))->text(), "001 EAST");
  // Keys typed into the dialog are the dialog's own: they do not reach the main window's key map.
  QTest::keyClick(f.options.get(), Qt::Key_D);
  EXPECT_EQ(f.sys.main.CmdButton_DECAY.caption, kDecayOff);
  // With the dialog open, keys for the main window still reach the map.
  QTest::keyClick(&f.window, Qt::Key_D);
  EXPECT_EQ(f.sys.main.CmdButton_DECAY.caption, kDecayOn);
  EXPECT_TRUE(f.options->isVisible());
}

TEST(OptionsDialog, ASwatchClickPicksItsColourAndTheWindowTakesIt) {
  ShellFixture f;
  QTest::keyClick(&f.window, Qt::Key_O);
  f.picker.answer = rgb(10, 20, 200);
  QWidget* swatch = f.options->widgetFor(f.sys.opt.Picture_LEGEND_TEXT_COLOR);
  QTest::mouseClick(swatch, Qt::LeftButton);
  EXPECT_EQ(f.picker.shown, 1);
  EXPECT_EQ(swatch->palette().color(QPalette::Window), QColor(10, 20, 200));
  EXPECT_EQ(f.window.widgetFor(f.sys.main.Label_HDG)->palette().color(QPalette::WindowText), QColor(10, 20, 200));
  f.picker.answer = rgb(200, 0, 0);
  QTest::mouseClick(button(f, f.sys.opt.cmdbutton_DISPLAY_BACKGROUND_COLOR), Qt::LeftButton);
  // The surface outside the disc shows the new window background at once, and so does every label
  // on a panel, the GPS warnings keeping their red on white.
  EXPECT_EQ(f.surface.image().pixelColor(2, 2), QColor(200, 0, 0));
  const auto backgroundOf = [&](Control& label) {
    QWidget* w = f.window.widgetFor(label);
    return w->parentWidget()->grab(w->geometry()).toImage().pixelColor(w->width() - 1, w->height() - 1);
  };
  EXPECT_EQ(backgroundOf(f.sys.main.Label_HDG), QColor(200, 0, 0));
  EXPECT_EQ(backgroundOf(f.sys.main.Label_KEYPAD), QColor(200, 0, 0));
  EXPECT_EQ(backgroundOf(f.sys.main.Label_GPS_SPEED), QColor(255, 255, 255));
}

// A frame's top border runs through the middle of its caption, where the twips put it: not a title's
// height lower, behind the first row of buttons, nor under the MAG VAR read-out.
TEST(OptionsDialog, CaptionedFramesDrawTheirBorderThroughTheCaption) {
  ShellFixture f;
  QTest::keyClick(&f.window, Qt::Key_O);
  for (Control* frame : {&f.sys.opt.Frame_COLORS, &f.sys.opt.frame_COMM, &f.sys.opt.Frame_HEADING_SOURCE,
                         &f.sys.opt.Frame_HEADING_CORRECTION, &f.sys.opt.Frame_DECAY}) {
    QWidget* w = f.options->widgetFor(*frame);
    const QImage image = w->grab().toImage();
    const int line = QFontMetrics(w->font()).height() / 2;
    const QRgb dark = w->palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(image.pixel(w->width() - 4, line), dark) << frame->name;
    EXPECT_EQ(image.pixel(0, line + 4), dark) << frame->name;
    EXPECT_NE(image.pixel(w->width() - 4, line + 4), dark) << frame->name;
  }
}

TEST(OptionsDialog, ClosingKeepsEveryValueForTheNextOpening) {
  ShellFixture f;
  QTest::keyClick(&f.window, Qt::Key_O);
  QTest::mouseClick(button(f, f.sys.opt.CmdButton_TIME), Qt::LeftButton);
  QTest::mouseClick(button(f, f.sys.opt.CmdButton_B_COLORS), Qt::LeftButton);
  EXPECT_TRUE(button(f, f.sys.opt.CmdButton_SAVE)->isVisible());
  f.options->close();  // through the window frame
  EXPECT_FALSE(f.options->isVisible());
  QTest::keyClick(&f.window, Qt::Key_O);
  ASSERT_TRUE(f.options->isVisible());
  EXPECT_EQ(button(f, f.sys.opt.CmdButton_TIME)->text(), "@ 10 SEC");
  QTest::mouseClick(button(f, f.sys.opt.cmdbutton_EXIT), Qt::LeftButton);
  EXPECT_FALSE(f.options->isVisible());
  QTest::keyClick(&f.window, Qt::Key_O);
  EXPECT_FALSE(button(f, f.sys.opt.CmdButton_SAVE)->isVisible());  // EXIT left the idle face
  EXPECT_TRUE(button(f, f.sys.opt.cmdbutton_DEFAULT_COLORS)->isVisible());
}

// The buttons Tab visits, in order, from the dialog's first.
std::vector<std::string> tabStops(QWidget* dialog) {
  std::vector<std::string> out;
  for (QWidget* w = dialog->nextInFocusChain(); w != dialog; w = w->nextInFocusChain())
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(dialog) && w->isEnabled())
      out.push_back(w->objectName().toStdString());
  return out;
}

TEST(OptionsDialog, TabRunsThroughTheColourSetButtonsBeforeSaveRecallAndCancel) {
  ShellFixture f;
  OptionsControls& o = f.sys.opt;
  QTest::keyClick(&f.window, Qt::Key_O);
  std::vector<std::string> pickers;
  for (int slot = 1; slot <= 8; ++slot) pickers.push_back(o.picker(slot).name);
  const std::vector<std::string> rest{"CmdButton_COMM_PORT", "CmdButton_BAUD_RATE", "CmdButton_HEADING",
                                      "CmdButton_ERROR_UP",  "CmdButton_ERROR_DN",  "CmdButton_FRAC",
                                      "CmdButton_TIME",      "cmdbutton_EXIT"};
  auto expected = [&](std::vector<std::string> middle) {
    std::vector<std::string> all = pickers;
    all.insert(all.end(), middle.begin(), middle.end());
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
  };
  EXPECT_EQ(tabStops(f.options.get()), expected({"cmdbutton_DEFAULT_COLORS", "CmdButton_A_COLORS", "CmdButton_B_COLORS",
                                                 "CmdButton_C_COLORS", "CmdButton_D_COLORS"}));
  QTest::mouseClick(button(f, o.CmdButton_D_COLORS), Qt::LeftButton);
  EXPECT_EQ(tabStops(f.options.get()),
            expected({"CmdButton_A_COLORS", "CmdButton_B_COLORS", "CmdButton_C_COLORS", "CmdButton_D_COLORS",
                      "CmdButton_SAVE", "CmdButton_RECALL", "CmdButton_CANCEL"}));
  // From D COLORS, Tab then Space saves the set; the port stays as it was.
  const std::string port = o.CmdButton_COMM_PORT.caption;
  QApplication::setActiveWindow(f.options.get());
  button(f, o.CmdButton_D_COLORS)->setFocus();
  QTest::keyClick(f.options.get(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), button(f, o.CmdButton_SAVE));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_FALSE(o.CmdButton_SAVE.visible);
  EXPECT_EQ(o.CmdButton_COMM_PORT.caption, port);
}

}  // namespace
}  // namespace sorvant::test
