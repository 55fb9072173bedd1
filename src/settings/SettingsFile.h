#pragma once
// The settings file: 46 lines, one value each, CRLF line ends. Read once at load, written once at
// unload; a missing or damaged file is replaced by the default file.
#include <filesystem>
#include <string>
#include <string_view>

#include "core/System.h"

namespace sorvant {

// The program's settings file: Sorvant.ini in the config folder. Windows: C:/Sorvant.ini. Elsewhere:
// $XDG_CONFIG_HOME/sorvant/Sorvant.ini, or ~/.config/sorvant/Sorvant.ini when that variable is unset,
// empty or not absolute.
std::filesystem::path settingsPath();

// The file a system reads at load and writes at unload: the one it was given (System::settingsFile),
// so that tests never read or write the operator's file, or else settingsPath().
std::filesystem::path settingsFileOf(const System& sys);

// The 46 lines of the default file, exactly as written.
std::string defaultSettingsText();

// Applies the file to the running system (colours, port number, baud rate, acquisition and test
// modes, heading source, variation). A missing or damaged file is kept aside (<path>.bad, then
// .bad.1 to .bad.3), replaced by the default file and read again; when that cannot be done either,
// the default settings apply from memory. A write-protected file is read but never replaced. What is
// not a regular file (a device, FIFO, socket), or a file that cannot be read, is left alone for the
// whole run and the defaults apply from memory. Each of these says once on standard error what was
// read and whether changes will be saved. A link stays a link. Never throws for a file problem,
// never waits on the file and never retries more than once.
void readSettings(System& sys, const std::filesystem::path& path);

// Shutdown's writer: copies the swatch colours into colour set 1, lowers the dialog's variation by
// one and replaces the file (through a link) with the 46 lines. False leaves the previous file
// untouched and says why on standard error.
bool writeSettings(System& sys, const std::filesystem::path& path);

}  // namespace sorvant
