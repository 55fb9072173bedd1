#pragma once
// Environment variables and config folders for tests, the same on Linux and Windows.
#include <filesystem>
#include <optional>
#include <string>

namespace sorvant::test {

// True when the tests run on Windows (or under Wine).
#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// Sets a variable of this process; a path is passed as the system's narrow text. On Windows an empty
// value removes the variable.
void setEnv(const char* name, const std::string& value);
inline void setEnv(const char* name, const std::filesystem::path& value) { setEnv(name, value.string()); }
inline void setEnv(const char* name, const char* value) { setEnv(name, std::string(value)); }
// Removes a variable of this process.
void unsetEnv(const char* name);
// A variable's value; none when it is not set.
std::optional<std::string> getEnv(const char* name);

// Moves the config folder to <folder>/sorvant through XDG_CONFIG_HOME: on Linux and Unix the settings
// file and the COMn links follow it. Windows keeps its own (C:/Sorvant.ini, COMn) whatever the
// environment says, so a test gives its system a settings file of its own too (System::settingsFile).
void redirectConfigFolder(const std::filesystem::path& folder);

}  // namespace sorvant::test
