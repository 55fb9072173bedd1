#pragma once
// Where serial port n (1..8, COM1..COM8) lives on this machine.
#include <string>

namespace sorvant {

// The device path to open for port n. Windows: "COMn". Elsewhere: the link
// $XDG_CONFIG_HOME/sorvant/COMn (default ~/.config/sorvant/COMn) when it exists, even when it points
// nowhere, so an unplugged adapter fails to open instead of silently opening another port;
// otherwise /dev/ttyS(n-1). Empty for a port number below 1.
std::string comPortPath(int port);

}  // namespace sorvant
