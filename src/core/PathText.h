#pragma once
// A path as text for a message: the bytes of its name are shown as they are where they form UTF-8,
// and each byte that does not (a folder named in Latin-1) as \xNN, so the message stays readable
// and one name is never shown as another. Defined once per operating system in src/os/: Windows keeps
// names as UTF-16, shown as UTF-8.
#include <filesystem>
#include <string>

namespace sorvant {

std::string pathText(const std::filesystem::path& path);

// True when the path's bytes are UTF-8 (always on Windows, whose names are UTF-16).
bool isUtf8Path(const std::filesystem::path& path);

}  // namespace sorvant
