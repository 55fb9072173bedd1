#pragma once
// Where serial port n (1..8, COM1..COM8) lives on this machine.
#include <filesystem>
#include <string>

namespace sorvant {

// The device path to open for port n. Windows: "\\.\COMn". Elsewhere, in this order:
//  - the link $XDG_CONFIG_HOME/sorvant/COMn (default ~/.config/sorvant/COMn) when it exists, even when
//    it points nowhere, so an unplugged adapter is waited for instead of another port being opened;
//  - the USB serial adapter /dev/ttyUSB(n-1), or /dev/ttyACM(n-1) when only that one is present;
//  - /dev/ttyUSB(n-1) while neither is present, so an adapter plugged in later is found. The built-in
//    ports /dev/ttyS* exist whether anything is wired to them or not, so they are reached by a link.
// Empty for a port number below 1.
std::string comPortPath(int port);
// The same, with the devices looked for in `devices` instead of /dev.
std::string comPortPath(int port, const std::filesystem::path& devices);

// What port n stands for, for the operator: the device path, and for a link the link too
// ("/dev/ttyUSB0 (linked from /home/op/.config/sorvant/COM1)"). Empty for a port number below 1.
std::string comPortDescription(int port);

}  // namespace sorvant
