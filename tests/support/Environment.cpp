#include "support/Environment.h"

#include <cstdlib>

namespace sorvant::test {

void setEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

void unsetEnv(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");  // an empty value removes the variable on Windows
#else
  ::unsetenv(name);
#endif
}

std::optional<std::string> getEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void redirectConfigFolder(const std::filesystem::path& folder) { setEnv("XDG_CONFIG_HOME", folder); }

}  // namespace sorvant::test
