#pragma once
// Runs the click handler of an options dialog control (buttons and colour swatches).
#include "core/System.h"

namespace sorvant {

void clickOptionsControl(System& sys, Control& control);

}  // namespace sorvant
