#pragma once
// Translation of Qt key events into the key codes and modifier mask of the key map.
#include <QKeyEvent>

namespace sorvant {

struct KeyStroke {
  int code = 0;   // 0: a key the map does not know
  int shift = 0;  // Shift 1, Ctrl 2, Alt 4
};

KeyStroke translateKey(const QKeyEvent& event);

}  // namespace sorvant
