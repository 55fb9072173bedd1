#pragma once
// The folder that holds the program's settings file and, on Linux and Unix, the COMn links to serial
// devices. Defined once per operating system in src/os/.
#include <filesystem>

namespace sorvant {

// Linux and other Unix systems: $XDG_CONFIG_HOME/sorvant, or ~/.config/sorvant when that variable is
// unset, empty or not absolute (a relative value is invalid). Windows: C:/.
std::filesystem::path configFolder();

}  // namespace sorvant
