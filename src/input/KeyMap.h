#pragma once
// Keyboard control of every command.
#include "core/System.h"

namespace sorvant {

// Platform-independent key codes of the keys the map knows (the classic virtual key codes).
enum KeyCode : int {
  Key1 = 49,
  Key2,
  Key3,
  Key4,
  Key5,
  Key6,
  Key7,
  Key8,
  KeyA = 65,
  KeyC = 67,
  KeyD = 68,
  KeyH = 72,
  KeyO = 79,
  KeyQ = 81,
  KeyR = 82,
  KeyS = 83,
  KeyT = 84,
  KeyV = 86,
  KeyW = 87,
  KeyPad2 = 98,
  KeyPad4 = 100,
  KeyPad6 = 102,
  KeyPad8 = 104
};
// Modifier mask bits.
enum Modifier : int { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

void Form_KeyDown(System& sys, int keyCode, int shift);
void Form_KeyUp(System& sys, int keyCode, int shift);

}  // namespace sorvant
