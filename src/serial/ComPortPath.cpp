#include "serial/ComPortPath.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace sorvant {

namespace {

#ifndef _WIN32
// The program's own folder: $XDG_CONFIG_HOME/sorvant, or ~/.config/sorvant when that variable is
// unset, empty or relative (a relative value is invalid and must be ignored).
std::filesystem::path configFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::filesystem::path(xdg) / "sorvant";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "") / ".config" / "sorvant";
}
#endif

}  // namespace

std::string comPortPath(int port) {
  if (port < 1) return {};
  const std::string name = "COM" + std::to_string(port);
#ifdef _WIN32
  return name;
#else
  const std::filesystem::path link = configFolder() / name;
  std::error_code ec;
  // symlink_status: a link whose target is missing still counts as present.
  if (std::filesystem::exists(std::filesystem::symlink_status(link, ec))) return link.string();
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

}  // namespace sorvant
