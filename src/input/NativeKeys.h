#pragma once
// The physical keys the key map needs, recognised from the native codes a windowing system delivers
// with each key event, whatever the layout, NumLock or the toolkit's own modifier flags make of them.
#include <cstdint>

namespace sorvant {

// The families of native key codes: XKB (the Linux desktops, whatever their display server: keycode =
// evdev scan code + 8, keysym as the virtual key), Windows (set-1 scan code with the extended-key flag
// in bit 8, virtual-key code), and systems that deliver neither.
enum class KeySystem { Xkb, Windows, None };

// KeyPad2, KeyPad4, KeyPad6 or KeyPad8 for the keypad's 2, 4, 6 and 8 with NumLock on or off; 0 for
// every other key, the arrow cluster included.
int keypadKey(KeySystem system, std::uint32_t scanCode, std::uint32_t virtualKey);

// Key1..Key8 for the main row's digit keys 1..8, with or without Shift; 0 otherwise.
int mainRowDigitKey(KeySystem system, std::uint32_t scanCode, std::uint32_t virtualKey);

}  // namespace sorvant
