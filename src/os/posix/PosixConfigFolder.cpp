// The config folder on Linux and other POSIX systems, where the XDG base directories apply.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "core/ConfigFolder.h"

namespace sorvant {

std::filesystem::path configFolder() {
  namespace fs = std::filesystem;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return fs::path(xdg) / "sorvant";
  fs::path home = "/";
  const char* env = std::getenv("HOME");
  if (env != nullptr && env[0] == '/') {
    home = env;
  } else {
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr) home = user->pw_dir;
  }
  return home / ".config" / "sorvant";
}

}  // namespace sorvant
