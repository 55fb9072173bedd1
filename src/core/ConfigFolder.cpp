#include "core/ConfigFolder.h"

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

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
#ifndef _WIN32
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr) home = user->pw_dir;
#endif
  }
  return home / ".config" / "sorvant";
}

}  // namespace sorvant
