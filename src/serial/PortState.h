#pragma once
// What the operator is told about the serial port beyond its caption.
#include "core/System.h"

namespace sorvant {

// Tooltips: the device the port number stands for (options dialog's port button, Label_COMM) and why
// the line is silent, when the device is not open (Label_COMM after the device, Label_COM_TIMEOUT).
// Cheap while nothing changes: the device is looked up again only when the port or the reason changes.
void showPortState(System& sys);

}  // namespace sorvant
