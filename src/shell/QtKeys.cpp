#include "shell/QtKeys.h"

#include "input/KeyMap.h"
#include "shell/QtWindowSystem.h"

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

// The keypad's 2, 4, 6 and 8 where the platform marks keypad keys but delivers no native codes:
// digits with NumLock on, arrows with it off.
int keypadByModifier(const QKeyEvent& event) {
  if (!(event.modifiers() & Qt::KeypadModifier)) return 0;
  switch (event.key()) {
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

}  // namespace

KeySystem platformKeySystem() {
  static const KeySystem system = [] {
    switch (windowSystem()) {
      case WindowSystem::X11:
      case WindowSystem::Wayland:
        return KeySystem::Xkb;
      case WindowSystem::Windows:
        return KeySystem::Windows;
      default:
        return KeySystem::None;
    }
  }();
  return system;
}

KeyStroke translateKey(const QKeyEvent& event, KeySystem system) {
  KeyStroke k;
  k.shift = modifierMask(event);
  const quint32 scanCode = event.nativeScanCode();
  const quint32 virtualKey = event.nativeVirtualKey();
  // Keypad first: with NumLock on its keys also carry the digits' key codes.
  if (const int keypad = keypadKey(system, scanCode, virtualKey)) {
    k.code = keypad;
    return k;
  }
  if (const int keypad = keypadByModifier(event)) {
    k.code = keypad;
    return k;
  }
  if (event.modifiers() & Qt::KeypadModifier) return k;  // the keypad's other keys
  const int key = event.key();
  // The main-row digit of a physical key, whatever the layout makes of it with Shift held
  // (Shift+2 is '@' on one layout and '"' on another).
  if (key >= Qt::Key_1 && key <= Qt::Key_8) {
    k.code = key;  // Qt's codes are the ASCII digits 49..56
    return k;
  }
  if (const int digit = mainRowDigitKey(system, scanCode, virtualKey)) {
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
