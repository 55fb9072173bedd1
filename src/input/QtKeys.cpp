#include "input/QtKeys.h"

#include <QGuiApplication>

#include "input/KeyMap.h"

namespace sorvant {
namespace {

int modifierMask(const QKeyEvent& event) {
  int mask = 0;
  const Qt::KeyboardModifiers m = event.modifiers();
  if (m & Qt::ShiftModifier) mask |= ShiftMask;
  if (m & Qt::ControlModifier) mask |= CtrlMask;
  if (m & Qt::AltModifier) mask |= AltMask;
  // A modifier key's own event carries the state before it (X11): make it the state after it.
  const bool press = event.type() == QEvent::KeyPress;
  auto apply = [&](int bit) { mask = press ? (mask | bit) : (mask & ~bit); };
  switch (event.key()) {
    case Qt::Key_Shift:
      apply(ShiftMask);
      break;
    case Qt::Key_Control:
      apply(CtrlMask);
      break;
    case Qt::Key_Alt:
      apply(AltMask);
      break;
    default:
      break;
  }
  return mask;
}

// The keypad's 2, 4, 6 and 8, whether NumLock gives digits or arrows.
int keypadCode(int key) {
  switch (key) {
    case Qt::Key_2:
    case Qt::Key_Down:
      return KeyPad2;
    case Qt::Key_4:
    case Qt::Key_Left:
      return KeyPad4;
    case Qt::Key_6:
    case Qt::Key_Right:
      return KeyPad6;
    case Qt::Key_8:
    case Qt::Key_Up:
      return KeyPad8;
    default:
      return 0;
  }
}

// The main-row digit of a physical key, whatever the layout makes of it with Shift held
// (Shift+2 is '@' on one layout and '"' on another).
int mainRowDigit(const QKeyEvent& event) {
  const int key = event.key();
  if (key >= Qt::Key_1 && key <= Qt::Key_8) return key;  // Qt's codes are the ASCII digits 49..56
#if defined(Q_OS_WIN)
  const quint32 vk = event.nativeVirtualKey();
  if (vk >= '1' && vk <= '8') return static_cast<int>(vk);
#else
  // X11 and Wayland keycodes of the main-row digits 1..8 (evdev scan codes plus 8).
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    const quint32 sc = event.nativeScanCode();
    if (sc >= 10 && sc <= 17) return static_cast<int>(Key1 + (sc - 10));
  }
#endif
  return 0;
}

}  // namespace

KeyStroke translateKey(const QKeyEvent& event) {
  KeyStroke k;
  k.shift = modifierMask(event);
  const int key = event.key();
  if (event.modifiers() & Qt::KeypadModifier) {
    k.code = keypadCode(key);
    return k;
  }
  if (const int digit = mainRowDigit(event)) {
    k.code = digit;
    return k;
  }
  switch (key) {
    case Qt::Key_A:
    case Qt::Key_C:
    case Qt::Key_D:
    case Qt::Key_H:
    case Qt::Key_O:
    case Qt::Key_Q:
    case Qt::Key_R:
    case Qt::Key_S:
    case Qt::Key_T:
    case Qt::Key_V:
    case Qt::Key_W:
      k.code = key;  // Qt's letter codes are the ASCII capitals 65..90
      break;
    default:
      break;
  }
  return k;
}

}  // namespace sorvant
