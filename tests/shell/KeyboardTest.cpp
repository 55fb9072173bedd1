// Real key and mouse events through Qt reaching the key map and the step buttons.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointingDevice>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <chrono>
#include <functional>
#include <tuple>

#include "histogram/Accumulation.h"
#include "histogram/TestSource.h"
#include "input/KeyMap.h"
#include "input/StepButtons.h"
#include "shell/QtKeys.h"
#include "shell/QtStepButtons.h"
#include "shell/ShellFixture.h"

namespace sorvant::test {
namespace {

// Delivers pending events one pass at a time until done() holds, so each timer tick is seen alone.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QThread::usleep(500);
  }
  return true;
}

void press(ShellFixture& f, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QTest::keyClick(&f.window, key, mods);
}

TEST(Keyboard, LetterKeysClickTheirCommands) {
  ShellFixture f;
  MainControls& m = f.sys.main;
  DisplayState& st = f.sys.st;
  press(f, Qt::Key_D);
  EXPECT_EQ(m.CmdButton_DECAY.caption, kDecayOn);
  press(f, Qt::Key_S);
  EXPECT_EQ(st.SECTOR_WIDTH, 6);
  press(f, Qt::Key_V);
  EXPECT_EQ(m.CmdButton_VAR.caption, kVarOn);
  press(f, Qt::Key_A);
  EXPECT_EQ(m.CmdButton_ACQUIRE.caption, kAcquireOff);
  press(f, Qt::Key_T);
  EXPECT_EQ(m.CmdButton_TEST.caption, kTestOff);
  for (int i = 0; i < 5; ++i) countBearing(f.sys, 100);
  press(f, Qt::Key_R);
  EXPECT_LT(st.BEARING_COUNT[100], 5.0f);
  press(f, Qt::Key_C);
  EXPECT_EQ(st.BEARING_COUNT[100], 0.0f);
  press(f, Qt::Key_H);
  EXPECT_EQ(st.SHOW_HIDE, 1);
  EXPECT_FALSE(f.window.widgetFor(m.CmdButton_ACQUIRE)->isVisible());
  press(f, Qt::Key_W);
  EXPECT_EQ(st.WIN_SIZE, 0);
  press(f, Qt::Key_O);
  EXPECT_TRUE(f.sys.opt.visible);
  // Lower case and upper case are the same key.
  press(f, Qt::Key_D, Qt::ShiftModifier);
  EXPECT_EQ(m.CmdButton_DECAY.caption, kDecayOff);
}

TEST(Keyboard, DigitKeysChooseAndUseMemories) {
  ShellFixture f;
  MainControls& m = f.sys.main;
  press(f, Qt::Key_3);
  EXPECT_EQ(f.sys.st.MEMORY_SELECT, 3);
  EXPECT_TRUE(f.window.widgetFor(m.CmdButton_SAVE)->isVisible());
  EXPECT_FALSE(f.window.widgetFor(m.CmdButton_MEM1)->isVisible());
  press(f, Qt::Key_8);
  EXPECT_FALSE(f.window.widgetFor(m.CmdButton_SAVE)->isVisible());
  EXPECT_TRUE(f.window.widgetFor(m.CmdButton_MEM1)->isVisible());
  press(f, Qt::Key_2);
  press(f, Qt::Key_6);
  press(f, Qt::Key_7);
  EXPECT_EQ(m.Label_SOURCE.caption, "SOURCE : MEM2");
  press(f, Qt::Key_1);
  press(f, Qt::Key_4);
  press(f, Qt::Key_5);
  EXPECT_EQ(f.sys.st.MEMORY_SELECT, 5);
}

TEST(Keyboard, KeypadStepsWithNumLockOnOrOffAndModifiersMakeBigSteps) {
  ShellFixture f;
  DisplayState& st = f.sys.st;
  press(f, Qt::Key_8, Qt::KeypadModifier);  // NumLock on: digits
  EXPECT_EQ(st.CURSOR_BEARING, 1);
  press(f, Qt::Key_Up, Qt::KeypadModifier);  // NumLock off: arrows
  EXPECT_EQ(st.CURSOR_BEARING, 2);
  press(f, Qt::Key_Down, Qt::KeypadModifier);
  press(f, Qt::Key_2, Qt::KeypadModifier);
  EXPECT_EQ(st.CURSOR_BEARING, 0);
  press(f, Qt::Key_Right, Qt::KeypadModifier);
  press(f, Qt::Key_6, Qt::KeypadModifier);
  EXPECT_EQ(st.HEADING, 2);
  press(f, Qt::Key_Left, Qt::KeypadModifier);
  press(f, Qt::Key_4, Qt::KeypadModifier);
  EXPECT_EQ(st.HEADING, 0);
  EXPECT_EQ(f.sys.main.Label_HDG.caption, "MAN 000 TRU");
  press(f, Qt::Key_8, Qt::KeypadModifier | Qt::ControlModifier);
  EXPECT_EQ(st.CURSOR_BEARING, 10);
  press(f, Qt::Key_8, Qt::KeypadModifier | Qt::ShiftModifier);
  press(f, Qt::Key_8, Qt::KeypadModifier | Qt::AltModifier);
  EXPECT_EQ(st.CURSOR_BEARING, 30);
  // The main-row arrows are not the keypad: nothing moves.
  press(f, Qt::Key_Up);
  EXPECT_EQ(st.CURSOR_BEARING, 30);
  // Releasing the modifier key itself ends big steps for the mouse too.
  QTest::keyPress(&f.window, Qt::Key_Control, Qt::NoModifier);
  EXPECT_EQ(st.CTRL_KEY, 2);
  QTest::keyRelease(&f.window, Qt::Key_Control, Qt::ControlModifier);
  EXPECT_EQ(st.CTRL_KEY, 0);
}

// Each platform's events for the same physical keys, with the key, modifiers, scan code, virtual key
// and text its Qt plugin fills in (us layout). Wayland never sets the keypad modifier; Windows marks
// the arrow cluster with the extended flag (0x100) of the scan code; offscreen carries no native codes.
TEST(Keyboard, KeysAreRecognisedFromWhatEachPlatformDelivers) {
  struct Case {
    const char* what;
    KeySystem system;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    quint32 scanCode;
    quint32 virtualKey;
    const char* text;
    int code;
    int shift;
  };
  const Qt::KeyboardModifiers kp = Qt::KeypadModifier;
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const KeySystem xkb = KeySystem::Xkb;
  const KeySystem win = KeySystem::Windows;
  const Case cases[] = {
      {"xcb keypad 8, NumLock on", xkb, Qt::Key_8, kp, 80, 0xffb8, "8", KeyPad8, 0},
      {"xcb keypad 2, NumLock off", xkb, Qt::Key_Down, kp, 88, 0xff99, "", KeyPad2, 0},
      {"xcb Shift+keypad 6, NumLock on", xkb, Qt::Key_Right, kp | Qt::ShiftModifier, 85, 0xff98, "", KeyPad6, 1},
      {"xcb Shift+2", xkb, Qt::Key_At, Qt::ShiftModifier, 11, 0x40, "@", Key2, 1},
      {"wayland keypad 2, NumLock on", xkb, Qt::Key_2, none, 88, 0xffb2, "2", KeyPad2, 0},
      {"wayland keypad 6, NumLock on", xkb, Qt::Key_6, none, 85, 0xffb6, "6", KeyPad6, 0},
      {"wayland keypad 4, NumLock off", xkb, Qt::Key_Left, none, 83, 0xff96, "", KeyPad4, 0},
      {"wayland Ctrl+keypad 8, NumLock off", xkb, Qt::Key_Up, Qt::ControlModifier, 80, 0xff97, "", KeyPad8, 2},
      {"wayland main-row 2", xkb, Qt::Key_2, none, 11, 0x32, "2", Key2, 0},
      {"wayland Shift+2", xkb, Qt::Key_At, Qt::ShiftModifier, 11, 0x40, "@", Key2, 1},
      {"wayland Shift+8", xkb, Qt::Key_Asterisk, Qt::ShiftModifier, 17, 0x2a, "*", Key8, 1},
      {"wayland arrow cluster up", xkb, Qt::Key_Up, none, 111, 0xff52, "", 0, 0},
      {"wayland 9", xkb, Qt::Key_9, none, 18, 0x39, "9", 0, 0},
      {"windows keypad 8, NumLock on", win, Qt::Key_8, kp, 0x48, 0x68, "8", KeyPad8, 0},
      {"windows keypad 4, NumLock off", win, Qt::Key_Left, kp, 0x4b, 0x25, "", KeyPad4, 0},
      {"windows Shift+keypad 2, NumLock on", win, Qt::Key_Down, kp | Qt::ShiftModifier, 0x50, 0x28, "", KeyPad2, 1},
      {"windows arrow cluster left", win, Qt::Key_Left, none, 0x14b, 0x25, "", 0, 0},
      {"windows Shift+2", win, Qt::Key_At, Qt::ShiftModifier, 0x03, 0x32, "@", Key2, 1},
      {"windows Alt+7", win, Qt::Key_7, Qt::AltModifier, 0x08, 0x37, "", Key7, 4},
      {"offscreen keypad 8", KeySystem::None, Qt::Key_8, kp, 0, 0, "8", KeyPad8, 0},
      {"offscreen keypad 6, NumLock off", KeySystem::None, Qt::Key_Right, kp, 0, 0, "", KeyPad6, 0},
      {"offscreen keypad 5", KeySystem::None, Qt::Key_5, kp, 0, 0, "5", 0, 0},
      {"offscreen Ctrl+2", KeySystem::None, Qt::Key_2, Qt::ControlModifier, 0, 0, "", Key2, 2},
      {"offscreen W", KeySystem::None, Qt::Key_W, none, 0, 0, "w", KeyW, 0},
  };
  for (const Case& c : cases) {
    const QKeyEvent event(QEvent::KeyPress, c.key, c.mods, c.scanCode, c.virtualKey, 0, QString::fromLatin1(c.text));
    const KeyStroke k = translateKey(event, c.system);
    EXPECT_EQ(k.code, c.code) << c.what;
    EXPECT_EQ(k.shift, c.shift) << c.what;
  }
  // On Wayland keypad 2 and then keypad 6 step the cursor and the heading; they never choose and
  // save a memory.
  ShellFixture f;
  for (const auto& [key, scan, sym] : {std::tuple{Qt::Key_2, 88u, 0xffb2u}, std::tuple{Qt::Key_6, 85u, 0xffb6u}}) {
    const KeyStroke k = translateKey(QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, scan, sym, 0), xkb);
    f.window.runEvent([&] { Form_KeyDown(f.sys, k.code, k.shift); });
  }
  EXPECT_EQ(f.sys.st.CURSOR_BEARING, 359);
  EXPECT_EQ(f.sys.st.HEADING, 1);
  EXPECT_EQ(f.sys.st.MEMORY_SELECT, 0);
}

TEST(Keyboard, CreditsCounterActsAtExactlyFive) {
  ShellFixture f;
  MainControls& m = f.sys.main;
  for (int i = 0; i < 4; ++i) press(f, Qt::Key_2, Qt::ShiftModifier);
  EXPECT_EQ(m.Label_COMPANY.caption, kCompanyText);
  EXPECT_EQ(f.sys.st.MEMORY_SELECT, 0);  // a modified 2 never chooses memory 2
  press(f, Qt::Key_2, Qt::ControlModifier);
  EXPECT_EQ(m.Label_COMPANY.caption, kCreditsText);
  EXPECT_TRUE(f.window.widgetFor(m.Label_CONTACT2)->isVisible());
  press(f, Qt::Key_2, Qt::AltModifier);
  EXPECT_EQ(f.sys.st.COPYRIGHT, 6);
  // Past five the check no longer matches: nothing redoes the change.
  m.Label_COMPANY.caption = "changed";
  press(f, Qt::Key_2, Qt::AltModifier);
  press(f, Qt::Key_D);
  EXPECT_EQ(f.sys.st.COPYRIGHT, 7);
  EXPECT_EQ(m.Label_COMPANY.caption, "changed");
}

TEST(Keyboard, HeldStepButtonRepeatsUntilTheMouseButtonOrFingerIsLiftedWhereverItIs) {
  ShellFixture f;
  DisplayState& st = f.sys.st;
  const TimerModel& timer = f.sys.main.Timer_MOUSE_DOWN;
  st.HEADING = 350;
  auto* button = qobject_cast<QPushButton*>(f.window.widgetFor(f.sys.main.CmdButton_HDG_CW));
  ASSERT_NE(button, nullptr);
  QTest::mousePress(button, Qt::LeftButton);
  EXPECT_EQ(st.MOUSE_DOWN_STRING, "HDG_CW");
  QTest::qWait(300);
  EXPECT_EQ(st.HEADING, 350);  // no repeat before half a second
  ASSERT_TRUE(pumpUntil([&] { return st.HEADING != 350; }));
  EXPECT_EQ(st.HEADING, 360);
  // The repeat now runs at the 64 Hz tick: the next step follows shortly, 360 wrapping to 10.
  ASSERT_TRUE(pumpUntil([&] { return st.HEADING != 360; }));
  EXPECT_EQ(st.HEADING, 10);
  // The pointer slides off the held button: the repeat goes on, and coming back does not restart
  // the half-second wait.
  QTest::mouseMove(button, QPoint(-40, -40));
  const int offButton = st.HEADING;
  ASSERT_TRUE(pumpUntil([&] { return st.HEADING != offButton; }));
  QTest::mouseMove(button, button->rect().center());
  EXPECT_EQ(st.MOUSE_DOWN_STRING, "HDG_CW");
  EXPECT_EQ(mouseDownPeriodMs(timer.interval), kRepeatTickMs);
  QTest::mouseRelease(button, Qt::LeftButton);
  const int held = st.HEADING;
  EXPECT_EQ(st.MOUSE_DOWN_STRING, "NONE");
  EXPECT_FALSE(timer.enabled);
  EXPECT_FALSE(st.BIGSTEP);  // the release's click cleared it instead of stepping
  EXPECT_EQ(st.HEADING, held);
  QTest::mouseClick(button, Qt::LeftButton);
  const int clicked = held + 1 > 359 ? held + 1 - 360 : held + 1;
  EXPECT_EQ(st.HEADING, clicked);
  // Any mouse button holds; only the left one clicks, so the others give no single step.
  QTest::mouseClick(button, Qt::RightButton);
  EXPECT_EQ(st.HEADING, clicked);
  QTest::mousePress(button, Qt::MiddleButton);
  EXPECT_EQ(st.MOUSE_DOWN_STRING, "HDG_CW");
  ASSERT_TRUE(pumpUntil([&] { return st.HEADING != clicked; }));
  QTest::mouseRelease(button, Qt::MiddleButton);
  EXPECT_EQ(st.MOUSE_DOWN_STRING, "NONE");
  EXPECT_TRUE(st.BIGSTEP);  // no click followed: the next click is swallowed

  // A finger on a touch screen does what the left mouse button does, each touch counted once. The
  // cursor buttons hold as the heading buttons do.
  QPointingDevice* screen = QTest::createTouchDevice(QInputDevice::DeviceType::TouchScreen);
  auto* cursor = qobject_cast<QPushButton*>(f.window.widgetFor(f.sys.main.CmdButton_CUR_CCW));
  ASSERT_NE(cursor, nullptr);
  const QPoint on = cursor->rect().center();
  st.CURSOR_BEARING = 5;
  // Each touch is delivered without running the event loop, so no timer tick comes between a tap's
  // press and lift however slow the machine is.
  const auto touch = [&] { return QTest::touchEvent(&f.window, screen, false); };
  touch().press(0, on, cursor).commit(false);
  touch().release(0, on, cursor).commit(false);
  EXPECT_EQ(st.CURSOR_BEARING, 5);  // the tap's click ended the big steps of the held middle button
  EXPECT_FALSE(st.BIGSTEP);
  touch().press(0, on, cursor).commit(false);
  EXPECT_EQ(st.MOUSE_DOWN_STRING, "CUR_CCW");
  touch().release(0, on, cursor).commit(false);
  EXPECT_EQ(st.CURSOR_BEARING, 4);  // a tap is one single step
  EXPECT_EQ(st.MOUSE_DOWN_STRING, "NONE");
  EXPECT_FALSE(timer.enabled);
  QElapsedTimer pressed;
  pressed.start();
  touch().press(0, on, cursor).commit(false);
  ASSERT_TRUE(pumpUntil([&] { return st.CURSOR_BEARING != 4; }));
  EXPECT_GE(pressed.elapsed(), 500);  // the first repeat after half a second
  EXPECT_EQ(st.CURSOR_BEARING, 354);
  // The finger slides off the button and the repeat goes on; lifted there, it ends the repeat, and
  // no click follows.
  touch().move(0, QPoint(-40, -40), cursor).commit(false);
  ASSERT_TRUE(pumpUntil([&] { return st.CURSOR_BEARING != 354; }));
  touch().release(0, QPoint(-40, -40), cursor).commit(false);
  const int lifted = st.CURSOR_BEARING;
  EXPECT_EQ(st.MOUSE_DOWN_STRING, "NONE");
  EXPECT_FALSE(timer.enabled);
  EXPECT_TRUE(st.BIGSTEP);
  QTest::qWait(50);
  EXPECT_EQ(st.CURSOR_BEARING, lifted);

  // The shell's timer waits whole milliseconds and keeps the exact period: 64 repeats take one
  // second after the half-second wait. A tick handled late is followed by one more at once, not by
  // a burst of the ticks it missed.
  using std::chrono::milliseconds;
  using std::chrono::nanoseconds;
  const nanoseconds period(15'625'000);
  TickSchedule schedule;
  nanoseconds now(123'456'789);
  milliseconds wait = schedule.start(now, milliseconds(500));
  EXPECT_EQ(wait, milliseconds(500));
  milliseconds total(0);
  for (int tick = 0; tick < 64; ++tick) {
    now += wait;
    wait = schedule.next(now, period);
    EXPECT_TRUE(wait == milliseconds(15) || wait == milliseconds(16)) << wait.count();
    total += wait;
  }
  EXPECT_EQ(total, milliseconds(1000));
  now += wait + milliseconds(40);
  EXPECT_EQ(schedule.next(now, period), milliseconds(0));
  wait = schedule.next(now, period);
  EXPECT_GT(wait, milliseconds(0));
  EXPECT_LE(wait, milliseconds(16));
}

TEST(Keyboard, QuitClosesTheWindowAndThePort) {
  ShellFixture f;
  f.window.runEvent([&] { CmdButton_TEST_Click(f.sys); });
  ASSERT_TRUE(f.port.portOpen());
  press(f, Qt::Key_Q);
  EXPECT_FALSE(f.window.isVisible());
  EXPECT_FALSE(f.port.portOpen());
}

}  // namespace
}  // namespace sorvant::test
