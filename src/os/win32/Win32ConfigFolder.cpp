// The config folder on Windows: the root of drive C:, where the installer puts the settings file with
// the right for every user to change it.
#include "core/ConfigFolder.h"

namespace sorvant {

std::filesystem::path configFolder() { return "C:/"; }

}  // namespace sorvant
