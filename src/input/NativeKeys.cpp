#include "input/NativeKeys.h"

#include "input/KeyMap.h"

namespace sorvant {
namespace {

struct KeypadCodes {
  int key;
  std::uint32_t xkbDigit;  // keysym with NumLock on (KP_2 ...)
  std::uint32_t xkbArrow;  // keysym with NumLock off (KP_Down ...)
  std::uint32_t xkbCode;   // keycode
  std::uint32_t winDigit;  // VK_NUMPAD2 ...
  std::uint32_t winScan;   // scan code without the extended flag (with it: the arrow cluster)
};

constexpr KeypadCodes kKeypad[] = {
    {KeyPad2, 0xffb2, 0xff99, 88, 0x62, 0x50},
    {KeyPad4, 0xffb4, 0xff96, 83, 0x64, 0x4b},
    {KeyPad6, 0xffb6, 0xff98, 85, 0x66, 0x4d},
    {KeyPad8, 0xffb8, 0xff97, 80, 0x68, 0x48},
};

constexpr std::uint32_t kWinExtended = 0x100;

}  // namespace

int keypadKey(KeySystem system, std::uint32_t scanCode, std::uint32_t virtualKey) {
  for (const KeypadCodes& k : kKeypad) {
    switch (system) {
      case KeySystem::Xkb:
        // The keysym says keypad even under a layout that moves the keys; the keycode serves when
        // no keysym came with the event.
        if (virtualKey == k.xkbDigit || virtualKey == k.xkbArrow) return k.key;
        if (virtualKey == 0 && scanCode == k.xkbCode) return k.key;
        break;
      case KeySystem::Windows:
        // With NumLock off the keypad and the arrow cluster give the same virtual keys: only the
        // extended flag of the scan code tells them apart.
        if (virtualKey == k.winDigit || scanCode == k.winScan) return k.key;
        break;
      case KeySystem::None:
        break;
    }
  }
  return 0;
}

int mainRowDigitKey(KeySystem system, std::uint32_t scanCode, std::uint32_t virtualKey) {
  switch (system) {
    case KeySystem::Xkb:
      // The keycodes of the digit row 1..8; the keysym is whatever the layout puts there with Shift.
      if (scanCode >= 10 && scanCode <= 17) return Key1 + static_cast<int>(scanCode - 10);
      break;
    case KeySystem::Windows:
      if (virtualKey >= '1' && virtualKey <= '8') return static_cast<int>(virtualKey);
      if (!(scanCode & kWinExtended) && scanCode >= 0x02 && scanCode <= 0x09)
        return Key1 + static_cast<int>(scanCode - 0x02);
      break;
    case KeySystem::None:
      break;
  }
  return 0;
}

}  // namespace sorvant
