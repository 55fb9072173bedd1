#pragma once
// Translation of Qt key events into the key codes and modifier mask of the key map.
#include <QKeyEvent>

#include "input/NativeKeys.h"

namespace sorvant {

struct KeyStroke {
  int code = 0;   // 0: a key the map does not know
  int shift = 0;  // Shift 1, Ctrl 2, Alt 4
};

// The native key codes the running Qt platform plugin delivers.
KeySystem platformKeySystem();

// `system` names the native codes the event carries (platformKeySystem() for real events).
KeyStroke translateKey(const QKeyEvent& event, KeySystem system);
inline KeyStroke translateKey(const QKeyEvent& event) { return translateKey(event, platformKeySystem()); }

}  // namespace sorvant
