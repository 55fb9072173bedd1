#pragma once
#include <filesystem>

namespace sorvant {

// The program's own folder on Linux and other Unix systems: $XDG_CONFIG_HOME/sorvant, or
// ~/.config/sorvant when that variable is unset, empty or not absolute (a relative value is invalid).
// It holds the settings file and the COMn links to serial devices.
std::filesystem::path configFolder();

}  // namespace sorvant
