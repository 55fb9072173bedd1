#pragma once
// Runs the click handler of a main-window button, whoever clicked it (mouse, key or start-up).
#include "core/System.h"

namespace sorvant {

void clickMainButton(System& sys, Control& button);

}  // namespace sorvant
