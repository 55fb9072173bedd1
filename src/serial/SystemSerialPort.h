#pragma once
// The serial adapter of the platform this is built for, so nothing else has to choose.
#ifdef _WIN32
#include "serial/QtWin32SerialPort.h"
#else
#include "serial/QtSerialPort.h"
#endif

namespace sorvant {

#ifdef _WIN32
using SystemSerialPort = QtWin32SerialPort;
#else
using SystemSerialPort = QtSerialPort;
#endif

}  // namespace sorvant
